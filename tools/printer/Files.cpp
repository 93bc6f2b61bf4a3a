#include "tools/printer/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tools/printer/Fd.h"

namespace brindle::printer {

Fd OpenRegularFile(const std::string& path, bool& missing) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  missing = !fd && errno == ENOENT;
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Fd();
  return fd;  // reads of a regular file never block, whatever the flag says
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes) {
  bool missing = false;
  Fd fd = OpenRegularFile(path, missing);
  if (!fd) return false;
  bytes.clear();
  std::uint8_t buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > maxBytes) return false;
    if (n == 0) return true;
    bytes.insert(bytes.end(), buf, buf + n);
  }
}

bool WriteFileAtomic(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temp = path + ".tmp";
  {
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ::unlink(temp.c_str());
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool MakeDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (!prefix.empty() && ::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace brindle::printer
