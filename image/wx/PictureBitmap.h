#pragma once
// PictureBitmap: a screen bitmap made from a BMP, PNG, ICO, JPEG or GIF file
// for the preview, with the background colour painted under decoded
// pictures.
#include <wx/bitmap.h>

#include <cstdint>
#include <string>

#include "image/wx/PictureLoader.h"

namespace brindle {

class PictureBitmap {
 public:
  explicit PictureBitmap(std::uint32_t backgroundColour) : backgroundColour_(backgroundColour) {}
  virtual ~PictureBitmap() = default;
  PictureBitmap(const PictureBitmap&) = delete;
  PictureBitmap& operator=(const PictureBitmap&) = delete;

  // Loads the file into an empty object: nonzero on success, 0 when the
  // object already holds a bitmap (which it keeps) or the file does not
  // load. A colour of kNoColour means the object's background colour.
  int LoadPicture(const std::string& path, std::uint32_t colour = kNoColour);

  // Replaces this object's bitmap by a screen copy of the other's pixels
  // when the other holds one; when the copy cannot be made nothing changes.
  void CopyFrom(const PictureBitmap& other);

  // Moves the other's bitmap into this object, releasing this one's; the
  // other is left empty.
  void TakeFrom(PictureBitmap& other);

  // Releases the bitmap; the object is empty afterwards.
  void Release() { bitmap_ = wxBitmap(); }

  bool HasBitmap() const { return bitmap_.IsOk(); }
  const wxBitmap& Bitmap() const { return bitmap_; }
  std::uint32_t BackgroundColour() const { return backgroundColour_; }

 private:
  wxBitmap bitmap_;
  std::uint32_t backgroundColour_;
};

}  // namespace brindle
