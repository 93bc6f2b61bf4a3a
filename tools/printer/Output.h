#pragma once
// The output directory: "commands.log" (one line per decoded command and
// one per connection), "page-N.png" for each cut page (numbered on from
// the highest page already there, so no run overwrites another's pages),
// "nv-1.png" ... for the NV set and "dot-logo.png" for the "Dot" logo.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/printer/Raster.h"

namespace brindle::printer {

class Output {
 public:
  explicit Output(std::string dir) : dir_(std::move(dir)) {}
  // Creates the directory and starts a new log; false with `error` set
  // when either fails.
  bool Open(std::string& error);
  void Log(const std::string& line);
  // Writes the page and returns its number (0 when the file failed).
  int WritePage(const Raster& page);
  // Writes nv-1.png ... nv-k.png and removes numbers above k left from an
  // earlier, larger set.
  bool WriteNv(const std::vector<NvImage>& images);
  // Writes dot-logo.png, or removes it when the logo is empty.
  bool WriteLogo(const DotLogo& logo);
  const std::string& dir() const { return dir_; }

 private:
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  bool WritePng(const std::string& name, const Raster& raster);
  // The numbers N of the files named prefix + N + ".png" in the directory.
  std::vector<int> Numbered(const std::string& prefix) const;

  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::string dir_;
  std::unique_ptr<std::FILE, FileCloser> log_;
  int lastPage_ = 0;
};

}  // namespace brindle::printer
