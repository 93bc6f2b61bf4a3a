// PNG files through libpng, read from memory row by row.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "image/PictureDecoder.h"

namespace brindle {
namespace {

// PLTE and tRNS are the only chunks kept besides the image data, and both
// are small.
constexpr png_alloc_size_t kMaxChunkBytes = 64u << 10;

struct MemoryInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (count > in->size - in->at) png_error(png, "truncated");
  std::memcpy(out, in->data + in->at, count);
  in->at += count;
}

// libpng's errors end in a refusal and say nothing; its warnings are
// about chunks this reader skips anyway.
[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Owns libpng's read and info structures.
class PngReader {
 public:
  PngReader()
      : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning)),
        info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {}
  ~PngReader() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_;
  png_infop info_;
};

// The colour table of an indexed file, with the alpha of tRNS.
struct Palette {
  png_colorp colours = nullptr;
  int entries = 0;
  png_bytep alpha = nullptr;
  int alphas = 0;
};

// One row of `columns` pixels into the stored row `out` at columns firstX,
// firstX + stepX, ...: palette indices of 8 bits, or expanded samples of 1
// to 4 channels (gray, gray and alpha, RGB, RGBA) of kBytes bytes. False
// when an index names no palette entry.
template <int kBytes>
bool PutRow(const png_byte* p, const Palette* palette, int channels, int columns,
            std::uint8_t* out, int firstX, int stepX) {
  auto sample = [&p](int k) -> std::uint8_t {
    if constexpr (kBytes == 2) return Scale16(static_cast<unsigned>(p[2 * k] << 8 | p[2 * k + 1]));
    return p[k];
  };
  for (int c = 0; c < columns; ++c, p += channels * kBytes) {
    std::uint8_t* q = out + 3 * static_cast<std::size_t>(firstX + c * stepX);
    if (palette != nullptr) {
      if (p[0] >= palette->entries) return false;
      const png_color& e = palette->colours[p[0]];
      PutBgr(q, e.red, e.green, e.blue, p[0] < palette->alphas ? palette->alpha[p[0]] : 255);
    } else if (channels <= 2) {
      const std::uint8_t g = sample(0);
      PutBgr(q, g, g, g, channels == 2 ? sample(1) : 255);
    } else {
      PutBgr(q, sample(0), sample(1), sample(2), channels == 4 ? sample(3) : 255);
    }
  }
  return true;
}

// Everything that may end in png_error runs here. No object with a
// destructor lives in this frame, so the long jump leaves nothing undone;
// the row buffer belongs to the caller.
DecodeStatus ReadImage(png_structp png, png_infop info, MemoryInput& in, SizeCheck fits,
                       BmpImage& out, std::vector<png_byte>& row) {
  if (setjmp(png_jmpbuf(png)) != 0) return DecodeStatus::Refused;
  png_set_read_fn(png, &in, ReadBytes);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  // Skip every ancillary chunk but tRNS: gamma, colour profiles and text
  // do not change the stored pixels.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bits = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bits, &colourType, &interlace, nullptr, nullptr);
  const DecodeStatus start = StartRgb24(width, height, fits, out);
  if (start != DecodeStatus::Ok) return start;

  // Indices are looked up here, so that one naming no entry is refused as
  // in a BMP file; everything else is expanded by libpng.
  Palette table;
  const bool indexed = colourType == PNG_COLOR_TYPE_PALETTE;
  if (indexed) {
    png_set_packing(png);
    png_get_PLTE(png, info, &table.colours, &table.entries);
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
      png_get_tRNS(png, info, &table.alpha, &table.alphas, nullptr);
    }
  } else {
    png_set_expand(png);
  }
  png_read_update_info(png, info);
  const int channels = png_get_channels(png, info);
  bits = png_get_bit_depth(png, info);
  row.resize(png_get_rowbytes(png, info));
  // Without libpng's interlace handling an interlaced file comes as the
  // seven reduced pictures of Adam7, each pixel once; empty passes are
  // skipped, by libpng as here.
  const bool adam7 = interlace == PNG_INTERLACE_ADAM7;
  for (int pass = 0; pass < (adam7 ? 7 : 1); ++pass) {
    const png_uint_32 columns = adam7 ? PNG_PASS_COLS(width, pass) : width;
    const png_uint_32 rows = adam7 ? PNG_PASS_ROWS(height, pass) : height;
    if (columns == 0 || rows == 0) continue;
    const int firstX = adam7 ? static_cast<int>(PNG_PASS_START_COL(pass)) : 0;
    const int stepX = adam7 ? 1 << PNG_PASS_COL_SHIFT(pass) : 1;
    for (png_uint_32 r = 0; r < rows; ++r) {
      png_read_row(png, row.data(), nullptr);
      const int y = static_cast<int>(adam7 ? PNG_ROW_FROM_PASS_ROW(r, pass) : r);
      const auto put = bits == 16 ? PutRow<2> : PutRow<1>;
      if (!put(row.data(), indexed ? &table : nullptr, channels, static_cast<int>(columns),
               TopDownRow(out, y), firstX, stepX)) {
        return DecodeStatus::Refused;
      }
    }
  }
  return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus DecodePng(const std::uint8_t* data, std::size_t size, SizeCheck fits,
                       BmpImage& out) {
  out = BmpImage{};
  PngReader reader;
  if (reader.info() == nullptr || data == nullptr) return DecodeStatus::Refused;
  MemoryInput in{data, size, 0};
  std::vector<png_byte> row;
  const DecodeStatus status = ReadImage(reader.png(), reader.info(), in, fits, out, row);
  if (status == DecodeStatus::Refused) out = BmpImage{};
  return status;
}

}  // namespace brindle
