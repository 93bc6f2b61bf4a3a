#include "tools/cli/PrivateTempDir.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "image/TempFiles.h"

namespace brindle::cli {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The two pictures and the folder, as plain strings that the signal
// handler can use without allocating.
char preview[4096], adjusted[4096], folder[4096];

void OnSignal(int signal) {
  ::unlink(preview);
  ::unlink(adjusted);
  ::rmdir(folder);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

}  // namespace

PrivateTempDir::PrivateTempDir(const std::string& root) {
  std::string pattern = root + "/brindle-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    error_ = errno;
    return;
  }
  path_ = pattern;
  const std::string adjustedPath = path_ + kAdjustedFileName;
  if (adjustedPath.size() >= sizeof adjusted) return;  // too long to clean up after a signal
  std::strcpy(preview, (path_ + kPreviewFileName).c_str());
  std::strcpy(adjusted, adjustedPath.c_str());
  std::strcpy(folder, path_.c_str());
  // A signal the caller ignores (nohup) stays ignored.
  for (int signal : kSignals) {
    if (::signal(signal, OnSignal) == SIG_IGN) ::signal(signal, SIG_IGN);
  }
}

PrivateTempDir::~PrivateTempDir() {
  if (path_.empty()) return;
  for (int signal : kSignals) {
    if (::signal(signal, SIG_DFL) == SIG_IGN) ::signal(signal, SIG_IGN);
  }
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace brindle::cli
