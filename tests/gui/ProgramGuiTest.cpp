// The brindle program itself, as a user starts it: settings files beside
// the executable, the window found by its caption, "Exit" clicked with the
// mouse.
#include <gtest/gtest.h>

#include <filesystem>

#include "gui/GuiTestMain.h"
#include "support/Process.h"
#include "support/TempDir.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

TEST(ProgramGui, ReadsTheSettingsBesideTheExecutableAndWritesThemOnExit) {
  test::TempDir install;
  fs::copy_file(BRINDLE_EXE, install.File("brindle"));
  fs::permissions(install.File("brindle"), fs::perms::owner_all);
  const std::string samples = std::string(BRINDLE_SOURCE_DIR) + "/res/samples/";
  const std::string list = "[LOGO]\r\r\n"
                           "Logofile1=" + samples + "mono-shop.bmp|mono-shop.bmp|2048|64|256\r\r\n"
                           "Logofile2=" + samples + "gray-cafe.bmp|gray-cafe.bmp|3000|120|200\r\r\n";
  install.Write("files.ini", list);
  install.Write("nvupload.ini", "[LOGO]\r\r\nPrinter=1\r\r\nPort=3\r\r\nBaudRate=5\r\r\n");

  test::BackgroundProcess program({install.File("brindle")});
  // The window appears once the splash has gone; its position tells where
  // to click "Exit" (at 2 pixels per dialog unit: x 842..1016, y 550..596).
  const auto found = test::RunProcess(
      {"/bin/sh", "-c",
       "id=$(timeout 20 xdotool search --sync --onlyvisible --name '^Brindle_3.10$' | head -n 1)"
       " && sleep 0.5 && xdotool getwindowgeometry --shell $id && import -window $id " +
           test::ScreenshotPath("program.png")});
  ASSERT_EQ(found.status, 0) << found.err;
  const auto value = [&](const std::string& key) {
    const auto at = found.out.find(key + "=");
    return std::stoi(found.out.substr(at + key.size() + 1));
  };
  const int x = value("X") + 928, y = value("Y") + 572;
  ASSERT_EQ(test::RunProcess({"/usr/bin/xdotool", "mousemove", std::to_string(x),
                              std::to_string(y), "click", "1"})
                .status,
            0);
  // The process ends by itself after writing both files.
  for (int i = 0; i < 100 && test::RunProcess({"/usr/bin/pgrep", "-f", install.File("brindle")})
                                     .status == 0;
       ++i) {
    test::PumpEvents(50);
  }
  EXPECT_EQ(install.Read("files.ini"),
            "[LOGO]\r\r\n"
            "Logofile1=" + samples + "mono-shop.bmp|mono-shop.bmp|2048|64|256\r\r\n"
            "Logofile2=" + samples + "gray-cafe.bmp|gray-cafe.bmp|3000|120|200\r\r\n");
  // The three lines missing from the stored file selected index 0.
  EXPECT_EQ(install.Read("nvupload.ini"),
            "[LOGO]\r\r\nPrinter=1\r\r\nPort=3\r\r\nBaudRate=5\r\r\nBitLength=0\r\r\n"
            "Parity=0\r\r\nStopBit=0\r\r\nHandShake=0\r\r\n");
}

}  // namespace
}  // namespace brindle
