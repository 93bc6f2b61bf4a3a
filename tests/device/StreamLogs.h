#pragma once
// The logs the upload streams should write, built from the dot layout by
// hand: the "Thermal" define command and the "Dot" band packets of each
// port variant, and the dots of a 1-bit BMP such as the preview's picture.
#include <cstdint>
#include <string>
#include <vector>

#include "DotLayout.h"
#include "device/PortKind.h"
#include "support/RecordingPort.h"

namespace brindle::test {

using Image = std::pair<Bytes, Bytes>;  // header, raster

// A whole "Thermal" upload in the variant `kind`: USB sends ESC @ and FS q
// in one write and each raster in one chunked write after 50 ms; the others
// wait 100 ms after ESC @ and send the raster one byte per write.
inline Log ThermalLog(PortKind kind, const std::vector<Image>& images, int count = -1) {
  const auto n = static_cast<std::uint8_t>(count < 0 ? images.size() : count);
  Log log = kind == PortKind::Usb ? Log{W({0x1B, 0x40, 0x1C, 0x71, n})}
                                  : Log{W({0x1B, 0x40}), Wait(100), W({0x1C, 0x71, n})};
  for (const auto& [header, raster] : images) {
    log.push_back(W(header));
    if (kind == PortKind::Usb) log = log + Log{Wait(50), WC(raster)};
    else AddByteWrites(log, raster);
  }
  return log;
}

// The header and column raster of a picture.
inline Image ImageBlock(int width, int height, const Picture& black) {
  const int x = Padded(width) / 8, y = Padded(height) / 8;
  return {{std::uint8_t(x % 256), std::uint8_t(x / 256), std::uint8_t(y % 256),
           std::uint8_t(y / 256)},
          ColumnRaster(width, height, black)};
}

// One packet per band, stating the width as nL nH.
inline std::vector<Bytes> Packets(std::uint8_t nL, std::uint8_t nH,
                                  const std::vector<Bytes>& bands) {
  std::vector<Bytes> packets;
  for (std::size_t b = 0; b < bands.size(); ++b) {
    packets.push_back({0x1B, 0x58, 0x2A, static_cast<std::uint8_t>(b), 0x1B, 0x2A, 0x01, nL, nH});
    packets.back().insert(packets.back().end(), bands[b].begin(), bands[b].end());
  }
  return packets;
}

inline std::vector<Bytes> Bands(int width, int height, const Picture& black) {
  std::vector<Bytes> bands;
  for (int b = 0; b < Padded(height) / 8; ++b) bands.push_back(BandBytes(width, height, black, b));
  return bands;
}

// A whole "Dot" upload: the first write, its wait, one packet per band
// (timed writes over LPT and USB).
inline Log DotLog(PortKind kind, const std::vector<Bytes>& packets) {
  const bool timed = kind == PortKind::Lpt || kind == PortKind::Usb;
  Log log = kind == PortKind::Tcp ? Log{W({0x1B, 0x6F, 0x00, 0x1B, 0x40}), Wait(50)}
                                  : Log{W({0x1B, 0x40, 0x1B, 0x6F, 0x00}), Wait(timed ? 50 : 100)};
  for (const Bytes& p : packets) log.push_back(timed ? WT(p) : W(p));
  return log;
}

inline Log DotLog(PortKind kind, int width, int height, const Picture& black) {
  const int n = Padded(width);
  return DotLog(kind, Packets(std::uint8_t(n % 256), std::uint8_t(n / 256),
                              Bands(width, height, black)));
}

// A 1-bit BMP with a 40-byte header and the colour table white, black (the
// preview's picture): its size and its black pixels, read here apart from
// the program's own reader.
struct MonoPicture {
  int width = 0, height = 0;
  std::vector<std::vector<bool>> black;  // top row first
  bool operator()(int x, int y) const { return black[y][x]; }
};

inline MonoPicture ReadMonoBmp(const std::string& bytes) {
  auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(bytes.at(at + i));
    return v;
  };
  MonoPicture p;
  p.width = static_cast<int>(u32(18));
  p.height = static_cast<int>(u32(22));
  const std::size_t stride = (static_cast<std::size_t>(p.width) + 31) / 32 * 4;
  p.black.assign(p.height, std::vector<bool>(p.width));
  for (int y = 0; y < p.height; ++y) {
    const std::size_t row = u32(10) + static_cast<std::size_t>(p.height - 1 - y) * stride;
    for (int x = 0; x < p.width; ++x) {
      p.black[y][x] = (static_cast<std::uint8_t>(bytes.at(row + x / 8)) >> (7 - x % 8) & 1) != 0;
    }
  }
  return p;
}

}  // namespace brindle::test
