// The printout and erase senders: every command's bytes, one write each,
// and what a failed write leaves out.
#include <gtest/gtest.h>

#include "device/Printout.h"
#include "support/RecordingPort.h"

namespace brindle {
namespace {

using namespace test;

Log Prints(int first, int last, std::uint8_t m) {
  Log log;
  for (int n = first; n <= last; ++n) log.push_back(W({0x1C, 0x70, std::uint8_t(n), m}));
  return log;
}
Log Print(std::uint8_t n, std::uint8_t m) { return {W({0x1C, 0x70, n, m})}; }
const Log kCut = {W({0x1D, 0x56, 0x42, 0x01})};
const Log kErase = {W({0x1C, 0x65})};

// Start, size index and end as the window gives them; a failing write
// (none: -1) and the log up to it.
TEST(ThermalPrintout, SendsTheSelectedImagesThenCutsAndStopsAtAFailedWrite) {
  struct Case {
    const char* name;
    int start, size, end, failAt;
    Log expected;
  } cases[] = {
      {"All, Double High", 0, 2, 0, -1, Prints(1, 255, 0x32) + kCut},
      {"3, Single", 3, 0, 0, -1, Print(3, 0x30) + kCut},
      {"2-4, Double Wide", 2, 1, 4, -1, Prints(2, 4, 0x31) + kCut},
      {"5-2", 5, 3, 2, -1, kCut},
      {"0-5", 0, 3, 5, -1, Print(0, 0x33) + kCut},
      {"4-4", 4, 0, 4, -1, Print(4, 0x30) + kCut},
      {"size index 4", 7, 4, 0, -1, Print(7, 0x30) + kCut},
      {"size index -1", 7, -1, 0, -1, Print(7, 0x30) + kCut},
      // Numbers beyond the 255 images print nothing: at most 255 prints.
      {"255", 255, 0, 0, -1, Print(255, 0x30) + kCut},
      {"256", 256, 0, 0, -1, kCut},
      {"-1", -1, 0, 0, -1, kCut},
      {"2- -1", 2, 0, -1, -1, Print(2, 0x30) + kCut},
      {"1-300", 1, 0, 300, -1, Prints(1, 255, 0x30) + kCut},
      {"250 to the largest number", 250, 0, 2147483647, -1, Prints(250, 255, 0x30) + kCut},
      {"the largest number", 2147483647, 0, 2147483647, -1, kCut},
      {"1000 with a size", 1000, 2, 0, -1, kCut},
      {"erase", 1000, 1000, 0, -1, kErase},
      {"erase ignores the end", 1000, 1000, 7, -1, kErase},
      {"All, tenth print fails", 0, 0, 0, 9, Prints(1, 10, 0x30)},
      {"All, the cut fails", 0, 0, 0, 255, Prints(1, 255, 0x30) + kCut},
      {"range, first print fails", 2, 0, 4, 0, Print(2, 0x30)},
      {"single, the cut fails", 3, 0, 0, 1, Print(3, 0x30) + kCut},
      {"empty range, the cut fails", 5, 0, 2, 0, kCut},
      {"erase fails", 1000, 1000, 0, 0, kErase},
  };
  for (const Case& c : cases) {
    Log log;
    LogPort port(log);
    if (c.failAt >= 0) port.failingWrites = {static_cast<std::size_t>(c.failAt)};
    EXPECT_EQ(SendThermalPrintout(port, c.start, c.size, c.end), c.failAt < 0 ? 1 : 0) << c.name;
    EXPECT_TRUE(SameLog(log, c.expected)) << c.name;
  }
}

TEST(DotPrintout, PrintsTheStoredLogoAndCuts) {
  const Log whole = {W({0x1B, 0x6F, 0x01}), W({0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D,
                                               0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x1B, 0x6D})};
  for (int failAt : {-1, 0, 1}) {
    Log log;
    LogPort port(log);
    if (failAt >= 0) port.failingWrites = {static_cast<std::size_t>(failAt)};
    EXPECT_EQ(SendDotPrintout(port), failAt < 0 ? 1 : 0);
    EXPECT_TRUE(SameLog(log, failAt < 0 ? whole : Log(whole.begin(), whole.begin() + failAt + 1)));
  }
}

}  // namespace
}  // namespace brindle
