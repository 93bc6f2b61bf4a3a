// files.ini and nvupload.ini: exact bytes, the rules of reading them back,
// the atomic save, and hostile files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "settings/SettingsFiles.h"
#include "settings/TextLines.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

// Lines end in CR CR LF and arrive with one CR; the section line must be
// "[LOGO]" and its CR; a value runs from the first "=" to the next, a path to
// the first "|", a name to the second. Missing port lines select 0; values
// are leading decimals, saturated.
TEST(SettingsFiles, ExactBytesAndTheRulesOfReadingThemBack) {
  EXPECT_EQ(FormatLogoList({}), "");
  EXPECT_EQ(FormatLogoList({{"C:\\l\\a.bmp", "a.bmp", 3072, 48, 512}, {"/y", "y", 8, 1, 1}}),
            "[LOGO]\r\r\nLogofile1=C:\\l\\a.bmp|a.bmp|3072|48|512\r\r\n"
            "Logofile2=/y|y|8|1|1\r\r\n");
  EXPECT_EQ(FormatPortSettings({1, 3, -1, 0, 2, 0, 7}),
            "[LOGO]\r\r\nPrinter=1\r\r\nPort=3\r\r\nBaudRate=-1\r\r\nBitLength=0\r\r\n"
            "Parity=2\r\r\nStopBit=0\r\r\nHandShake=7\r\r\n");
  test::TempDir dir;
  for (const char* text : {"", "[LOGO]\r\nL=/a.bmp|a.bmp\r\n", "[PORT]\r\r\n"}) {
    EXPECT_FALSE(ReadLogoList(dir.Write("bad.ini", text))) << text;
  }
  EXPECT_FALSE(ReadPortSettings(dir.File("bad.ini"))->sectionMatched);
  EXPECT_FALSE(ReadLogoList(dir.File("no.ini")) || ReadPortSettings(dir.File("no.ini")));
  const auto logos = ReadLogoList(dir.Write(
      "odd.ini", "[LOGO]\r\r\nL=/x=y/a|a|8\r\r\nany=/b|b\r\r\nnone\r\r\nL=/c\r\r\nL=/d\nL=/e"));
  std::vector<std::string> read;
  for (const LoadedLogo& logo : *logos) read.insert(read.end(), {logo.path, logo.name});
  EXPECT_EQ(read, (std::vector<std::string>{"/x", "", "/b", "b\r", "", "", "/c\r", "", "/d", "",
                                            "/e", ""}));
  const auto ports = ReadPortSettings(dir.Write(
      "p.ini", "[LOGO]\r\r\nPrinter=  1\r\r\nX=+3=9\r\r\nB=-1\r\r\nB=abc\r\r\nP=9999999999\r\r\n"));
  EXPECT_EQ(std::pair(ports->sectionMatched, ports->selections),
            std::pair(true, PortSelections{1, 3, -1, 0, 2147483647, 0, 0}));
}

// Only a regular file of at most 16 MiB is read, at once: a FIFO would block
// the open, /dev/zero never end. A list holds at most 255 entries. A save
// renames a new file over the old one, which stays when that fails.
TEST(SettingsFiles, HostileFilesStayBoundedAndSavesAreAtomic) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo.ini").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.File("zero.ini"));
  for (auto [name, size] : {std::pair{"limit.ini", 16 << 20}, {"over.ini", (16 << 20) + 1}}) {
    dir.Write(name, "[LOGO]\r\r\nLogofile1=/a.bmp|a.bmp\r\r\n");
    std::filesystem::resize_file(dir.File(name), size);
  }
  for (const char* name : {"fifo.ini", "zero.ini", "over.ini", ""}) {
    EXPECT_FALSE(ReadLogoList(dir.File(name)) || ReadPortSettings(dir.File(name))) << name;
  }
  EXPECT_EQ(ReadLogoList(dir.File("limit.ini"))->at(0).path, "/a.bmp");
  std::string many = "[LOGO]\r\r\n";
  for (int i = 0; i < 300; ++i) many += "L=p|n\r\r\n";
  EXPECT_EQ(ReadLogoList(dir.Write("many.ini", many))->size(), 255u);

  const std::string bytes("new\r\r\n\0x", 7);
  ASSERT_TRUE(ReplaceFile(dir.File("files.ini"), "old"));
  ASSERT_TRUE(ReplaceFile(dir.File("files.ini"), bytes));
  EXPECT_EQ(dir.Read("files.ini"), bytes);
  EXPECT_FALSE(dir.Exists("files.ini.new"));
  std::filesystem::create_directory(dir.File("files.ini.new"));
  EXPECT_FALSE(ReplaceFile(dir.File("files.ini"), "x") || ReplaceFile(dir.File("a/f.ini"), "x"));
  EXPECT_EQ(dir.Read("files.ini"), bytes);
}

}  // namespace
}  // namespace brindle
