#include "settings/Places.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace brindle {
namespace {

// The value of an XDG variable when it is usable: set, not empty and an
// absolute path (the base directory rules ignore relative ones).
std::optional<std::string> AbsoluteValue(const EnvLookup& env, const std::string& name) {
  const auto value = env(name);
  if (!value || value->empty() || value->front() != '/') return std::nullopt;
  return value;
}

std::string HomeDir(const EnvLookup& env) {
  if (const auto home = env("HOME"); home && !home->empty()) return *home;
  // No HOME (a service or a cleared environment): the account's own folder.
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "/";
}

std::string WithoutTrailingSlashes(std::string dir) {
  while (!dir.empty() && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string XdgDir(const EnvLookup& env, const std::string& variable, const char* fallback) {
  const auto base = AbsoluteValue(env, variable);
  return (base ? WithoutTrailingSlashes(*base) : WithoutTrailingSlashes(HomeDir(env)) + fallback) +
         "/brindle";
}

}  // namespace

EnvLookup ProcessEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
  };
}

Places FindPlaces(CopyKind kind, const std::string& executableDir, const EnvLookup& env) {
  if (kind == CopyKind::BuildFolder) return {executableDir, ""};
  return {XdgDir(env, "XDG_CONFIG_HOME", "/.config"), XdgDir(env, "XDG_CACHE_HOME", "/.cache")};
}

std::string TempRoot(const EnvLookup& env) {
  const auto tmp = AbsoluteValue(env, "TMPDIR");
  return tmp ? *tmp : "/tmp";
}

std::string DescribePlaces(const Places& places) {
  const std::string pictures =
      places.pictureDir.empty() ? "the current folder" : places.pictureDir + "/";
  return "settings (files.ini, nvupload.ini): " + places.settingsDir + "/\n" +
         "temporary pictures (Temp.bmp, TempTe.bmp): " + pictures + "\n";
}

std::string ExecutableDir() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

int MakePrivateDirs(const std::string& dir) {
  if (dir.empty()) return ENOENT;
  // Each prefix ending before a "/", then the whole path.
  for (std::size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
    const std::string part = dir.substr(0, end);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    if (end == std::string::npos) break;
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return errno;
  return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

}  // namespace brindle
