#pragma once
// LogoBitmap: the working object that turns one logo file into device
// raster data. A BMP file is read as it is; a PNG, JPEG or GIF file loads as
// the 24-bit BMP of the same pixels (LogoPicture.h) and answers the probes
// as that file would. It loads the file's stored rows, answers two questions about
// the file header, converts the picture to black and white in its two
// working images and packs the dots into `raster`.
//
// The object is large (862,208 bytes of buffers): create it on the heap
// (std::make_unique<LogoBitmap>()). One object may serve several files in
// turn; every probe and load resets `rasterLength` to 0.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "image/Bmp.h"
#include "image/LogoLimits.h"

namespace brindle {

class LogoBitmap {
 public:
  static constexpr std::size_t kRasterBytes = brindle::kRasterBytes;
  static constexpr int kImageRows = 650;
  static constexpr int kImageStride = kMaxConvertWidth;

  // What the steps use of the loaded picture; `pixels` points into the
  // picture owned by this object, `rowBytes` x `height` bytes, bottom-up.
  struct PictureDescription {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t rowBytes = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitsPerPixel = 0;
    const std::uint8_t* pixels = nullptr;
  };

  LogoBitmap();
  virtual ~LogoBitmap();
  LogoBitmap(const LogoBitmap&) = delete;
  LogoBitmap& operator=(const LogoBitmap&) = delete;

  // Loading and probes. ProbeHeader gives `needsConversion`: 1 when the
  // pixel data start at offset 54 or the depth is not 1 bit (4, 8, 16, 24 or
  // 32). ProbePalette gives `paletteWhite`: 1 when colour-table entry 0 (in
  // a file without one, the first stored pixel) is white; with the usual
  // 40-byte header these are file bytes 54, 55, 56. Both read the start of
  // the file, count missing bytes as 0 and give 0 unless it starts with
  // "BM" or is a PNG, JPEG or GIF (needsConversion 1; paletteWhite 1 when
  // its bottom-left pixel, once decoded, is white). LoadBitmapFile gives 1
  // on success, 0 on failure (no picture then); a PNG, JPEG or GIF beyond
  // FitsLogo is not decoded and fails.
  int ProbeHeader(const std::string& path);
  int LoadBitmapFile(const std::string& path);
  int ProbePalette(const std::string& path);
  // LoadBitmapFile over bytes already in memory.
  int LoadBitmapData(const std::uint8_t* data, std::size_t size);

  // Conversion steps. The gray steps ignore positions outside the picture;
  // ThresholdGray and DiffuseError do nothing for a picture beyond the
  // working images (see FitsWorkImages). A pixel's gray comes from its
  // colour: at 1, 4 and 8 bits the colour-table entry it names (an entry
  // whose blue, green and red are equal gives that value itself), at 16
  // bits its channel masks scaled to 0..255.
  void ToGray(int x, int r);
  void ToGrayAdjusted(int x, int r, std::uint16_t level);
  void ThresholdGray(std::uint16_t level);
  void DiffuseError();

  // The whole conversion into monoImage, the picture the preview shows:
  // gray values brightened by the level and error diffusion (which also
  // writes "TempTe.bmp"), or plain gray values cut at the level's
  // threshold. False, converting nothing, without a picture or for one
  // beyond the working images.
  bool ConvertDiffused(std::uint16_t level);
  bool ConvertThreshold(std::uint16_t level);

  // Packing. The column-order packings return paddedHeight / 8 (bytes per
  // column), or 0 when there is no picture or the picture is refused: the
  // converting ones need FitsWorkImages, the direct ones FitsRaster. A
  // refused picture packs nothing. PackDiffused and PackThreshold convert
  // and pack monoImage; PackDirect packs a 1-bit picture's black pixels,
  // `paletteWhite` telling which bit value is black. The band packings
  // return 1 when they packed and 0 when they packed nothing, for the same
  // reasons: PackBands packs a 1-bit picture directly, PackConvertedBands
  // the monoImage of the last conversion.
  int PackDiffused(std::uint16_t level);
  int PackThreshold(std::uint16_t level);
  int PackDirect(int paletteWhite);
  int PackBands(int paletteWhite);
  int PackConvertedBands();

  // The temporary monochrome files "Temp.bmp" (monoImage) and "TempTe.bmp"
  // (grayImage cut at 128) in the folder of image/TempFiles.h: 255 without
  // picture, 0 when the file cannot be created or written (or the picture
  // is beyond the working images), 1 when written.
  int WritePreviewFile();
  int WriteAdjustedFile();

  bool HasPicture() const { return picture != nullptr; }
  // paddedWidth <= 512 and paddedHeight <= 648.
  bool FitsWorkImages() const;
  // rasterLength + paddedWidth * paddedHeight / 8 <= 196,608.
  bool FitsRaster() const;

  // Fields, in the order of the data model.
  std::array<std::uint8_t, kRasterBytes> raster{};
  std::array<std::array<std::uint8_t, kImageStride>, kImageRows> grayImage{};
  std::array<std::array<std::uint8_t, kImageStride>, kImageRows> monoImage{};
  PictureDescription description;
  std::unique_ptr<BmpImage> picture;
  std::int32_t rasterLength = 0;
  std::int32_t paddedHeight = 0;
  std::int32_t paddedWidth = 0;

 private:
  int Probe(const std::string& path, int which);
  bool InsidePicture(int x, int r) const;
  void StoreGray(int x, int r, int offset);
  void StoreGrayRow(int r, int offset);
  bool DotAt(int x, int y, int source) const;
  int PackColumns(int source);
  int PackBandRows(int source);
  int WriteMonoFile(const char* name, bool fromGray);
};

// Per-level constants of the conversion: the brightness offset of "Error
// Diffusion" (0 at level 5, else trunc((5 - L) * 5 * 1.27)) and the
// threshold of "None" (5 * L + 103).
int BrightnessOffset(std::uint16_t level);
int ThresholdLevel(std::uint16_t level);

// The two probes over the first bytes of a file (any number of them; bytes
// beyond `size` count as 0): 0 unless at least 14 bytes start with "BM";
// for a PNG, JPEG or GIF the whole file, answered as above.
int ProbeHeaderBytes(const std::uint8_t* data, std::size_t size);
int ProbePaletteBytes(const std::uint8_t* data, std::size_t size);

}  // namespace brindle
