#pragma once
// brindle-cli's private folder for its temporary pictures (Temp.bmp and
// TempTe.bmp), so that a command never writes into the user's folders
// anything but its --output, and commands running at once never see each
// other's pictures.
#include <string>

namespace brindle::cli {

class PrivateTempDir {
 public:
  // Makes a new folder "brindle-XXXXXX" (mode 0700) in `root` with mkdtemp.
  // The folder and everything in it are removed when the object goes away;
  // when SIGINT, SIGTERM or SIGHUP ends the program first, the two pictures
  // and the folder are.
  explicit PrivateTempDir(const std::string& root);
  ~PrivateTempDir();
  PrivateTempDir(const PrivateTempDir&) = delete;
  PrivateTempDir& operator=(const PrivateTempDir&) = delete;

  bool ok() const { return !path_.empty(); }
  // The folder; empty when it could not be made (see error()).
  const std::string& path() const { return path_; }
  int error() const { return error_; }

 private:
  std::string path_;
  int error_ = 0;
};

}  // namespace brindle::cli
