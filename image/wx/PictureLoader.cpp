#include "image/wx/PictureLoader.h"

#include <wx/app.h>
#include <wx/gdicmn.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <vector>

#include "image/FileBytes.h"

namespace brindle {
namespace {

wxBitmapType HandlerFor(PictureKindValue kind) {
  switch (kind) {
    case PictureKindValue::Icon: return wxBITMAP_TYPE_ICO;
    case PictureKindValue::Jpeg: return wxBITMAP_TYPE_JPEG;
    case PictureKindValue::Gif: return wxBITMAP_TYPE_GIF;
    default: return wxBITMAP_TYPE_INVALID;
  }
}

void EnsureHandlers() {
  if (wxImage::FindHandler(wxBITMAP_TYPE_JPEG) == nullptr) wxInitAllImageHandlers();
}

// Paints `src` (already at the canvas size) over `canvas`, honouring its
// alpha channel or mask colour.
void Compose(wxImage& canvas, const wxImage& src) {
  const int w = canvas.GetWidth();
  const int h = canvas.GetHeight();
  const bool alpha = src.HasAlpha();
  const bool mask = src.HasMask();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int r = src.GetRed(x, y), g = src.GetGreen(x, y), b = src.GetBlue(x, y);
      if (mask && r == src.GetMaskRed() && g == src.GetMaskGreen() && b == src.GetMaskBlue()) {
        continue;
      }
      const int a = alpha ? src.GetAlpha(x, y) : 255;
      auto blend = [a](int over, int under) { return (over * a + under * (255 - a) + 127) / 255; };
      canvas.SetRGB(x, y, static_cast<unsigned char>(blend(r, canvas.GetRed(x, y))),
                    static_cast<unsigned char>(blend(g, canvas.GetGreen(x, y))),
                    static_cast<unsigned char>(blend(b, canvas.GetBlue(x, y))));
    }
  }
}

}  // namespace

bool DecodePicture(const std::string& path, PictureKindValue kind, DecodedPicture& out) {
  out = DecodedPicture{};
  const wxBitmapType type = HandlerFor(kind);
  if (type == wxBITMAP_TYPE_INVALID) return false;
  EnsureHandlers();
  // The bytes are read by the program's own bounded reader, which takes
  // regular files only, so a FIFO or a device never reaches the decoder.
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, kMaxBmpFileBytes, bytes)) return false;
  wxMemoryInputStream in(bytes.data(), bytes.size());
  wxLogNull quiet;
  wxImage image;
  if (!image.LoadFile(in, type) || !image.IsOk()) return false;
  out.himetricWidth = MulDiv(image.GetWidth(), 2540, kPictureDotsPerInch);
  out.himetricHeight = MulDiv(image.GetHeight(), 2540, kPictureDotsPerInch);
  out.image = image;
  return true;
}

void ScreenDotsPerInch(int& x, int& y) {
  x = y = kPictureDotsPerInch;
  if (wxTheApp == nullptr || !wxTheApp->IsGUI()) return;
  const wxSize ppi = wxGetDisplayPPI();
  if (ppi.x > 0) x = ppi.x;
  if (ppi.y > 0) y = ppi.y;
}

wxBitmap RenderPicture(const DecodedPicture& picture, std::uint32_t colour, int dpiX, int dpiY) {
  const std::int32_t cx = MulDiv(picture.himetricWidth, dpiX, 2540);
  const std::int32_t cy = MulDiv(picture.himetricHeight, dpiY, 2540);
  if (cx <= 0 || cy <= 0 || !picture.image.IsOk()) return wxBitmap();
  wxImage canvas(cx, cy, true);
  if (!canvas.IsOk()) return wxBitmap();
  if (colour != kNoColour) {
    canvas.SetRGB(wxRect(0, 0, cx, cy), static_cast<unsigned char>(colour & 0xFF),
                  static_cast<unsigned char>((colour >> 8) & 0xFF),
                  static_cast<unsigned char>((colour >> 16) & 0xFF));
  }
  Compose(canvas, picture.image.Scale(cx, cy, wxIMAGE_QUALITY_NORMAL));
  wxBitmap bitmap(canvas);
  return bitmap.IsOk() ? bitmap : wxBitmap();
}

wxBitmap RenderPicture(const DecodedPicture& picture, std::uint32_t colour) {
  int dpiX = 0, dpiY = 0;
  ScreenDotsPerInch(dpiX, dpiY);
  return RenderPicture(picture, colour, dpiX, dpiY);
}

wxImage BmpToImage(const BmpImage& bmp) {
  wxImage image(bmp.width, bmp.height, false);
  if (!image.IsOk()) return image;
  for (int y = 0; y < bmp.height; ++y) {
    const int row = bmp.height - 1 - y;
    for (int x = 0; x < bmp.width; ++x) {
      const BmpColour c = PixelColour(bmp, x, row);
      image.SetRGB(x, y, c.red, c.green, c.blue);
    }
  }
  return image;
}

wxBitmap LoadPictureFile(const std::string& path, std::uint32_t colour) {
  // A logo file shows the pixels its conversion reads, whatever its name:
  // a PNG, JPEG or GIF those of its 24-bit BMP, transparency on white.
  if (SniffPictureFile(path) != PictureFormat::Unknown) {
    BmpImage bmp;
    if (ReadPictureFile(path, FitsBmpCaps, bmp) != DecodeStatus::Ok) return wxBitmap();
    const wxImage image = BmpToImage(bmp);
    if (!image.IsOk()) return wxBitmap();
    wxBitmap bitmap(image);
    return bitmap.IsOk() ? bitmap : wxBitmap();
  }
  DecodedPicture picture;
  if (!DecodePicture(path, PictureKind(path), picture)) return wxBitmap();
  return RenderPicture(picture, colour);
}

}  // namespace brindle
