// Where each kind of copy keeps its settings and pictures.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "settings/Places.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

EnvLookup Lookup(std::map<std::string, std::string> env) {
  return [env](const std::string& name) -> std::optional<std::string> {
    if (!env.contains(name)) return std::nullopt;
    return env.at(name);
  };
}

// The installed copy follows the XDG rules: empty and relative values are not
// base directories; without HOME, the account's own folder.
TEST(Places, EachCopyKeepsItsFilesWhereItMayWrite) {
  const std::pair<std::map<std::string, std::string>, std::string> cases[] = {
      {{{"HOME", "/h"}}, "/h/.config/brindle /h/.cache/brindle"},
      {{{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/c/"}, {"XDG_CACHE_HOME", "/k"}},
       "/c/brindle /k/brindle"},
      {{{"HOME", "/h/"}, {"XDG_CONFIG_HOME", ""}, {"XDG_CACHE_HOME", "~/k"}},
       "/h/.config/brindle /h/.cache/brindle"},
  };
  for (const auto& [env, expected] : cases) {
    const Places places = FindPlaces(CopyKind::Installed, "/b", Lookup(env));
    EXPECT_EQ(places.settingsDir + " " + places.pictureDir, expected);
  }
  const Places build =
      FindPlaces(CopyKind::BuildFolder, "/opt/b", Lookup({{"XDG_CONFIG_HOME", "/c"}}));
  EXPECT_EQ(build.settingsDir + " " + build.pictureDir, "/opt/b ");
  const std::string home = ::getpwuid(::getuid())->pw_dir;
  EXPECT_EQ(FindPlaces(CopyKind::Installed, "/b", Lookup({})).settingsDir,
            (home == "/" ? "" : home) + "/.config/brindle");
  std::string temp;
  for (const char* value : {"", "/t", "t"}) temp += TempRoot(Lookup({{"TMPDIR", value}}));
  EXPECT_EQ(temp + TempRoot(Lookup({})), "/tmp/t/tmp/tmp");
  EXPECT_EQ(DescribePlaces(build) + DescribePlaces({"/c/brindle", "/k/brindle"}),
            "settings (files.ini, nvupload.ini): /opt/b/\n"
            "temporary pictures (Temp.bmp, TempTe.bmp): the current folder\n"
            "settings (files.ini, nvupload.ini): /c/brindle/\n"
            "temporary pictures (Temp.bmp, TempTe.bmp): /k/brindle/\n");
}

// New folders get mode 0700; an existing one keeps its mode.
TEST(Places, PrivateFoldersAreMadeWithMode0700) {
  test::TempDir dir;
  ::chmod(dir.str().c_str(), 0755);
  EXPECT_EQ(MakePrivateDirs(dir.File("a/b/brindle")) + MakePrivateDirs(dir.str()), 0);
  for (auto [made, mode] : {std::pair{"a", 0700u}, {"a/b/brindle", 0700u}, {"", 0755u}}) {
    struct stat st {};
    EXPECT_EQ(::stat(dir.File(made).c_str(), &st) + (st.st_mode & 0777), mode) << made;
  }
  dir.Write("file", "x");
  EXPECT_EQ(MakePrivateDirs(dir.File("file/brindle")), ENOTDIR);
}

}  // namespace
}  // namespace brindle
