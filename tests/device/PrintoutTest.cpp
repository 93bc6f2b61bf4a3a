// The printout and erase senders: every command's bytes, one write each,
// and what a failed write leaves out.
#include <gtest/gtest.h>

#include "Recorder.h"
#include "device/Printout.h"

namespace brindle {
namespace {

using namespace test;

Log Prints(int first, int last, std::uint8_t m) {
  Log log;
  for (int n = first; n <= last; ++n) log.push_back(W({0x1C, 0x70, static_cast<std::uint8_t>(n), m}));
  return log;
}

Log operator+(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Log kCut = {W({0x1D, 0x56, 0x42, 0x01})};

TEST(ThermalPrintout, SendsTheSelectedImagesThenCuts) {
  struct Case {
    const char* name;
    int start, size, end;
    Log expected;
  } cases[] = {
      {"All, Double High", 0, 2, 0, Prints(1, 255, 0x32) + kCut},
      {"3, Single", 3, 0, 0, Prints(3, 3, 0x30) + kCut},
      {"2-4, Double Wide", 2, 1, 4, Prints(2, 4, 0x31) + kCut},
      {"5-2", 5, 3, 2, kCut},
      {"0-5", 0, 3, 5, Log{W({0x1C, 0x70, 0x00, 0x33})} + kCut},
      {"4-4", 4, 0, 4, Prints(4, 4, 0x30) + kCut},
      {"size index 4", 7, 4, 0, Prints(7, 7, 0x30) + kCut},
      {"size index -1", 7, -1, 0, Prints(7, 7, 0x30) + kCut},
      {"256", 256, 0, 0, Log{W({0x1C, 0x70, 0x00, 0x30})} + kCut},
      {"300", 300, 0, 0, Log{W({0x1C, 0x70, 0x2C, 0x30})} + kCut},
      {"-1", -1, 0, 0, Log{W({0x1C, 0x70, 0xFF, 0x30})} + kCut},
      {"2- -1", 2, 0, -1, Prints(2, 2, 0x30) + kCut},
      {"the largest number", 2147483647, 0, 2147483647, Log{W({0x1C, 0x70, 0xFF, 0x30})} + kCut},
      {"1000 with a size", 1000, 2, 0, Log{W({0x1C, 0x70, 0xE8, 0x32})} + kCut},
      {"erase", 1000, 1000, 0, Log{W({0x1C, 0x65})}},
      {"erase ignores the end", 1000, 1000, 7, Log{W({0x1C, 0x65})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Log log;
    LogPort port(log);
    EXPECT_EQ(SendThermalPrintout(port, c.start, c.size, c.end), 1);
    EXPECT_TRUE(SameLog(log, c.expected));
  }
  EXPECT_EQ(Prints(1, 255, 0x32).size(), 255u);
}

TEST(ThermalPrintout, StopsAtTheFailedWrite) {
  struct Case {
    const char* name;
    int start, size, end;
    std::size_t failAt;
    Log expected;
  } cases[] = {
      {"All, tenth print", 0, 0, 0, 9, Prints(1, 10, 0x30)},
      {"All, the cut", 0, 0, 0, 255, Prints(1, 255, 0x30) + kCut},
      {"range, first print", 2, 0, 4, 0, Prints(2, 2, 0x30)},
      {"single, the print", 3, 0, 0, 0, Prints(3, 3, 0x30)},
      {"single, the cut", 3, 0, 0, 1, Prints(3, 3, 0x30) + kCut},
      {"empty range, the cut", 5, 0, 2, 0, kCut},
      {"erase", 1000, 1000, 0, 0, Log{W({0x1C, 0x65})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Log log;
    LogPort port(log);
    port.failingWrites = {c.failAt};
    EXPECT_EQ(SendThermalPrintout(port, c.start, c.size, c.end), 0);
    EXPECT_TRUE(SameLog(log, c.expected));
  }
}

TEST(DotPrintout, PrintsTheStoredLogoAndCuts) {
  const Log whole = {W({0x1B, 0x6F, 0x01}),
                     W({0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A,
                        0x0D, 0x0A, 0x1B, 0x6D})};
  Log log;
  LogPort port(log);
  EXPECT_EQ(SendDotPrintout(port), 1);
  EXPECT_TRUE(SameLog(log, whole));

  for (std::size_t failAt : {0u, 1u}) {
    Log failed;
    LogPort failing(failed);
    failing.failingWrites = {failAt};
    EXPECT_EQ(SendDotPrintout(failing), 0);
    EXPECT_TRUE(SameLog(failed, Log(whole.begin(), whole.begin() + failAt + 1)));
  }
}

TEST(ThermalPrintout, MapsSizeIndicesToModes) {
  const std::pair<int, std::uint8_t> table[] = {{0, 0x30}, {1, 0x31}, {2, 0x32}, {3, 0x33},
                                                {4, 0x30}, {-1, 0x30}, {1000, 0x30}};
  for (auto [index, mode] : table) EXPECT_EQ(PrintSizeMode(index), mode) << index;
}

}  // namespace
}  // namespace brindle
