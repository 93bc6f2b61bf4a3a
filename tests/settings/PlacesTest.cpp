// Where each kind of copy keeps its settings and pictures.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "settings/Places.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using Env = std::map<std::string, std::string>;

EnvLookup Lookup(const Env& env) {
  return [env](const std::string& name) -> std::optional<std::string> {
    const auto found = env.find(name);
    if (found == env.end()) return std::nullopt;
    return found->second;
  };
}

TEST(Places, EachCopyKeepsItsFilesWhereItMayWrite) {
  struct Case {
    CopyKind kind;
    Env env;
    std::string settings, pictures;
  };
  const Case cases[] = {
      {CopyKind::BuildFolder, {{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/c"}}, "/opt/b", ""},
      {CopyKind::Installed, {{"HOME", "/h"}}, "/h/.config/brindle", "/h/.cache/brindle"},
      {CopyKind::Installed,
       {{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/c/"}, {"XDG_CACHE_HOME", "/k"}},
       "/c/brindle", "/k/brindle"},
      // Empty and relative values are not base directories.
      {CopyKind::Installed,
       {{"HOME", "/h/"}, {"XDG_CONFIG_HOME", ""}, {"XDG_CACHE_HOME", "~/k"}},
       "/h/.config/brindle", "/h/.cache/brindle"},
  };
  for (const Case& c : cases) {
    const Places places = FindPlaces(c.kind, "/opt/b", Lookup(c.env));
    EXPECT_EQ(places.settingsDir, c.settings);
    EXPECT_EQ(places.pictureDir, c.pictures);
  }
  // Without HOME, the account's own folder.
  const std::string home = ::getpwuid(::getuid())->pw_dir;
  EXPECT_EQ(FindPlaces(CopyKind::Installed, "/b", Lookup({})).settingsDir,
            (home == "/" ? "" : home) + "/.config/brindle");

  EXPECT_EQ(TempRoot(Lookup({})), "/tmp");
  EXPECT_EQ(TempRoot(Lookup({{"TMPDIR", "/t/x"}})), "/t/x");
  EXPECT_EQ(TempRoot(Lookup({{"TMPDIR", "t"}})), "/tmp");
}

TEST(Places, DescriptionNamesBothFolders) {
  EXPECT_EQ(DescribePlaces({"/opt/b", ""}),
            "settings (files.ini, nvupload.ini): /opt/b/\n"
            "temporary pictures (Temp.bmp, TempTe.bmp): the current folder\n");
  EXPECT_EQ(DescribePlaces({"/h/.config/brindle", "/h/.cache/brindle"}),
            "settings (files.ini, nvupload.ini): /h/.config/brindle/\n"
            "temporary pictures (Temp.bmp, TempTe.bmp): /h/.cache/brindle/\n");
}

TEST(Places, PrivateFoldersAreMadeWithMode0700) {
  test::TempDir dir;
  ::chmod(dir.str().c_str(), 0755);
  EXPECT_EQ(MakePrivateDirs(dir.File("a/b/brindle")), 0);
  for (const char* made : {"a", "a/b", "a/b/brindle"}) {
    struct stat st {};
    ASSERT_EQ(::stat(dir.File(made).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
  }
  struct stat st {};
  EXPECT_EQ(MakePrivateDirs(dir.str()), 0);
  ::stat(dir.str().c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0755u);  // an existing folder keeps its mode
  dir.Write("file", "x");
  EXPECT_EQ(MakePrivateDirs(dir.File("file")), ENOTDIR);
  EXPECT_EQ(MakePrivateDirs(dir.File("file/brindle")), ENOTDIR);
}

}  // namespace
}  // namespace brindle
