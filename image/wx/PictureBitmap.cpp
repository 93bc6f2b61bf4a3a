#include "image/wx/PictureBitmap.h"

namespace brindle {

int PictureBitmap::LoadPicture(const std::string& path, std::uint32_t colour) {
  if (HasBitmap()) return 0;
  if (colour == kNoColour) colour = backgroundColour_;
  wxBitmap loaded = LoadPictureFile(path, colour);
  if (!loaded.IsOk()) return 0;
  bitmap_ = loaded;
  return 1;
}

// The copy goes through 32-bit pixel rows, so it shares nothing with the
// source bitmap.
void PictureBitmap::CopyFrom(const PictureBitmap& other) {
  if (!other.HasBitmap()) return;
  const wxImage pixels = other.bitmap_.ConvertToImage();
  if (!pixels.IsOk()) return;
  wxBitmap copy(pixels);
  if (!copy.IsOk()) return;
  bitmap_ = copy;
}

void PictureBitmap::TakeFrom(PictureBitmap& other) {
  bitmap_ = other.bitmap_;
  other.bitmap_ = wxBitmap();
}

}  // namespace brindle
