// Fuzzes the PNG decoder and the logo path behind it.
#include "DecoderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return brindle::fuzz::FuzzDecoder(brindle::DecodePng, data, size);
}
