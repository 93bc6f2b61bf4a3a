// The logo list text, which comes from the settings file and may hold
// anything: splitting is checked on fixed cases and on random texts, and
// the upload streams on random lists of good, missing and damaged files.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "DotLayout.h"
#include "device/DotUpload.h"
#include "device/LogoPathList.h"
#include "device/ThermalUpload.h"
#include "support/RecordingPort.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

using namespace test;

TEST(LogoPathList, SplitsAtEverySeparator) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {}},
      {"a.bmp", {}},
      {"a.bmp|b.bmp|", {"a.bmp", "b.bmp"}},
      {"a.bmp|b.bmp", {"a.bmp"}},
      {"||x|", {"", "", "x"}},
      {"/d i r/a b.bmp|C:\\x.bmp|", {"/d i r/a b.bmp", "C:\\x.bmp"}},
  };
  for (const auto& [text, paths] : cases) {
    EXPECT_EQ(SplitLogoPathList(text), paths) << text;
    EXPECT_EQ(CountLogoPaths(text), paths.size()) << text;
  }
}

// Random texts: as many paths as separators, and the paths joined with
// their separators give back the text up to its last separator.
TEST(LogoPathList, KeepsEveryCharacterBeforeTheLastSeparator) {
  std::mt19937 random(7);
  const std::string alphabet = "ab|/. \\\xC3\xA9";
  for (int round = 0; round < 2000; ++round) {
    std::string text, joined;
    for (auto i = random() % 40; i > 0; --i) text += alphabet[random() % alphabet.size()];
    const auto paths = SplitLogoPathList(text);
    ASSERT_EQ(paths.size(), CountLogoPaths(text)) << text;
    for (const auto& p : paths) {
      EXPECT_EQ(p.find('|'), std::string::npos);
      joined += p + "|";
    }
    EXPECT_EQ(joined, text.substr(0, text.rfind('|') + 1)) << text;
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
    std::size_t count = random() % 5;
    bool allGood = true, firstGood = false;
    for (std::size_t i = 0; i < count; ++i) {
      const auto& [path, good] = tokens[random() % tokens.size()];
      list += path + "|";
      firstGood = i == 0 ? good : firstGood;
      allGood = allGood && good;
    }
    if (random() % 3 == 0) list += tokens[random() % tokens.size()].first;  // no separator
    SCOPED_TRACE(list);

    Log thermal, dot;
    LogPort thermalPort(thermal), dotPort(dot);
    LogClock thermalClock(thermal), dotClock(dot);
    const int sent = SendThermalLogos(thermalPort, PortKind::Com, list, 0, 5, *logo, thermalClock);
    EXPECT_EQ(sent, count > 0 && allGood ? 1 : 0);
    if (sent == 1) {
      ASSERT_GE(thermal.size(), 3u);
      EXPECT_EQ(thermal[2], W({0x1C, 0x71, static_cast<std::uint8_t>(count)}));
      const auto isHeader = [](const Event& e) { return e.bytes.size() == 4; };
      EXPECT_EQ(std::count_if(thermal.begin(), thermal.end(), isHeader), static_cast<long>(count));
    } else {
      EXPECT_TRUE(thermal.empty());
    }
    const int dotSent = SendDotLogo(dotPort, PortKind::Tcp, list, 0, 5, dotClock);
    EXPECT_EQ(dotSent, count > 0 && firstGood ? 1 : 0);
    EXPECT_EQ(dot.empty(), dotSent == 0);
  }
}

}  // namespace
}  // namespace brindle
