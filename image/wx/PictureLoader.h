#pragma once
// Free loaders behind PictureBitmap::LoadPicture: BMP, PNG, JPEG and GIF
// files (told by their first bytes) through Brindle's own readers, other
// ICO, JPEG and GIF files (told by their names) through wxImage, each
// turned into a screen bitmap for the preview.
#include <wx/bitmap.h>
#include <wx/image.h>

#include <cstdint>
#include <string>

#include "image/Bmp.h"
#include "image/LogoPicture.h"
#include "image/PictureKind.h"

namespace brindle {

// A colour of 0x00BBGGRR; kNoColour (all bits set) means "none given".
inline constexpr std::uint32_t kNoColour = 0xFFFFFFFFu;

// A decoded picture with its size in units of 0.01 mm.
struct DecodedPicture {
  wxImage image;
  std::int32_t himetricWidth = 0;
  std::int32_t himetricHeight = 0;
};

// Pictures without a stated resolution are taken at 96 dots per inch, so on
// a screen of 96 dots per inch they show at their own pixel size.
inline constexpr int kPictureDotsPerInch = 96;

// Decodes an ICO, JPEG or GIF file (wx logs nothing). False for other
// kinds and for files that do not decode.
bool DecodePicture(const std::string& path, PictureKindValue kind, DecodedPicture& out);

// The screen's logical dots per inch, or 96 without a display.
void ScreenDotsPerInch(int& x, int& y);

// Draws the picture upright into a new bitmap of MulDiv(w, dpiX, 2540) x
// MulDiv(h, dpiY, 2540) pixels, filled first with `colour` unless it is
// kNoColour (transparent parts of the picture show that colour). An invalid
// bitmap when the size is not positive or the bitmap cannot be made.
wxBitmap RenderPicture(const DecodedPicture& picture, std::uint32_t colour, int dpiX, int dpiY);
wxBitmap RenderPicture(const DecodedPicture& picture, std::uint32_t colour);

// The colours of a loaded BMP picture as a wxImage, top row first.
wxImage BmpToImage(const BmpImage& bmp);

// A screen bitmap of the file: a BMP, PNG, JPEG or GIF at its own size as
// ReadPictureFile reads it within the BMP reader's caps (colour unused),
// another ICO, JPEG or GIF through RenderPicture; invalid for other kinds
// and for files that cannot be read or decoded.
wxBitmap LoadPictureFile(const std::string& path, std::uint32_t colour);

}  // namespace brindle
