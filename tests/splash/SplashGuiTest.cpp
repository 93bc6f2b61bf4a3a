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

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <thread>

#include <unistd.h>

#include "splash/SplashResource.h"
#include "splash/SplashScreenEx.h"

// Colours print as r,g,b in failure messages.
void PrintTo(const wxColour& c, std::ostream* os) {
  *os << int(c.Red()) << "," << int(c.Green()) << "," << int(c.Blue());
}

namespace brindle {

void PrintTo(const SplashPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

const wxColour kDesktop(0, 110, 120);
const wxColour kMagenta(255, 0, 255);

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

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Lets the toolkit handle everything pending for about `ms` milliseconds.
void Pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    wxTheApp->Yield(true);
    wxTheApp->ProcessIdle();
    SleepMs(5);
  } while (std::chrono::steady_clock::now() < end);
}

// The screen as the X server shows it, read with ImageMagick's import:
// wxScreenDC on GTK 3 can hand back pixels of windows that are gone.
wxImage GrabScreen() {
  char path[] = "/tmp/splash-screen-XXXXXX.png";
  const int fd = mkstemps(path, 4);
  if (fd < 0) {
    return {};
  }
  close(fd);
  const std::string command = std::string("import -window root png24:") + path;
  wxImage shot;
  if (std::system(command.c_str()) == 0) {
    wxLogNull quiet;
    shot.LoadFile(path, wxBITMAP_TYPE_PNG);
  }
  unlink(path);
  return shot;
}

wxColour At(const wxImage& image, int x, int y) {
  if (!image.IsOk() || x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) {
    return wxNullColour;
  }
  return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

// Compares the screen with the picture placed at `origin`: every picture
// pixel must appear as it is, and every key pixel must show what lies
// behind (the desktop colour) when the picture is shaped, or magenta when
// it is not. Returns the number of pixels that differ.
long MismatchesWithPicture(const wxImage& screen, wxPoint origin, bool shaped) {
  const std::optional<RgbImage> picture = LoadBitmapResource(SplashBitmapId);
  if (!picture || !screen.IsOk()) {
    return -1;
  }
  const RgbView view = picture->View();
  long wrong = 0;
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      const Rgb p = view.At(x, y);
      const bool key = p == Rgb{255, 0, 255};
      const wxColour want = key && shaped ? kDesktop : wxColour(p.r, p.g, p.b);
      wrong += At(screen, origin.x + x, origin.y + y) != want;
    }
  }
  return wrong;
}

// Blank full-screen window standing in for the desktop behind the splash.
class Desktop {
 public:
  Desktop() {
    frame_ = new wxFrame(nullptr, wxID_ANY, "desktop", wxPoint(0, 0), wxGetDisplaySize(),
                         wxBORDER_NONE);
    frame_->SetBackgroundColour(kDesktop);
    frame_->Show();
    Pump(200);
  }
  ~Desktop() {
    frame_->Destroy();
    Pump(50);
  }

 private:
  wxFrame* frame_;
};

// The start-up's parent: a dialog that is created but not shown yet.
class HiddenParent {
 public:
  HiddenParent() : dialog_(new wxDialog(nullptr, wxID_ANY, "Brindle_3.10")) {}
  ~HiddenParent() { dialog_->Destroy(); }
  wxDialog* get() const { return dialog_; }

 private:
  wxDialog* dialog_;
};

bool ExpectCompositor() { return std::getenv("BRINDLE_EXPECT_COMPOSITOR") != nullptr; }

// Waits until the splash object has deleted itself, at most two seconds.
bool GoneWithin2s(const wxWeakRef<CSplashScreenEx>& ref) {
  for (int i = 0; i < 100 && ref; ++i) {
    Pump(20);
  }
  return !ref;
}

// Whether the desktop can blend windows; a compositor announces itself a
// moment after it starts, so wait for it where one was started.
bool DesktopCanBlend(wxWindow* probe) {
  auto* tlw = wxDynamicCast(probe, wxTopLevelWindow);
  for (int i = 0; i < 60 && ExpectCompositor() && !tlw->CanSetTransparent(); ++i) {
    Pump(50);
  }
  return tlw->CanSetTransparent();
}

TEST(SplashWindow, StartUpSequenceShowsTheShapedPictureCentred) {
  Desktop desktop;
  HiddenParent parent;
  ASSERT_EQ(DesktopCanBlend(parent.get()), ExpectCompositor());

  // The main window's six steps, with the screen taken during the pause.
  auto* splash = new CSplashScreenEx;
  const wxWeakRef<CSplashScreenEx> alive(splash);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(splash->CreateSplashWindow(parent.get(), "", 0, 15), 1);
  ASSERT_EQ(splash->LoadSplashBitmap(134, 255, 0, 255), 1);
  splash->ShowSplash();
  const auto shown = std::chrono::steady_clock::now();
  SleepMs(300);
  const wxImage screen = GrabScreen();
  std::this_thread::sleep_until(shown + std::chrono::milliseconds(1000));
  splash->HideSplash();
  const auto hidden = std::chrono::steady_clock::now();

  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  const long showMs = duration_cast<milliseconds>(shown - start).count();
  const long totalMs = duration_cast<milliseconds>(hidden - start).count();
  const long hideMs = totalMs - showMs - 1000;
  std::printf("splash: fades %s; ShowSplash %ld ms + pause 1000 ms + HideSplash %ld ms = %ld ms\n",
              splash->Fades() ? "on" : "off", showMs, hideMs, totalMs);
  RecordProperty("splash_total_ms", static_cast<int>(totalMs));

  if (const char* path = std::getenv("BRINDLE_SPLASH_SCREENSHOT")) {
    EXPECT_TRUE(screen.SaveFile(path, wxBITMAP_TYPE_PNG)) << path;
  }

  // 1280 x 1024 screen without panels: ((1280 - 644) / 2, (1024 - 213) / 2).
  const wxPoint origin(318, 405);
  EXPECT_EQ(splash->Position(), (SplashPoint{origin.x, origin.y}));
  EXPECT_TRUE(splash->Shaped());
  EXPECT_EQ(At(screen, origin.x, origin.y), kDesktop) << "the key-coloured corner is cut out";
  EXPECT_NE(At(screen, 640, 511), kDesktop) << "the centre shows the picture";
  EXPECT_EQ(MismatchesWithPicture(screen, origin, true), 0);

  if (ExpectCompositor()) {
    EXPECT_TRUE(splash->Fades());
    EXPECT_GE(showMs, 500);
    EXPECT_LE(showMs, 700);
    EXPECT_GE(hideMs, 200);
    EXPECT_LE(hideMs, 400);
  } else {
    EXPECT_FALSE(splash->Fades());
    EXPECT_LE(showMs, 400);
    EXPECT_LE(hideMs, 200);
  }

  // The window is gone from the screen and the object deletes itself.
  EXPECT_TRUE(GoneWithin2s(alive));
  EXPECT_EQ(At(GrabScreen(), 640, 511), kDesktop);
}

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

TEST(SplashWindow, FadeInBlendsThePictureOverTheDesktop) {
  Desktop desktop;
  HiddenParent parent;
  if (!DesktopCanBlend(parent.get())) {
    GTEST_SKIP() << "this X server cannot blend windows (no compositor)";
  }
  ScreenshotClock clock(200);
  auto* splash = new CSplashScreenEx(clock);
  ASSERT_EQ(splash->CreateSplashWindow(parent.get(), "", 0, 15), 1);
  ASSERT_EQ(splash->LoadSplashBitmap(134, 255, 0, 255), 1);
  splash->ShowSplash();
  splash->HideSplash();
  ASSERT_TRUE(clock.shot.IsOk());
  ASSERT_LT(clock.takenAtMs, 400);

  // Half-way, the dark printer body is a mix of its own colour and the
  // desktop's: neither the one nor the other.
  const wxColour body = At(clock.shot, 318 + 100, 405 + 190);
  const std::optional<RgbImage> picture = LoadBitmapResource(SplashBitmapId);
  const Rgb own = picture->View().At(100, 190);
  EXPECT_NE(body, kDesktop);
  EXPECT_NE(body, wxColour(own.r, own.g, own.b));
  EXPECT_GT(body.Red(), std::min<int>(own.r, kDesktop.Red()));
  EXPECT_LT(body.Green(), std::max<int>(own.g, kDesktop.Green()));
}

TEST(SplashWindow, WithoutAKeyColourTheWholeRectangleShows) {
  Desktop desktop;
  auto* splash = new CSplashScreenEx;
  const wxWeakRef<CSplashScreenEx> alive(splash);
  ASSERT_EQ(splash->CreateSplashWindow(nullptr, nullptr, 0, SplashCenterScreen), 1);
  ASSERT_EQ(splash->LoadSplashBitmap(134, 255, 0, -1), 1);
  EXPECT_FALSE(splash->Shaped());
  splash->ShowSplash();
  Pump(100);
  const wxImage screen = GrabScreen();
  EXPECT_EQ(At(screen, 318, 405), kMagenta);
  EXPECT_EQ(MismatchesWithPicture(screen, {318, 405}, false), 0);
  splash->HideSplash();
  EXPECT_TRUE(GoneWithin2s(alive));
}

TEST(SplashWindow, MissingPictureShowsNothingAndStillCleansUp) {
  Desktop desktop;
  auto* splash = new CSplashScreenEx;
  const wxWeakRef<CSplashScreenEx> alive(splash);
  ASSERT_EQ(splash->CreateSplashWindow(nullptr, "", 0, 15), 1);
  EXPECT_EQ(splash->LoadSplashBitmap(999, 255, 0, 255), 0);
  splash->ShowSplash();
  EXPECT_FALSE(splash->IsShown());
  splash->HideSplash();
  EXPECT_TRUE(GoneWithin2s(alive));

  // A splash whose window was never created deletes itself at once.
  auto* unused = new CSplashScreenEx;
  const wxWeakRef<CSplashScreenEx> unusedAlive(unused);
  unused->HideSplash();
  EXPECT_FALSE(unusedAlive);
}

TEST(SplashWindow, ClickRemovesTheSplashWithHideOnInput) {
  Desktop desktop;
  auto* splash = new CSplashScreenEx;
  const wxWeakRef<CSplashScreenEx> alive(splash);
  ASSERT_EQ(splash->CreateSplashWindow(nullptr, "", 0, SplashCenterScreen | SplashHideOnInput), 1);
  ASSERT_EQ(splash->LoadSplashBitmap(134, 255, 0, 255), 1);
  splash->ShowSplash();
  Pump(100);
  ASSERT_NE(At(GrabScreen(), 640, 511), kDesktop);

  wxUIActionSimulator sim;
  sim.MouseMove(640, 511);
  Pump(50);
  sim.MouseClick();
  EXPECT_TRUE(GoneWithin2s(alive)) << "a click on the splash removes it";
  EXPECT_EQ(At(GrabScreen(), 640, 511), kDesktop);
}

TEST(SplashWindow, TimeOutRemovesTheSplashAndTextIsDrawn) {
  Desktop desktop;
  auto* splash = new CSplashScreenEx;
  const wxWeakRef<CSplashScreenEx> alive(splash);
  ASSERT_EQ(splash->CreateSplashWindow(nullptr, "Loading the logo list", 400, SplashCenterScreen),
            1);
  ASSERT_EQ(splash->LoadSplashBitmap(134, 255, 0, 255), 1);
  const auto start = std::chrono::steady_clock::now();
  splash->ShowSplash();
  Pump(100);
  // The text is drawn black, centred over the picture.
  EXPECT_GT(MismatchesWithPicture(GrabScreen(), {318, 405}, true), 50);
  ASSERT_TRUE(alive);
  EXPECT_TRUE(GoneWithin2s(alive)) << "the 400 ms time-out removes the splash";
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(400));
}

}  // namespace
}  // namespace brindle
