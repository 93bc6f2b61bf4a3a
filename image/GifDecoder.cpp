// GIF files through giflib: the first frame on the logical screen.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "image/PictureDecoder.h"

namespace brindle {
namespace {

struct MemoryInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
};

int ReadBytes(GifFileType* gif, GifByteType* out, int count) {
  auto* in = static_cast<MemoryInput*>(gif->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)), in->size - in->at);
  if (n > 0) std::memcpy(out, in->data + in->at, n);
  in->at += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

// Reads one extension; a graphic control extension names the transparent
// index (NO_TRANSPARENT_COLOR, -1, when there is none).
bool ReadExtension(GifFileType* gif, int& transparent) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
    GraphicsControlBlock control;
    if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_ERROR) return false;
    transparent = control.TransparentColor;
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

// Draws the frame just described at its position. Interlaced frames store
// rows 0, 8, 16, ..., then 4, 12, ..., then 2, 6, ..., then 1, 3, ...
bool DrawFrame(GifFileType* gif, int transparent, BmpImage& out) {
  const GifImageDesc& d = gif->Image;
  const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
  if (map == nullptr || d.Width <= 0 || d.Height <= 0 || d.Left < 0 || d.Top < 0 ||
      d.Width > out.width - d.Left || d.Height > out.height - d.Top) {
    return false;
  }
  std::vector<GifPixelType> line(static_cast<std::size_t>(d.Width));
  auto drawLine = [&](int y) {
    if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) return false;
    for (int x = 0; x < d.Width; ++x) {
      const int index = line[x];
      if (index == transparent) continue;
      if (index >= map->ColorCount) return false;
      const GifColorType& c = map->Colors[index];
      PutPixel(out, d.Left + x, d.Top + y, c.Red, c.Green, c.Blue);
    }
    return true;
  };
  static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < (d.Interlace ? 4 : 1); ++pass) {
    const int first = d.Interlace ? kStart[pass] : 0, step = d.Interlace ? kStep[pass] : 1;
    for (int y = first; y < d.Height; y += step) {
      if (!drawLine(y)) return false;
    }
  }
  return true;
}

DecodeStatus ReadFirstFrame(GifFileType* gif, SizeCheck fits, BmpImage& out) {
  const DecodeStatus start = StartRgb24(gif->SWidth, gif->SHeight, fits, out);
  if (start != DecodeStatus::Ok) return start;
  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return DecodeStatus::Refused;
    if (type == EXTENSION_RECORD_TYPE) {
      if (!ReadExtension(gif, transparent)) return DecodeStatus::Refused;
    } else if (type == IMAGE_DESC_RECORD_TYPE) {
      const bool drawn = DGifGetImageDesc(gif) != GIF_ERROR && DrawFrame(gif, transparent, out);
      return drawn ? DecodeStatus::Ok : DecodeStatus::Refused;
    } else {
      return DecodeStatus::Refused;  // the end, or no record at all, before any frame
    }
  }
}

}  // namespace

DecodeStatus DecodeGif(const std::uint8_t* data, std::size_t size, SizeCheck fits,
                       BmpImage& out) {
  out = BmpImage{};
  MemoryInput in{data, data != nullptr ? size : 0, 0};
  int error = 0;
  const GifFile gif(DGifOpen(&in, ReadBytes, &error));
  if (!gif) return DecodeStatus::Refused;
  const DecodeStatus status = ReadFirstFrame(gif.get(), fits, out);
  if (status == DecodeStatus::Refused) out = BmpImage{};
  return status;
}

}  // namespace brindle
