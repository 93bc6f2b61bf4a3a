// Port names to device paths, the device directory's origin, and how a
// port failure is described.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <random>

#include "port/DeviceDirectory.h"
#include "port/Port.h"

namespace brindle {
namespace {

TEST(DeviceDirectory, MapsPortNamesToDeviceFiles) {
  const DeviceDirectory dev("/dev");
  const std::pair<const char*, const char*> serial[] = {
      {"COM1", "/dev/ttyS0"}, {"COM9", "/dev/ttyS8"}, {"COM10", "/dev/ttyS9"},
      {"COM255", "/dev/ttyS254"}, {"COM0", ""}, {"COM01", ""}, {"COM", ""}, {"COM1x", ""},
      {"com1", ""}, {"COM256", ""}, {"LPT1", ""}, {"USB", ""}, {"", ""}};
  for (auto [name, path] : serial) EXPECT_EQ(dev.SerialPath(name), path) << name;
  const std::pair<const char*, const char*> parallel[] = {
      {"LPT1", "/dev/lp0"}, {"LPT2", "/dev/lp1"}, {"LPT0", ""}, {"COM1", ""}, {"TCP/IP", ""}};
  for (auto [name, path] : parallel) EXPECT_EQ(dev.ParallelPath(name), path) << name;
  EXPECT_EQ(dev.UsbPrinterPath(0), "/dev/usb/lp0");
  EXPECT_EQ(dev.UsbPrinterPath(15), "/dev/usb/lp15");
  EXPECT_EQ(DeviceDirectory("/tmp/devs/").SerialPath("COM3"), "/tmp/devs/ttyS2");
  EXPECT_EQ(DescribePortError({EACCES, "/dev/ttyS0"}), "/dev/ttyS0: Permission denied");
  EXPECT_EQ(DescribePortError({0, "/dev/lp0"}), "/dev/lp0: no error");
}

TEST(DeviceDirectory, EnvironmentVariableReplacesDev) {
  const char* saved = getenv("BRINDLE_DEVICE_DIR");
  const std::string keep = saved ? saved : "";
  setenv("BRINDLE_DEVICE_DIR", "/home/op/devs", 1);
  EXPECT_EQ(DeviceDirectory::FromEnvironment().SerialPath("COM3"), "/home/op/devs/ttyS2");
  EXPECT_EQ(DeviceDirectory::FromEnvironment().UsbPrinterPath(1), "/home/op/devs/usb/lp1");
  setenv("BRINDLE_DEVICE_DIR", "", 1);
  EXPECT_EQ(DeviceDirectory::FromEnvironment().Root(), "/dev");
  unsetenv("BRINDLE_DEVICE_DIR");
  EXPECT_EQ(DeviceDirectory::FromEnvironment().ParallelPath("LPT2"), "/dev/lp1");
  if (saved) setenv("BRINDLE_DEVICE_DIR", keep.c_str(), 1);
}

// Property: any text is a serial port name exactly when it is "COM" and a
// number 1..255 written without a leading zero.
TEST(DeviceDirectoryProperty, ArbitraryNamesMapOnlyWhenWellFormed) {
  std::mt19937 rng(4242);
  const std::string alphabet = "COMLPT0123456789 x/\\.-";
  std::uniform_int_distribution<std::size_t> len(0, 8), pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> coin(0, 3), number(0, 400);
  const DeviceDirectory dev("/d");
  for (int i = 0; i < 20000; ++i) {
    std::string name;
    for (std::size_t n = len(rng); n > 0; --n) name += alphabet[pick(rng)];
    if (coin(rng) == 0) name = "COM" + std::to_string(number(rng));
    const bool wellFormed = name.size() >= 4 && name.size() <= 6 && name.starts_with("COM") &&
                            name[3] != '0' &&
                            name.find_first_not_of("0123456789", 3) == std::string::npos &&
                            std::stoi(name.substr(3)) <= 255;
    const std::string expected =
        wellFormed ? "/d/ttyS" + std::to_string(std::stoi(name.substr(3)) - 1) : "";
    ASSERT_EQ(dev.SerialPath(name), expected) << '"' << name << '"';
  }
}

}  // namespace
}  // namespace brindle
