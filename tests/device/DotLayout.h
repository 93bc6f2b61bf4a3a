#pragma once
// The upload streams worked out from the dot layout: a byte per 8 vertical
// dots, top dot in the high bit, sizes padded to multiples of 8.
#include <string>
#include <utility>

#include "device/PortKind.h"
#include "support/Bmp.h"
#include "support/RecordingPort.h"

namespace brindle::test {

inline Log Head(Log log, std::size_t n) {
  log.resize(n);
  return log;
}

inline int Padded(int n) { return (n + 7) / 8 * 8; }

// Every third column black, and the whole top row.
inline bool Stripes(int x, int y) { return x % 3 == 0 || y == 0; }

// The dots of column x from row 8 * band down.
inline std::uint8_t DotByte(int width, int height, const Picture& black, int x, int band) {
  std::uint8_t byte = 0;
  for (int k = 0, y = 8 * band; k < 8; ++k, ++y) {
    if (x < width && y < height && black(x, y)) byte |= static_cast<std::uint8_t>(0x80 >> k);
  }
  return byte;
}

// A "Thermal" block: xL xH yL yH, then each column top down, left to right.
using Image = std::pair<Bytes, Bytes>;
inline Image ImageBlock(int width, int height, const Picture& black) {
  const int x = Padded(width) / 8, y = Padded(height) / 8;
  Image block = {{std::uint8_t(x), std::uint8_t(x >> 8), std::uint8_t(y), std::uint8_t(y >> 8)},
                 {}};
  for (int c = 0; c < 8 * x; ++c) {
    for (int b = 0; b < y; ++b) block.second.push_back(DotByte(width, height, black, c, b));
  }
  return block;
}

// A "Thermal" upload: on USB ESC @ FS q n in one write, each raster chunked
// after 50 ms; elsewhere 100 ms after ESC @, a write per raster byte.
inline Log ThermalLog(PortKind kind, const std::vector<Image>& images, int count = -1) {
  const auto n = static_cast<std::uint8_t>(count < 0 ? images.size() : count);
  const bool usb = kind == PortKind::Usb;
  Log log = usb ? Log{W({0x1B, 0x40, 0x1C, 0x71, n})}
                : Log{W({0x1B, 0x40}), Wait(100), W({0x1C, 0x71, n})};
  for (const auto& [header, raster] : images) {
    log.push_back(W(header));
    if (usb) log = log + Log{Wait(50), WC(raster)};
    for (std::uint8_t b : usb ? Bytes() : raster) log.push_back(W({b}));
  }
  return log;
}

// The "Dot" bands: 1B 58 2A b 1B 2A 01 nL nH (n the padded width), bytes.
inline std::vector<Bytes> DotPackets(int width, int height, const Picture& black) {
  const int n = Padded(width);
  std::vector<Bytes> packets;
  for (int b = 0; b < Padded(height) / 8; ++b) {
    Bytes& p = packets.emplace_back(Bytes{0x1B, 0x58, 0x2A, std::uint8_t(b), 0x1B, 0x2A, 0x01,
                                          std::uint8_t(n), std::uint8_t(n >> 8)});
    for (int x = 0; x < n; ++x) p.push_back(DotByte(width, height, black, x, b));
  }
  return packets;
}

// A "Dot" upload: first write, wait, a packet per band (timed: LPT, USB).
inline Log DotLog(PortKind kind, const std::vector<Bytes>& packets) {
  const bool timed = kind == PortKind::Lpt || kind == PortKind::Usb;
  Log log = kind == PortKind::Tcp ? Log{W({0x1B, 0x6F, 0x00, 0x1B, 0x40}), Wait(50)}
                                  : Log{W({0x1B, 0x40, 0x1B, 0x6F, 0x00}), Wait(timed ? 50 : 100)};
  for (const Bytes& p : packets) log.push_back(timed ? WT(p) : W(p));
  return log;
}

// The "Dot" printout: print the stored logo, then feed and cut.
inline const Log kDotPrint = {W({0x1B, 0x6F, 0x01}), W({0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D,
                                                         0x0A, 0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A,
                                                         0x1B, 0x6D})};

// The size and black pixels of a preview (1-bit BMP, white then black).
struct Mono {
  int width, height;
  Picture black;
};
inline Mono ReadMonoBmp(const std::string& bytes) {
  auto u32 = [&bytes](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(bytes.at(at + i));
    return v;
  };
  const int w = static_cast<int>(u32(18)), h = static_cast<int>(u32(22));
  const std::size_t stride = (static_cast<std::size_t>(w) + 31) / 32 * 4, offset = u32(10);
  return {w, h, [=](int x, int y) {
            const std::size_t at = offset + static_cast<std::size_t>(h - 1 - y) * stride + x / 8;
            return (static_cast<std::uint8_t>(bytes.at(at)) >> (7 - x % 8) & 1) != 0;
          }};
}

}  // namespace brindle::test
