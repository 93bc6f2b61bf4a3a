// files.ini and nvupload.ini: exact bytes written, the rules for reading
// them back, and hostile files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "settings/SettingsFiles.h"
#include "settings/TextLines.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using test::TempDir;

TEST(SettingsFormat, LogoListBytes) {
  EXPECT_EQ(FormatLogoList({}), "");
  EXPECT_EQ(FormatLogoList({{"C:\\logos\\shop.bmp", "shop.bmp", 3072, 48, 512}}),
            "[LOGO]\r\r\nLogofile1=C:\\logos\\shop.bmp|shop.bmp|3072|48|512\r\r\n");
  EXPECT_EQ(FormatLogoList({{"/a/x.bmp", "x.bmp", 8, 1, 1}, {"/b/y.bmp", "y.bmp", 728, 50, 100}}),
            "[LOGO]\r\r\nLogofile1=/a/x.bmp|x.bmp|8|1|1\r\r\n"
            "Logofile2=/b/y.bmp|y.bmp|728|50|100\r\r\n");
}

TEST(SettingsFormat, PortSettingsBytesWithAClearedSelection) {
  EXPECT_EQ(FormatPortSettings({0, 4, 3, 0, 0, 0, 0}),
            "[LOGO]\r\r\nPrinter=0\r\r\nPort=4\r\r\nBaudRate=3\r\r\nBitLength=0\r\r\n"
            "Parity=0\r\r\nStopBit=0\r\r\nHandShake=0\r\r\n");
  EXPECT_EQ(FormatPortSettings({1, 3, -1, 0, 2, 0, 0}),
            "[LOGO]\r\r\nPrinter=1\r\r\nPort=3\r\r\nBaudRate=-1\r\r\nBitLength=0\r\r\n"
            "Parity=2\r\r\nStopBit=0\r\r\nHandShake=0\r\r\n");
}

TEST(SettingsRead, LinesArriveWithOneTrailingCr) {
  TempDir dir;
  dir.Write("f", "[LOGO]\r\r\nab\r\ncd\nlast");
  TextLineReader reader(dir.File("f"));
  std::vector<std::string> lines;
  for (std::string line; reader.Next(line);) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"[LOGO]\r", "ab", "cd", "last"}));
}

TEST(SettingsRead, LogoListRules) {
  TempDir dir;
  EXPECT_FALSE(ReadLogoList(dir.File("missing.ini")));
  dir.Write("empty.ini", "");
  EXPECT_FALSE(ReadLogoList(dir.File("empty.ini")));
  // A text editor's plain CR LF: the section line lacks its CR.
  dir.Write("crlf.ini", "[LOGO]\r\nLogofile1=/a.bmp|a.bmp|8|1|1\r\n");
  EXPECT_FALSE(ReadLogoList(dir.File("crlf.ini")));

  dir.Write("odd.ini",
            "[LOGO]\r\r\n"
            "Logofile1=/x=y/a.bmp|a.bmp|8|1|1\r\r\n"  // "=" in the path cuts it
            "anything=/b.bmp|b.bmp\r\r\n"             // the key is not checked
            "no equals sign\r\r\n"                    // empty path and name
            "Logofile4=/c.bmp\r\r\n");                // no "|": the CR stays in the path
  const auto logos = ReadLogoList(dir.File("odd.ini"));
  ASSERT_TRUE(logos);
  ASSERT_EQ(logos->size(), 4u);
  EXPECT_EQ((*logos)[0].path, "/x");
  EXPECT_EQ((*logos)[0].name, "");
  EXPECT_EQ((*logos)[1].path, "/b.bmp");
  EXPECT_EQ((*logos)[1].name, "b.bmp\r");  // the last field keeps the line's CR
  EXPECT_EQ((*logos)[2].path, "");
  EXPECT_EQ((*logos)[3].path, "/c.bmp\r");

  dir.Write("section.ini", "[LOGO]\r\r\n");
  ASSERT_TRUE(ReadLogoList(dir.File("section.ini")));
  EXPECT_TRUE(ReadLogoList(dir.File("section.ini"))->empty());
}

TEST(SettingsRead, PortSettingsRules) {
  TempDir dir;
  EXPECT_FALSE(ReadPortSettings(dir.File("missing.ini")));

  dir.Write("only.ini", "[LOGO]\r\r\n");
  auto only = ReadPortSettings(dir.File("only.ini"));
  ASSERT_TRUE(only);
  EXPECT_TRUE(only->sectionMatched);
  EXPECT_EQ(only->selections, (PortSelections{0, 0, 0, 0, 0, 0, 0}));

  dir.Write("bad.ini", "[PORT]\r\r\nPrinter=1\r\r\n");
  auto bad = ReadPortSettings(dir.File("bad.ini"));
  ASSERT_TRUE(bad);
  EXPECT_FALSE(bad->sectionMatched);

  dir.Write("values.ini",
            "[LOGO]\r\r\nPrinter=  1\r\r\nX=+3=9\r\r\nBaudRate=-1\r\r\nBitLength=abc\r\r\n"
            "Parity=2x\r\r\nStopBit=99999999999999\r\r\n");
  auto values = ReadPortSettings(dir.File("values.ini"));
  ASSERT_TRUE(values);
  EXPECT_EQ(values->selections, (PortSelections{1, 3, -1, 0, 2, 2147483647, 0}));
}

TEST(SettingsRead, LineValueIsBetweenTheFirstTwoEqualSigns) {
  EXPECT_EQ(LineValue("a=b=c"), "b");
  EXPECT_EQ(LineValue("abc"), "");
}

TEST(SettingsWrite, ReplaceFileWritesExactBytesAndKeepsTheOldFileOnFailure) {
  TempDir dir;
  ASSERT_TRUE(ReplaceFile(dir.File("files.ini"), "old"));
  ASSERT_TRUE(ReplaceFile(dir.File("files.ini"), std::string("new\r\r\n\0x", 7)));
  EXPECT_EQ(dir.Read("files.ini"), std::string("new\r\r\n\0x", 7));
  EXPECT_FALSE(dir.Exists("files.ini.new"));
  EXPECT_FALSE(ReplaceFile(dir.File("no/such/dir/files.ini"), "x"));
  ASSERT_TRUE(ReplaceFile(dir.File("files.ini"), ""));
  EXPECT_EQ(dir.Read("files.ini"), "");
}

// Only a regular file of at most 16 MiB is read. Anything else counts as a
// file that cannot be opened, at once: a FIFO would block the open, and
// /dev/zero would be read for ever.
TEST(SettingsRead, OnlyRegularFilesOfAtMost16MiBAreRead) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("fifo.ini").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.File("zero.ini"));
  std::filesystem::create_directory(dir.File("dir.ini"));
  for (const char* name : {"limit.ini", "over.ini"}) {
    dir.Write(name, "[LOGO]\r\r\nLogofile1=/a.bmp|a.bmp\r\r\n");
  }
  std::filesystem::resize_file(dir.File("limit.ini"), 16 << 20);
  std::filesystem::resize_file(dir.File("over.ini"), (16 << 20) + 1);
  for (const char* name : {"fifo.ini", "zero.ini", "dir.ini", "over.ini"}) {
    EXPECT_FALSE(ReadLogoList(dir.File(name))) << name;
    EXPECT_FALSE(ReadPortSettings(dir.File(name))) << name;
  }
  const auto limit = ReadLogoList(dir.File("limit.ini"));
  ASSERT_TRUE(limit);
  EXPECT_EQ((*limit)[0].path, "/a.bmp");
}

// Hostile files: nothing crashes, hangs or grows without bound, and what
// loads follows the same rules.
TEST(SettingsRead, HostileFilesLoadByTheSameRules) {
  TempDir dir;
  const std::string megaLine(1 << 20, 'x');
  dir.Write("long.ini", "[LOGO]\r\r\n=" + megaLine + "|n\r\r\n");
  auto logos = ReadLogoList(dir.File("long.ini"));
  ASSERT_TRUE(logos);
  ASSERT_EQ(logos->size(), 1u);
  EXPECT_EQ((*logos)[0].path.size(), megaLine.size());

  std::string many = "[LOGO]\r\r\n";
  for (int i = 0; i < 100000; ++i) many += "L=p|n\r\r\n";
  dir.Write("many.ini", many);
  EXPECT_EQ(ReadLogoList(dir.File("many.ini"))->size(), 255u);  // the list's own limit

  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = round % 2 ? "[LOGO]\r\r\n" : "";
    const int length = static_cast<int>(random() % 400);
    for (int i = 0; i < length; ++i) bytes.push_back(static_cast<char>("=|\r\n\0ab-9"[random() % 10]));
    dir.Write("random.ini", bytes);
    const auto list = ReadLogoList(dir.File("random.ini"));
    const auto ports = ReadPortSettings(dir.File("random.ini"));
    EXPECT_EQ(list.has_value(), round % 2 == 1);
    ASSERT_TRUE(ports);
    EXPECT_EQ(ports->sectionMatched, round % 2 == 1);
  }
}

}  // namespace
}  // namespace brindle
