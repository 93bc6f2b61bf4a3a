#include "image/PictureKind.h"

#include <cctype>
#include <limits>

namespace brindle {

PictureKindValue PictureKind(const std::string& path) {
  std::string upper(path);
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  struct Entry {
    const char* text;
    PictureKindValue kind;
  };
  static constexpr Entry kEntries[] = {
      {".BMP", PictureKindValue::Bitmap}, {".ICO", PictureKindValue::Icon},
      {".JPG", PictureKindValue::Jpeg},   {".JPEG", PictureKindValue::Jpeg},
      {".GIF", PictureKindValue::Gif},
  };
  for (const Entry& e : kEntries) {
    const std::size_t at = upper.find(e.text);
    if (at != std::string::npos && at > 0) return e.kind;
  }
  return PictureKindValue::Unsupported;
}

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  const std::int64_t num = static_cast<std::int64_t>(a) * b;
  std::int64_t q = num / c;
  const std::int64_t rem = num % c;
  // Round half away from zero: compare twice the remainder with the divisor.
  const std::int64_t twice = rem < 0 ? -2 * rem : 2 * rem;
  const std::int64_t absC = c < 0 ? -static_cast<std::int64_t>(c) : c;
  if (twice >= absC) q += ((num < 0) != (c < 0)) ? -1 : 1;
  if (q > std::numeric_limits<std::int32_t>::max() ||
      q < std::numeric_limits<std::int32_t>::min()) {
    return -1;
  }
  return static_cast<std::int32_t>(q);
}

}  // namespace brindle
