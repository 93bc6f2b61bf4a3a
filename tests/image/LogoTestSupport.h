#pragma once
// Loading hand-built pictures into a LogoBitmap for the conversion tests.
#include <gtest/gtest.h>

#include <memory>

#include "BmpBuilder.h"
#include "image/LogoBitmap.h"

namespace brindle::test {

inline std::unique_ptr<LogoBitmap> LoadLogo(const BmpFields& fields) {
  auto logo = std::make_unique<LogoBitmap>();
  const Bytes file = BuildBmp(fields);
  EXPECT_EQ(logo->LoadBitmapData(file.data(), file.size()), 1);
  return logo;
}

// An 8-bit picture one row high whose indices are `values` (the colour
// table is all black, so the indices themselves are the gray values).
inline BmpFields Indexed8(const std::vector<std::uint8_t>& values, int height = 1) {
  BmpFields s;
  s.bitsPerPixel = 8;
  s.width = static_cast<int>(values.size());
  s.height = height;
  s.palette.assign(256, 0);
  const std::size_t rowBytes = ((values.size() + 3) / 4) * 4;
  for (int r = 0; r < height; ++r) {
    Bytes row(values.begin(), values.end());
    row.resize(rowBytes, 0);
    s.pixels.insert(s.pixels.end(), row.begin(), row.end());
  }
  return s;
}

}  // namespace brindle::test
