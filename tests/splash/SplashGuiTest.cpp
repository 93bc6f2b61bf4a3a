// The splash window on a real X server (run under Xvfb, and once more with
// a compositor). A full-screen "desktop" window of one colour lies behind
// the splash, so the screen shows exactly where the picture was cut out.
//
// BRINDLE_SPLASH_SCREENSHOT=<file.png> saves the screen taken during the
// one-second pause of the start-up sequence.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "splash/SplashResource.h"
#include "splash/wx/SplashScreenEx.h"

// Colours print as r,g,b in failure messages.
void PrintTo(const wxColour& c, std::ostream* os) {
  *os << int(c.Red()) << "," << int(c.Green()) << "," << int(c.Blue());
}

namespace brindle {

void PrintTo(const SplashPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const wxColour kDesktop(0, 110, 120);
const wxColour kMagenta(255, 0, 255);
// 1280 x 1024 screen without panels: ((1280 - 644) / 2, (1024 - 213) / 2).
const wxPoint kOrigin(318, 405);
const wxPoint kCentre(640, 511);

class WxEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static char name[] = "splash_gui_tests";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    wxApp::SetInstance(new wxApp);
    ASSERT_TRUE(wxEntryStart(argc, argv)) << "no X display";
    ASSERT_TRUE(wxTheApp->CallOnInit());
    // Toolkit complaints go to the test's output, never into a message box.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxInitAllImageHandlers();
  }
  void TearDown() override { wxEntryCleanup(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

// Lets the toolkit handle everything pending for about `ms` milliseconds.
void Pump(int ms) {
  const auto end = Clock::now() + milliseconds(ms);
  do {
    wxTheApp->Yield(true);
    wxTheApp->ProcessIdle();
    std::this_thread::sleep_for(milliseconds(5));
  } while (Clock::now() < end);
}

// The screen as the X server shows it, read with ImageMagick's import:
// wxScreenDC on GTK 3 can hand back pixels of windows that are gone.
wxImage GrabScreen() {
  char path[] = "/tmp/splash-screen-XXXXXX.png";
  wxImage shot;
  if (const int fd = mkstemps(path, 4); fd >= 0 && close(fd) == 0 &&
      std::system((std::string("import -window root png24:") + path).c_str()) == 0) {
    wxLogNull quiet;
    shot.LoadFile(path, wxBITMAP_TYPE_PNG);
  }
  unlink(path);
  return shot;
}

wxColour At(const wxImage& image, wxPoint p) {
  if (!image.IsOk() || !wxRect(image.GetSize()).Contains(p)) return wxNullColour;
  return {image.GetRed(p.x, p.y), image.GetGreen(p.x, p.y), image.GetBlue(p.x, p.y)};
}

// Compares the screen with the picture placed at kOrigin: every picture
// pixel must appear as it is, and every key pixel must show what lies
// behind (the desktop colour) when the picture is shaped, or magenta when
// it is not. Returns the number of pixels that differ.
long MismatchesWithPicture(const wxImage& screen, bool shaped) {
  const std::optional<RgbImage> picture = LoadBitmapResource(SplashBitmapId);
  if (!picture || !screen.IsOk()) return -1;
  const RgbView view = picture->View();
  long wrong = 0;
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      const Rgb p = view.At(x, y);
      const wxColour want = p == Rgb{255, 0, 255} && shaped ? kDesktop : wxColour(p.r, p.g, p.b);
      wrong += At(screen, kOrigin + wxPoint(x, y)) != want;
    }
  }
  return wrong;
}

bool ExpectCompositor() { return std::getenv("BRINDLE_EXPECT_COMPOSITOR") != nullptr; }

// A clock that takes one screenshot at the first wait at or after `atMs`.
class ScreenshotClock final : public IClock {
 public:
  explicit ScreenshotClock(int atMs) : atMs_(atMs) {}
  void Sleep(int ms) override {
    if (!shot.IsOk() && NowMs() - start_ >= atMs_) {
      takenAtMs = NowMs() - start_;
      shot = GrabScreen();
    }
    SystemClock::Instance().Sleep(ms);
  }
  std::int64_t NowMs() override { return SystemClock::Instance().NowMs(); }

  wxImage shot;
  std::int64_t takenAtMs = -1;

 private:
  int atMs_;
  std::int64_t start_ = SystemClock::Instance().NowMs();
};

// A blank full-screen window stands in for the desktop behind the splash;
// `parent` is the start-up's: a dialog that is created but not shown yet.
class SplashWindow : public ::testing::Test {
 protected:
  SplashWindow() {
    desktop_->SetBackgroundColour(kDesktop);
    desktop_->Show();
    Pump(200);
  }
  ~SplashWindow() override {
    desktop_->Destroy();
    parent->Destroy();
    Pump(50);
  }

  // A new splash with its window created and picture 134 loaded with the
  // key colour magenta, or none when `blue` is -1.
  CSplashScreenEx* NewSplash(wxWindow* owner, const char* text, int timeoutMs,
                             std::uint32_t flags, int blue = 255,
                             IClock& clock = SystemClock::Instance()) {
    auto* splash = new CSplashScreenEx(clock);
    alive = splash;
    EXPECT_EQ(splash->CreateSplashWindow(owner, text, timeoutMs, flags), 1);
    EXPECT_EQ(splash->LoadSplashBitmap(134, 255, 0, blue), 1);
    return splash;
  }

  // Waits until the splash object has deleted itself, at most two seconds.
  bool GoneWithin2s() {
    for (int i = 0; i < 100 && alive; ++i) Pump(20);
    return !alive;
  }

  // Whether the desktop can blend windows; a compositor announces itself a
  // moment after it starts, so wait for it where one was started.
  bool DesktopCanBlend() {
    for (int i = 0; i < 60 && ExpectCompositor() && !parent->CanSetTransparent(); ++i) Pump(50);
    return parent->CanSetTransparent();
  }

  wxFrame* desktop_ =
      new wxFrame(nullptr, wxID_ANY, "desktop", {0, 0}, wxGetDisplaySize(), wxBORDER_NONE);
  wxDialog* parent = new wxDialog(nullptr, wxID_ANY, "Brindle_3.10");
  wxWeakRef<CSplashScreenEx> alive;
};

TEST_F(SplashWindow, StartUpSequenceShowsTheShapedPictureCentred) {
  ASSERT_EQ(DesktopCanBlend(), ExpectCompositor());

  // The main window's six steps, with the screen taken during the pause.
  const auto start = Clock::now();
  CSplashScreenEx* splash = NewSplash(parent, "", 0, 15);
  splash->ShowSplash();
  const auto shown = Clock::now();
  std::this_thread::sleep_for(milliseconds(300));
  const wxImage screen = GrabScreen();
  std::this_thread::sleep_until(shown + milliseconds(1000));
  splash->HideSplash();
  const long showMs = std::chrono::duration_cast<milliseconds>(shown - start).count();
  const long totalMs = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
  const long hideMs = totalMs - showMs - 1000;
  std::printf("splash: fades %s; ShowSplash %ld ms + pause 1000 ms + HideSplash %ld ms = %ld ms\n",
              splash->Fades() ? "on" : "off", showMs, hideMs, totalMs);
  RecordProperty("splash_total_ms", static_cast<int>(totalMs));
  if (const char* path = std::getenv("BRINDLE_SPLASH_SCREENSHOT")) {
    EXPECT_TRUE(screen.SaveFile(path, wxBITMAP_TYPE_PNG)) << path;
  }

  EXPECT_EQ(splash->Position(), (SplashPoint{kOrigin.x, kOrigin.y}));
  EXPECT_TRUE(splash->Shaped());
  EXPECT_EQ(At(screen, kOrigin), kDesktop) << "the key-coloured corner is cut out";
  EXPECT_NE(At(screen, kCentre), kDesktop) << "the centre shows the picture";
  EXPECT_EQ(MismatchesWithPicture(screen, true), 0);
  EXPECT_EQ(splash->Fades(), ExpectCompositor());
  EXPECT_TRUE(ExpectCompositor() ? showMs >= 500 && showMs <= 700 : showMs <= 400) << showMs;
  EXPECT_TRUE(ExpectCompositor() ? hideMs >= 200 && hideMs <= 400 : hideMs <= 200) << hideMs;
  // The window is gone from the screen and the object deletes itself.
  EXPECT_TRUE(GoneWithin2s());
  EXPECT_EQ(At(GrabScreen(), kCentre), kDesktop);
}

TEST_F(SplashWindow, FadeInBlendsThePictureOverTheDesktop) {
  if (!DesktopCanBlend()) GTEST_SKIP() << "this X server cannot blend windows (no compositor)";
  ScreenshotClock clock(200);
  CSplashScreenEx* splash = NewSplash(parent, "", 0, 15, 255, clock);
  splash->ShowSplash();
  splash->HideSplash();
  ASSERT_TRUE(clock.shot.IsOk());
  ASSERT_LT(clock.takenAtMs, 400);

  // Half-way, the dark printer body is a mix of its own colour and the
  // desktop's: neither the one nor the other.
  const wxColour body = At(clock.shot, kOrigin + wxPoint(100, 190));
  const Rgb own = LoadBitmapResource(SplashBitmapId)->View().At(100, 190);
  EXPECT_NE(body, kDesktop);
  EXPECT_NE(body, wxColour(own.r, own.g, own.b));
  EXPECT_GT(body.Red(), std::min<int>(own.r, kDesktop.Red()));
  EXPECT_LT(body.Green(), std::max<int>(own.g, kDesktop.Green()));
}

TEST_F(SplashWindow, WithoutAKeyColourTheWholeRectangleShows) {
  CSplashScreenEx* splash = NewSplash(nullptr, nullptr, 0, SplashCenterScreen, -1);
  EXPECT_FALSE(splash->Shaped());
  splash->ShowSplash();
  Pump(100);
  const wxImage screen = GrabScreen();
  EXPECT_EQ(At(screen, kOrigin), kMagenta);
  EXPECT_EQ(MismatchesWithPicture(screen, false), 0);
  splash->HideSplash();
  EXPECT_TRUE(GoneWithin2s());
}

// A missing picture shows nothing and the object still deletes itself, as
// does one whose window was never created.
TEST_F(SplashWindow, MissingPictureShowsNothingAndStillCleansUp) {
  auto* splash = new CSplashScreenEx;
  alive = splash;
  ASSERT_EQ(splash->CreateSplashWindow(nullptr, "", 0, 15), 1);
  EXPECT_EQ(splash->LoadSplashBitmap(999, 255, 0, 255), 0);
  splash->ShowSplash();
  EXPECT_FALSE(splash->IsShown());
  splash->HideSplash();
  EXPECT_TRUE(GoneWithin2s());
  alive = new CSplashScreenEx;
  alive->HideSplash();
  EXPECT_FALSE(alive);
}

TEST_F(SplashWindow, ClickRemovesTheSplashWithHideOnInput) {
  NewSplash(nullptr, "", 0, SplashCenterScreen | SplashHideOnInput)->ShowSplash();
  Pump(100);
  ASSERT_NE(At(GrabScreen(), kCentre), kDesktop);
  wxUIActionSimulator sim;
  sim.MouseMove(kCentre);
  Pump(50);
  sim.MouseClick();
  EXPECT_TRUE(GoneWithin2s()) << "a click on the splash removes it";
  EXPECT_EQ(At(GrabScreen(), kCentre), kDesktop);
}

TEST_F(SplashWindow, TimeOutRemovesTheSplashAndTextIsDrawn) {
  const auto start = Clock::now();
  NewSplash(nullptr, "Loading the logo list", 400, SplashCenterScreen)->ShowSplash();
  Pump(100);
  // The text is drawn black, centred over the picture.
  EXPECT_GT(MismatchesWithPicture(GrabScreen(), true), 50);
  ASSERT_TRUE(alive);
  EXPECT_TRUE(GoneWithin2s()) << "the 400 ms time-out removes the splash";
  EXPECT_GE(Clock::now() - start, milliseconds(400));
}

}  // namespace
}  // namespace brindle
