#pragma once
// The picture files a logo may be, told apart by their first bytes (not by
// their names), and the one loader behind every place that reads a logo:
// a BMP is read as it always was; a PNG, JPEG or GIF becomes the 24-bit BMP
// of the same pixels (see PictureDecoder.h).
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/Bmp.h"
#include "image/PictureDecoder.h"

namespace brindle {

enum class PictureFormat { Unknown, Bmp, Png, Jpeg, Gif };

// "BM"; 89 50 4E 47 0D 0A 1A 0A; FF D8 FF; "GIF87a" or "GIF89a".
PictureFormat SniffPictureFormat(const std::uint8_t* data, std::size_t size);
// The format of the file's first bytes; Unknown when it cannot be read.
PictureFormat SniffPictureFile(const std::string& path);
// "bmp", "png", "jpeg", "gif", or "-" for Unknown.
const char* PictureFormatName(PictureFormat format);
// PNG, JPEG and GIF: the formats that load as the 24-bit BMP of their pixels.
bool IsDecodedFormat(PictureFormat format);

// The sizes a logo may have once decoded (LogoFitsDevice at 24 bits), and
// the BMP reader's own caps (for showing a picture without converting it).
bool FitsLogo(std::int32_t width, std::int32_t height);
bool FitsBmpCaps(std::int32_t width, std::int32_t height);

// Reads a picture of any format: a BMP with ReadBmp (`fits` unused, Ok or
// Refused), the others with their decoder under `fits`. The last picture
// decoded under FitsLogo is kept, so that reading the same bytes again
// copies it instead of decoding them again.
DecodeStatus ReadPicture(const std::uint8_t* data, std::size_t size, SizeCheck fits,
                         BmpImage& out);
// The same for a whole file (at most kMaxBmpFileBytes).
DecodeStatus ReadPictureFile(const std::string& path, SizeCheck fits, BmpImage& out);

}  // namespace brindle
