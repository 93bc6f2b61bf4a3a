#pragma once
// A plain RGB picture as the splash logic sees it, without any toolkit.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brindle {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// Read-only view of `height` rows of `width` RGB triples, top row first,
// each row starting `stride` bytes after the one before (stride >= 3*width).
struct RgbView {
  const std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  std::size_t stride = 0;

  Rgb At(int x, int y) const {
    const std::uint8_t* p = data + static_cast<std::size_t>(y) * stride + 3 * std::size_t(x);
    return {p[0], p[1], p[2]};
  }
};

// An owned picture with tightly packed rows (stride 3*width).
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  RgbView View() const { return {pixels.data(), width, height, 3 * std::size_t(width)}; }
};

}  // namespace brindle
