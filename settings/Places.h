#pragma once
// Where Brindle keeps its files, decided in this one place.
//
// A copy run from its build folder (or carried on a USB stick) keeps
// files.ini and nvupload.ini beside its executable and writes Temp.bmp and
// TempTe.bmp into the current folder. An installed copy cannot write beside
// its executable, so it keeps the settings in $XDG_CONFIG_HOME/brindle and
// the pictures in $XDG_CACHE_HOME/brindle (~/.config/brindle and
// ~/.cache/brindle when the variables are unset, empty or not absolute).
// Which kind of copy a program is was fixed when it was built
// (settings/ThisCopy.h), never guessed from what it may write: root can
// write anywhere.
#include <functional>
#include <optional>
#include <string>

namespace brindle {

enum class CopyKind { BuildFolder, Installed };

// An environment variable's value; nothing when it is unset. Tests hand in
// their own to point HOME and the XDG variables at temporary folders.
using EnvLookup = std::function<std::optional<std::string>(const std::string& name)>;
EnvLookup ProcessEnvironment();

struct Places {
  std::string settingsDir;  // files.ini and nvupload.ini
  std::string pictureDir;   // Temp.bmp and TempTe.bmp; empty: the current folder
};

Places FindPlaces(CopyKind kind, const std::string& executableDir, const EnvLookup& env);

// The folder in which brindle-cli makes its private folder: $TMPDIR when it
// names an absolute path, else /tmp.
std::string TempRoot(const EnvLookup& env);

// The lines `brindle --version` prints after its version.
std::string DescribePlaces(const Places& places);

// The directory of the running executable; "." when it cannot be found.
std::string ExecutableDir();

// Creates `dir` and its missing parents, each new one with mode 0700 (an
// existing folder keeps its mode). 0 when `dir` is a folder afterwards,
// else the errno of the step that failed.
int MakePrivateDirs(const std::string& dir);

}  // namespace brindle
