#include "splash/wx/SplashScreenEx.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/settings.h>

#include <algorithm>
#include <optional>

#include "splash/RegionRuns.h"
#include "splash/SplashFade.h"
#include "splash/SplashResource.h"
#include "splash/SplashText.h"

namespace brindle {

namespace {

constexpr int kTimerId = 0;
// How long ShowSplash waits for the first paint of a window that appeared
// without a fade; the X server normally exposes it within a few frames.
constexpr int kFirstPaintWaitMs = 300;
constexpr int kPaintPollMs = 5;

// Borderless, above other windows, no task-bar entry, cut to a shape.
constexpr long kSplashStyle =
    wxFRAME_SHAPED | wxBORDER_NONE | wxSTAY_ON_TOP | wxFRAME_TOOL_WINDOW | wxFRAME_NO_TASKBAR;

wxBitmap BitmapFromRgb(const RgbImage& rgb) {
  wxImage image(rgb.width, rgb.height, false);
  std::copy(rgb.pixels.begin(), rgb.pixels.end(), image.GetData());
  return wxBitmap(image, 24);
}

}  // namespace

CSplashScreenEx::CSplashScreenEx(IClock& clock)
    : clock_(clock), font_(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT)) {
  timer_.SetOwner(this, kTimerId);
  // The picture covers the whole window, so the background is never erased.
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
  Bind(wxEVT_PAINT, &CSplashScreenEx::OnPaint, this);
  Bind(wxEVT_TIMER, &CSplashScreenEx::OnTimer, this, kTimerId);
  Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) { OnInput(e); });
  Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent& e) { OnInput(e); });
  Bind(wxEVT_MIDDLE_DOWN, [this](wxMouseEvent& e) { OnInput(e); });
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) { OnInput(e); });
  Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) { OnInput(e); });
}

CSplashScreenEx::~CSplashScreenEx() { timer_.Stop(); }

int CSplashScreenEx::CreateSplashWindow(wxWindow* parent, const char* text, int timeoutMs,
                                        std::uint32_t flags) {
  parent_ = parent;
  text_ = text != nullptr ? text : "";
  timeoutMs_ = timeoutMs;
  flags_ = flags;
  if (created_) {
    return 1;
  }
  // GTK refuses zero-sized windows; the real size comes with the picture.
  if (!Create(parent, wxID_ANY, wxEmptyString, wxPoint(0, 0), wxSize(1, 1), kSplashStyle,
              "SplashScreenExClass")) {
    return 0;
  }
  created_ = true;
  // wxGTK picks a visual that can blend only if the opacity is set before
  // the window is first shown.
  if ((flags_ & (SplashFadeIn | SplashFadeOut)) && CanSetTransparent()) {
    SetTransparent(255);
  }
  return 1;
}

int CSplashScreenEx::LoadSplashBitmap(int resourceId, int red, int green, int blue) {
  picture_ = wxNullBitmap;
  const std::optional<RgbImage> rgb = LoadBitmapResource(resourceId);
  if (!rgb) {
    return 0;
  }
  picture_ = BitmapFromRgb(*rgb);
  width_ = rgb->width;
  height_ = rgb->height;
  textRect_ = {0, 0, width_, height_};

  const wxRect area = wxGetClientDisplayRect();
  std::optional<SplashRect> parentRect;
  if (parent_ != nullptr) {
    const wxRect r = parent_->GetScreenRect();
    parentRect = SplashRect{r.x, r.y, r.width, r.height};
  }
  position_ = SplashPosition(flags_, {area.x, area.y, area.width, area.height}, parentRect,
                             width_, height_, position_);

  const std::optional<Rgb> key = KeyColourFromComponents(red, green, blue);
  region_ = key ? RegionFromBitmap(picture_, wxColour(key->r, key->g, key->b)) : wxRegion();
  // An all-key picture has an empty outline; the toolkit would read an empty
  // shape as "no shape", so such a splash is simply never shown.
  outlineEmpty_ = key && region_.IsEmpty();
  shaped_ = false;
  if (created_) {
    shaped_ = key && !outlineEmpty_ && SetShape(region_);
    if (!key) {
      SetShape(wxRegion());
    }
    Refresh();
  }
  return 1;
}

wxRegion CSplashScreenEx::RegionFromBitmap(const wxBitmap& bitmap, const wxColour& key) {
  wxRegion region;
  if (!bitmap.IsOk()) {
    return region;
  }
  const wxImage image = bitmap.ConvertToImage();
  const RgbView view{image.GetData(), image.GetWidth(), image.GetHeight(),
                     3 * static_cast<std::size_t>(image.GetWidth())};
  for (const RowRun& run : RegionRunsFromPixels(view, Rgb{key.Red(), key.Green(), key.Blue()})) {
    region.Union(run.x, run.y, run.width, 1);
  }
  return region;
}

bool CSplashScreenEx::Fades() {
  return created_ && (flags_ & (SplashFadeIn | SplashFadeOut)) && CanSetTransparent();
}

void CSplashScreenEx::ShowSplash() {
  if (!created_ || hiding_) {
    return;
  }
  SetSize(position_.x, position_.y, std::max(width_, 1), std::max(height_, 1),
          wxSIZE_ALLOW_MINUS_ONE);
  // A missing picture or an all-key outline leaves nothing to see.
  if (width_ > 0 && height_ > 0 && !outlineEmpty_) {
    const bool fade = (flags_ & SplashFadeIn) && CanSetTransparent();
    if (fade) {
      SetTransparent(0);
    }
    ShowWithoutActivating();
    if (fade) {
      Fade(SplashFadeInMs, true);
    }
    // The caller may block the thread next (start-up pauses for a second),
    // so the picture must be on the screen before returning.
    PumpUntilPainted(kFirstPaintWaitMs);
  }
  if (timeoutMs_ > 0) {
    timer_.Start(timeoutMs_);
  }
}

void CSplashScreenEx::HideSplash() {
  if (hiding_) {
    return;
  }
  hiding_ = true;
  timer_.Stop();
  if (!created_) {
    // No window will ever be destroyed, so nothing else would delete us.
    delete this;
    return;
  }
  if (IsShown()) {
    if ((flags_ & SplashFadeOut) && CanSetTransparent()) {
      Fade(SplashFadeOutMs, false);
    }
    Hide();
    PumpUiEvents();
  }
  Destroy();
}

void CSplashScreenEx::DrawSplash(wxDC& dc) {
  if (picture_.IsOk()) {
    wxMemoryDC memory;
    memory.SelectObjectAsSource(picture_);
    dc.Blit(0, 0, width_, height_, &memory, 0, 0);
  }
  if (text_.empty()) {
    return;
  }
  wxDCFontChanger withFont(dc, font_);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetTextForeground(textColour_);
  const SplashMeasure measure = [&dc](const std::string& s) {
    return dc.GetTextExtent(wxString::FromUTF8(s)).GetWidth();
  };
  for (const SplashTextLine& line :
       LayoutSplashText(text_, textRect_, textFormat_, dc.GetCharHeight(), measure)) {
    dc.DrawText(wxString::FromUTF8(line.text), line.x, line.y);
  }
}

void CSplashScreenEx::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  DrawSplash(dc);
  painted_ = true;
}

void CSplashScreenEx::OnTimer(wxTimerEvent&) {
  timer_.Stop();
  HideSplash();
}

void CSplashScreenEx::OnInput(wxEvent& event) {
  if (flags_ & SplashHideOnInput) {
    HideSplash();
    return;
  }
  event.Skip();
}

void CSplashScreenEx::PumpUiEvents() {
  // Only paint, size and window-state events: no clicks or keys are
  // handled behind the caller's back while it waits for the splash.
  if (wxEventLoopBase* active = wxEventLoopBase::GetActive()) {
    if (!active->IsYielding()) {
      active->YieldFor(wxEVT_CATEGORY_UI);
    }
    return;
  }
  wxGUIEventLoop loop;
  loop.YieldFor(wxEVT_CATEGORY_UI);
}

void CSplashScreenEx::PumpUntilPainted(int maxMs) {
  const std::int64_t start = clock_.NowMs();
  Update();
  PumpUiEvents();
  while (!painted_ && clock_.NowMs() - start < maxMs) {
    clock_.Sleep(kPaintPollMs);
    PumpUiEvents();
  }
}

void CSplashScreenEx::Fade(int durationMs, bool fadingIn) {
  RunFade(clock_, durationMs, fadingIn, [this](int alpha) {
    SetTransparent(static_cast<wxByte>(alpha));
    Update();
    PumpUiEvents();
  });
}

}  // namespace brindle
