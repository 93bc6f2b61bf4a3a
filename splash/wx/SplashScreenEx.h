#pragma once
// The start-up splash: a borderless top-level window cut to the outline of
// its picture, blended in and out where the desktop can make windows
// transparent.
//
// Life: `new CSplashScreenEx` -> CreateSplashWindow (hidden) ->
// LoadSplashBitmap -> ShowSplash -> HideSplash, after which the window is
// destroyed and the object deletes itself once the window is gone. The
// creator never deletes it.
#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/font.h>
#include <wx/frame.h>
#include <wx/region.h>
#include <wx/timer.h>

#include <cstdint>
#include <string>

#include "core/Clock.h"
#include "splash/SplashFlags.h"
#include "splash/SplashGeometry.h"

namespace brindle {

class CSplashScreenEx : public wxFrame {
 public:
  // Fades wait on `clock` (the real one unless a caller needs another).
  explicit CSplashScreenEx(IClock& clock = SystemClock::Instance());

  // Stores the settings and creates the hidden, borderless, always-on-top
  // window owned by `parent` (which may be null or not yet shown). A null
  // text counts as empty; a time-out of 0 starts no timer. Returns 1 when
  // the window exists, else 0.
  int CreateSplashWindow(wxWindow* parent, const char* text, int timeoutMs, std::uint32_t flags);

  // Loads bitmap resource `resourceId`, sizes the text area to it, works out
  // the position from the flags and, unless a component is 0xFFFF (-1),
  // cuts every pixel of the key colour (low bytes of the components) out of
  // the window. Returns 1 when the picture was loaded, else 0.
  int LoadSplashBitmap(int resourceId, int red, int green, int blue);

  // Places the window and shows it without taking the focus; with
  // SplashFadeIn it blends in over 500 ms. Returns once the picture is on
  // the screen. Starts the time-out timer when one was given.
  void ShowSplash();

  // With SplashFadeOut blends out over 200 ms, then hides and destroys the
  // window; the object is deleted when the window is gone. Later calls do
  // nothing.
  void HideSplash();

  // The outline of `bitmap`: every pixel whose colour differs from `key`,
  // as the union of one-pixel-high row runs. Empty for an invalid bitmap.
  static wxRegion RegionFromBitmap(const wxBitmap& bitmap, const wxColour& key);

  // Copies the picture to the top-left of `dc` and draws the text over it.
  void DrawSplash(wxDC& dc);

  // What the splash has decided, for the program's own checks.
  SplashPoint Position() const { return position_; }
  bool Shaped() const { return shaped_; }
  bool Fades();

 protected:
  // Deleted only through Destroy(), by the toolkit, once the window is gone.
  ~CSplashScreenEx() override;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnTimer(wxTimerEvent& event);
  void OnInput(wxEvent& event);
  // Delivers pending paint and window-state events (no user input) so that
  // each opacity step reaches the screen.
  void PumpUiEvents();
  // Waits until the window has been painted once, at most `maxMs`.
  void PumpUntilPainted(int maxMs);
  void Fade(int durationMs, bool fadingIn);

  IClock& clock_;
  wxWindow* parent_ = nullptr;
  wxBitmap picture_;
  wxFont font_;
  wxRegion region_;
  std::uint32_t flags_ = 0;
  int timeoutMs_ = SplashDefaultTimeoutMs;
  std::string text_;
  SplashRect textRect_;
  std::uint32_t textFormat_ = SplashTextDefaultFormat;
  wxColour textColour_{0, 0, 0};
  int width_ = 0;
  int height_ = 0;
  SplashPoint position_;
  wxTimer timer_;
  bool created_ = false;
  bool shaped_ = false;
  bool outlineEmpty_ = false;
  bool painted_ = false;
  bool hiding_ = false;
};

}  // namespace brindle
