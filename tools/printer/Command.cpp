#include "tools/printer/Command.h"

#include <cstdio>

namespace brindle::printer {
namespace {

std::string Params(const std::vector<int>& params) {
  std::string out;
  for (int p : params) out += " " + std::to_string(p);
  return out;
}

std::string Bytes(std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

std::string Size(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

std::string DescribeDefine(const Command& c) {
  std::string out = c.mnemonic + Params(c.params);
  std::string sizes;
  for (const NvImage& image : c.images) {
    sizes += sizes.empty() ? "" : ", ";
    sizes += Size(image.Width(), image.Height());
  }
  if (!sizes.empty()) out += ": " + sizes;
  return out;
}

}  // namespace

std::string Describe(const Command& c) {
  std::string out;
  switch (c.op) {
    case Op::DefineNv:
      out = DescribeDefine(c);
      break;
    case Op::DotBand:
      if (c.params.size() != 3) {
        out = c.mnemonic;
        break;
      }
      out = "ESC X * " + std::to_string(c.params[0]) + ", ESC *" +
            Params({c.params[1], c.params[2]}) + ": " + Bytes(c.data.size());
      break;
    case Op::BitImage:
      if (c.params.size() != 2) {
        out = c.mnemonic;
        break;
      }
      out = c.mnemonic + Params(c.params) + ": " + Bytes(c.data.size());
      break;
    case Op::Unknown:
      if (!c.complete) {
        out = c.mnemonic;
        break;
      }
      out = "unknown " + Bytes(c.length) + ": " + HexBytes(c.data) +
            (c.length > c.data.size() ? " ..." : "");
      break;
    default:
      out = c.mnemonic + Params(c.params);
      break;
  }
  if (!c.complete) out += " INCOMPLETE (" + c.missing + ")";
  if (!c.rejected.empty()) out += " REJECTED (" + c.rejected + ")";
  return out;
}

std::string LogLine(const Command& c, const std::string& outcome) {
  char offset[32];
  std::snprintf(offset, sizeof offset, "%8llu  ", static_cast<unsigned long long>(c.offset));
  std::string line = offset + Describe(c);
  if (!outcome.empty()) line += ": " + outcome;
  return line;
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::uint8_t b : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

}  // namespace brindle::printer
