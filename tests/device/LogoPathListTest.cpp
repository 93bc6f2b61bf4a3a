// The logo list text, which comes from the settings file and may hold
// anything: splitting is checked on fixed cases and on random texts, and
// the upload streams on random lists of good, missing and damaged files.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "BmpFiles.h"
#include "Recorder.h"
#include "device/DotUpload.h"
#include "device/LogoPathList.h"
#include "device/ThermalUpload.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

TEST(LogoPathList, SplitsAtEverySeparator) {
  struct Case {
    std::string text;
    std::vector<std::string> paths;
  } cases[] = {
      {"", {}},
      {"a.bmp", {}},
      {"a.bmp|", {"a.bmp"}},
      {"a.bmp|b.bmp|", {"a.bmp", "b.bmp"}},
      {"a.bmp|b.bmp", {"a.bmp"}},
      {"|", {""}},
      {"||x|", {"", "", "x"}},
      {"/d i r/a b.bmp|C:\\x.bmp|", {"/d i r/a b.bmp", "C:\\x.bmp"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitLogoPathList(c.text), c.paths) << c.text;
    EXPECT_EQ(CountLogoPaths(c.text), c.paths.size()) << c.text;
  }
}

// Random texts: as many paths as separators, and the paths joined with
// their separators give back the text up to its last separator.
TEST(LogoPathList, KeepsEveryCharacterBeforeTheLastSeparator) {
  std::mt19937 random(7);
  const std::string alphabet = "ab|/. \\\xC3\xA9";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    const auto paths = SplitLogoPathList(text);
    ASSERT_EQ(paths.size(), CountLogoPaths(text)) << text;
    std::string joined;
    for (const auto& p : paths) {
      EXPECT_EQ(p.find('|'), std::string::npos);
      joined += p + "|";
    }
    const std::size_t last = text.rfind('|');
    EXPECT_EQ(joined, last == std::string::npos ? "" : text.substr(0, last + 1)) << text;
  }
}

// Random lists of good, missing and damaged files and stray text: a
// stream either sends nothing at all or a complete, consistent upload.
TEST(LogoPathList, StreamsSendAllOrNothingForRandomLists) {
  TempDir dir;
  dir.Write("good.bmp", Bmp1(16, 8, false, Stripes));
  dir.Write("good24.bmp", Bmp24(8, 16, Stripes));
  dir.Write("junk.bmp", "BM\x10\0\0\0junk");
  dir.Write("cut.bmp", Bmp1(16, 8, false, Stripes).substr(0, 60));
  const std::vector<std::pair<std::string, bool>> tokens = {
      {dir.File("good.bmp"), true}, {dir.File("good24.bmp"), true}, {dir.File("junk.bmp"), false},
      {dir.File("cut.bmp"), false}, {dir.File("none.bmp"), false},  {"", false}};
  std::mt19937 random(11);
  auto logo = std::make_unique<LogoBitmap>();
  for (int round = 0; round < 300; ++round) {
    std::string list;
    std::size_t count = 0;
    bool allGood = true;
    bool firstGood = false;
    const int n = static_cast<int>(random() % 5);
    for (int i = 0; i < n; ++i) {
      const auto& [path, good] = tokens[random() % tokens.size()];
      list += path + "|";
      if (count++ == 0) firstGood = good;
      allGood = allGood && good;
    }
    if (random() % 3 == 0) list += tokens[random() % tokens.size()].first;  // no separator
    SCOPED_TRACE(list);

    Log thermal;
    LogPort thermalPort(thermal);
    LogClock thermalClock(thermal);
    const int sent = SendThermalLogos(thermalPort, PortKind::Com, list, 0, 5, *logo, thermalClock);
    EXPECT_EQ(sent, count > 0 && allGood ? 1 : 0);
    if (sent == 1) {
      ASSERT_GE(thermal.size(), 3u);
      EXPECT_EQ(thermal[2], W({0x1C, 0x71, static_cast<std::uint8_t>(count)}));
      std::size_t headers = 0;
      for (const Event& e : thermal) headers += e.bytes.size() == 4 ? 1 : 0;
      EXPECT_EQ(headers, count);
    } else {
      EXPECT_TRUE(thermal.empty());
    }

    Log dot;
    LogPort dotPort(dot);
    LogClock dotClock(dot);
    const int dotSent = SendDotLogo(dotPort, PortKind::Tcp, list, dotClock);
    EXPECT_EQ(dotSent, count > 0 && firstGood ? 1 : 0);
    EXPECT_EQ(dot.empty(), dotSent == 0);
  }
}

}  // namespace
}  // namespace brindle
