// Arbitrary input never crashes or hangs the decoder, the printer model,
// the NV store reader or the PNG reader (this also runs under ASan and
// UBSan). Inputs are random bytes biased towards command bytes, so that
// deep command states are reached, and mutations of valid streams.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "printer/TestStreams.h"
#include "tools/printer/NvStore.h"
#include "tools/printer/Png.h"
#include "tools/printer/Printer.h"

namespace brindle::printer {
namespace {

using test::Bytes;
using test::operator+;

Bytes RandomStream(std::mt19937& rng, std::size_t maxSize) {
  static const std::uint8_t interesting[] = {0x1B, 0x1C, 0x1D, 0x0A, 0x0D, 0x40, 0x71, 0x70,
                                             0x65, 0x56, 0x42, 0x49, 0x6F, 0x58, 0x2A, 0x6D,
                                             0x00, 0x01, 0x02, 0x30, 0x33, 0x20, 0x21, 0xFF};
  Bytes out(std::uniform_int_distribution<std::size_t>(0, maxSize)(rng));
  for (auto& b : out) {
    b = rng() % 2 ? interesting[rng() % std::size(interesting)] : static_cast<std::uint8_t>(rng());
  }
  return out;
}

Bytes Mutate(Bytes bytes, std::mt19937& rng) {
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < edits && !bytes.empty(); ++i) {
    const std::size_t at = rng() % bytes.size();
    switch (rng() % 3) {
      case 0: bytes[at] = static_cast<std::uint8_t>(rng()); break;
      case 1: bytes.erase(bytes.begin() + static_cast<long>(at)); break;
      default: bytes.insert(bytes.begin() + static_cast<long>(at), static_cast<std::uint8_t>(rng()));
    }
  }
  return bytes;
}

TEST(PrinterFuzz, ArbitraryStreamsAreDecodedAndApplied) {
  std::mt19937 rng(7);
  const Bytes seeds[] = {test::ThermalExample(), test::DotExample(),
                         Bytes{0x1C, 0x71, 0x02} + test::SmallImageBlock() + test::StairBlock() +
                             Bytes{0x1C, 0x70, 0x02, 0x33, 0x1D, 0x56, 0x42, 0x01}};
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < 3000; ++round) {
    const Bytes stream = round % 2 ? RandomStream(rng, 512) : Mutate(seeds[round % 3], rng);
    Printer printer;
    std::uint64_t covered = 0;
    for (const Command& c : test::DecodeAll(stream)) {
      covered += c.length;
      printer.Apply(c);
      (void)LogLine(c, "");
    }
    ASSERT_EQ(covered, stream.size());
  }
  // A hang would show as a blown time budget long before the ctest timeout.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST(PrinterFuzz, StoreReadersRefuseOrAcceptWithoutHarm) {
  std::mt19937 rng(11);
  const Bytes nv = NvSetCommand({NvImage{2, 1, Bytes(16, 0x5A)}});
  DotLogo sample;
  sample.bands = {{0x01, 0x02}, {0x03}};
  const Bytes logo = DotLogoCommand(sample);
  for (int round = 0; round < 3000; ++round) {
    std::vector<NvImage> images;
    DotLogo parsed;
    const Bytes a = round % 2 ? Mutate(nv, rng) : RandomStream(rng, 64);
    if (ParseNvSet(a, images)) {
      for (const NvImage& image : images) ASSERT_EQ(image.bytes.size(), image.xUnits * image.yUnits * 8u);
    }
    const Bytes b = round % 2 ? Mutate(logo, rng) : RandomStream(rng, 64);
    if (ParseDotLogo(b, parsed)) (void)parsed.ToRaster();
  }
}

TEST(PrinterFuzz, PngReaderRefusesDamagedFiles) {
  std::mt19937 rng(13);
  const Bytes png = EncodePng(test::Stair());
  for (int round = 0; round < 500; ++round) {
    const auto picture = DecodePng(round % 2 ? Mutate(png, rng) : RandomStream(rng, 100));
    if (picture) {
      ASSERT_EQ(picture->dots.size(), static_cast<std::size_t>(picture->width) * picture->height);
    }
  }
}

}  // namespace
}  // namespace brindle::printer
