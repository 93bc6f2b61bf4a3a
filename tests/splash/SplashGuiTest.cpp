// The start-up splash on a real X server (under Xvfb, and again under a
// compositor, where it fades) over a full-screen "desktop" of one colour.
#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/weakref.h>

#include <chrono>
#include <thread>

#include "gui/GuiTestMain.h"
#include "splash/SplashResource.h"
#include "splash/wx/SplashScreenEx.h"

namespace brindle {
namespace {

using namespace std::chrono;

// The start-up's steps (shown, a one-second pause, hidden) show the picture
// centred on the 1280 x 1024 screen with its key colour cut out, then go.
TEST(SplashWindow, ShowsTheShapedPictureCentredThenGoes) {
  const bool compositor = std::getenv("BRINDLE_EXPECT_COMPOSITOR") != nullptr;
  const Rgb desktop{0, 110, 120};
  auto* back = new wxFrame(nullptr, wxID_ANY, "", {0, 0}, wxGetDisplaySize(), wxBORDER_NONE);
  back->SetBackgroundColour(wxColour(desktop.r, desktop.g, desktop.b));
  back->Show();
  auto* parent = new wxDialog(nullptr, wxID_ANY, "Brindle_3.10");
  // A compositor announces itself a moment after it starts.
  for (int i = 0; i < 60 && compositor && !parent->CanSetTransparent(); ++i) test::PumpEvents(50);
  test::PumpEvents(200);

  const auto start = steady_clock::now();
  wxWeakRef<CSplashScreenEx> splash = new CSplashScreenEx;
  ASSERT_EQ(splash->CreateSplashWindow(parent, "", 0, 15), 1);
  ASSERT_EQ(splash->LoadSplashBitmap(SplashBitmapId, 255, 0, 255), 1);
  splash->ShowSplash();
  const auto shown = steady_clock::now();
  std::this_thread::sleep_for(milliseconds(300));
  const wxImage screen = test::Grab(wxRect(318, 405, 644, 213));
  std::this_thread::sleep_until(shown + milliseconds(1000));
  EXPECT_EQ(splash->Fades(), compositor);
  splash->HideSplash();
  const auto showMs = duration_cast<milliseconds>(shown - start).count();
  const auto hideMs = duration_cast<milliseconds>(steady_clock::now() - shown).count() - 1000;
  EXPECT_TRUE(compositor ? showMs >= 500 && showMs <= 700 : showMs <= 400) << showMs;
  EXPECT_TRUE(compositor ? hideMs >= 200 && hideMs <= 400 : hideMs <= 200) << hideMs;

  const RgbView picture = LoadBitmapResource(SplashBitmapId)->View();
  ASSERT_EQ(screen.GetSize(), wxSize(picture.width, picture.height));
  long wrong = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb p = picture.At(x, y), want = p == Rgb{255, 0, 255} ? desktop : p;
      wrong += !(Rgb{screen.GetRed(x, y), screen.GetGreen(x, y), screen.GetBlue(x, y)} == want);
    }
  }
  EXPECT_EQ(wrong, 0);
  for (int i = 0; i < 100 && splash; ++i) test::PumpEvents(20);
  EXPECT_FALSE(splash);
  back->Destroy();
  parent->Destroy();
}

}  // namespace
}  // namespace brindle
