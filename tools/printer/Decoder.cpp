#include "tools/printer/Decoder.h"

#include <algorithm>
#include <array>
#include <utility>

namespace brindle::printer {
namespace {

constexpr std::uint8_t kLf = 0x0A, kCr = 0x0D, kDle = 0x10, kEot = 0x04, kEsc = 0x1B, kFs = 0x1C,
                       kGs = 0x1D;

// The bytes a command can start with, as a table for the runs between.
constexpr auto kStarts = [] {
  std::array<bool, 256> starts{};
  for (std::uint8_t byte : {kLf, kCr, kDle, kEsc, kFs, kGs}) starts[byte] = true;
  return starts;
}();
bool StartsCommand(std::uint8_t byte) { return kStarts[byte]; }

}  // namespace

void Decoder::Feed(const std::uint8_t* bytes, std::size_t size, std::vector<Command>& out) {
  for (std::size_t at = 0; at < size;) at += FeedUntilCommand(bytes + at, size - at, out);
}

std::size_t Decoder::FeedUntilCommand(const std::uint8_t* bytes, std::size_t size,
                                      std::vector<Command>& out) {
  const std::size_t before = out.size();
  std::size_t i = 0;
  while (i < size && out.size() == before) {
    if (state_ == State::NvBlockData) {
      const std::size_t taken = StepNvData(bytes + i, size - i, out);
      offset_ += taken;
      i += taken;
    } else if (state_ == State::Header && pending_.empty() && !StartsCommand(bytes[i])) {
      std::size_t run = 1;
      while (i + run < size && !StartsCommand(bytes[i + run])) ++run;
      SkipUnknown(bytes + i, run);
      i += run;
    } else {
      Step(bytes[i++], offset_++, out);
    }
  }
  return i;
}

void Decoder::Step(std::uint8_t byte, std::uint64_t offset, std::vector<Command>& out) {
  switch (state_) {
    case State::Header:
      if (pending_.empty()) pendingOffset_ = offset;
      pending_.push_back(byte);
      ProcessPending(out);
      break;
    case State::Data:
      StepData(byte, out);
      break;
    case State::NvBlockHeader:
      StepNvHeader(byte, out);
      break;
    case State::NvBlockData:
      StepNvData(&byte, 1, out);
      break;
  }
}

namespace {

using Classified = Decoder::Classified;
using Verdict = Decoder::Verdict;

Classified Complete(Op op, std::size_t header, std::size_t data = 0) {
  return {Verdict::Complete, op, header, data};
}
Classified NeedMore(Op op) { return {Verdict::NeedMore, op, 0, 0}; }
const Classified kInvalid{};

// ESC * m nL nH carries n column bytes in the 8-dot modes (0, 1) and 3n in
// the 24-dot modes (32, 33); other modes are no command.
bool BitImageMode(int m) { return m == 0 || m == 1 || m == 32 || m == 33; }
std::size_t BitImageBytes(int m, std::uint8_t nL, std::uint8_t nH) {
  const std::size_t columns = nL + 256u * nH;
  return m >= 32 ? 3 * columns : columns;
}

Classified ClassifyEsc(const std::vector<std::uint8_t>& p) {
  const std::size_t n = p.size();
  switch (p[1]) {
    case 0x40: return Complete(Op::Initialize, 2);
    case 0x6D: return Complete(Op::Cut, 2);
    case 0x6F: return n < 3 ? NeedMore(Op::DotMode) : Complete(Op::DotMode, 3);
    case 0x2A:
      if (n < 3) return NeedMore(Op::BitImage);
      if (!BitImageMode(p[2])) return kInvalid;
      if (n < 5) return NeedMore(Op::BitImage);
      return Complete(Op::BitImage, 5, BitImageBytes(p[2], p[3], p[4]));
    case 0x58:  // ESC X * j, normally followed by ESC * m nL nH
      if (n < 3) return NeedMore(Op::BandPrefix);
      if (p[2] != 0x2A) return kInvalid;
      if (n < 5) return NeedMore(Op::BandPrefix);
      if (p[4] != kEsc) return Complete(Op::BandPrefix, 4);
      if (n < 6) return NeedMore(Op::BandPrefix);
      if (p[5] != 0x2A) return Complete(Op::BandPrefix, 4);
      if (n < 7) return NeedMore(Op::DotBand);
      if (!BitImageMode(p[6])) return Complete(Op::BandPrefix, 4);
      if (n < 9) return NeedMore(Op::DotBand);
      return Complete(Op::DotBand, 9, BitImageBytes(p[6], p[7], p[8]));
    default: return kInvalid;
  }
}

Classified ClassifyFs(const std::vector<std::uint8_t>& p) {
  switch (p[1]) {
    case 0x71: return p.size() < 3 ? NeedMore(Op::DefineNv) : Complete(Op::DefineNv, 3);
    case 0x70: return p.size() < 4 ? NeedMore(Op::PrintNv) : Complete(Op::PrintNv, 4);
    case 0x65: return Complete(Op::EraseNv, 2);
    default: return kInvalid;
  }
}

Classified ClassifyGs(const std::vector<std::uint8_t>& p) {
  switch (p[1]) {
    case 0x49: return p.size() < 3 ? NeedMore(Op::RequestId) : Complete(Op::RequestId, 3);
    case 0x56: {  // GS V m (0, 1, 48, 49) or GS V m n (65, 66)
      if (p.size() < 3) return NeedMore(Op::Cut);
      const int m = p[2];
      if (m == 0 || m == 1 || m == 48 || m == 49) return Complete(Op::Cut, 3);
      if (m != 65 && m != 66) return kInvalid;
      return p.size() < 4 ? NeedMore(Op::Cut) : Complete(Op::Cut, 4);
    }
    default: return kInvalid;
  }
}

}  // namespace

// Decides what the collected header bytes are. An Invalid verdict always
// concerns the first byte only: it is skipped as unknown and the rest is
// looked at again, since a real command may start at the next byte.
Decoder::Classified Decoder::Classify(const std::vector<std::uint8_t>& p) {
  if (p[0] == kLf) return Complete(Op::LineFeed, 1);
  if (p[0] == kCr) return Complete(Op::CarriageReturn, 1);
  if (p[0] != kDle && p[0] != kEsc && p[0] != kFs && p[0] != kGs) return kInvalid;
  if (p.size() < 2) return NeedMore(Op::Unknown);
  if (p[0] == kDle) {  // DLE EOT n asks for status byte n, 1 to 4
    if (p[1] != kEot) return kInvalid;
    if (p.size() < 3) return NeedMore(Op::RealTimeStatus);
    return p[2] >= 1 && p[2] <= 4 ? Complete(Op::RealTimeStatus, 3) : kInvalid;
  }
  if (p[0] == kEsc) return ClassifyEsc(p);
  if (p[0] == kFs) return ClassifyFs(p);
  return ClassifyGs(p);
}

const char* Decoder::Mnemonic(Op op, const std::vector<std::uint8_t>& header) {
  switch (op) {
    case Op::Initialize: return "ESC @";
    case Op::DefineNv: return "FS q";
    case Op::PrintNv: return "FS p";
    case Op::EraseNv: return "FS e";
    case Op::Cut: return header[0] == kEsc ? "ESC m" : "GS V";
    case Op::RequestId: return "GS I";
    case Op::RealTimeStatus: return "DLE EOT";
    case Op::DotMode: return "ESC o";
    case Op::DotBand: return "ESC X *";
    case Op::BandPrefix: return "ESC X *";
    case Op::BitImage: return "ESC *";
    case Op::CarriageReturn: return "CR";
    case Op::LineFeed: return "LF";
    case Op::Unknown: break;
  }
  return header[0] == kEsc ? "ESC" : header[0] == kFs ? "FS" : header[0] == kDle ? "DLE" : "GS";
}

void Decoder::ProcessPending(std::vector<Command>& out) {
  while (!pending_.empty()) {
    const Classified c = Classify(pending_);
    if (c.verdict == Verdict::NeedMore) return;
    if (c.verdict == Verdict::Invalid) {
      AddUnknown(pending_.front(), pendingOffset_);
      pending_.erase(pending_.begin());
      ++pendingOffset_;
      continue;
    }
    // Bytes looked at beyond the header (ESC X * j not followed by a bit
    // image) belong to whatever comes next and are decoded afresh.
    std::vector<std::uint8_t> rest(pending_.begin() + static_cast<long>(c.headerLength),
                                   pending_.end());
    const std::uint64_t restOffset = pendingOffset_ + c.headerLength;
    pending_.resize(c.headerLength);
    FlushUnknown(out);
    StartCommand(c, out);
    for (std::size_t i = 0; i < rest.size(); ++i) Step(rest[i], restOffset + i, out);
    return;
  }
}

void Decoder::StartCommand(const Classified& c, std::vector<Command>& out) {
  const std::vector<std::uint8_t>& h = pending_;
  current_ = Command{};
  current_.op = c.op;
  current_.offset = pendingOffset_;
  current_.length = c.headerLength;
  current_.mnemonic = Mnemonic(c.op, h);
  switch (c.op) {
    case Op::DefineNv:
    case Op::RequestId:
    case Op::RealTimeStatus:
    case Op::DotMode:
      current_.params = {h[2]};
      break;
    case Op::PrintNv:
      current_.params = {h[2], h[3]};
      break;
    case Op::Cut:
      if (h.size() >= 3) current_.params.push_back(h[2]);
      if (h.size() >= 4) current_.params.push_back(h[3]);
      break;
    case Op::DotBand:
      current_.params = {h[3], h[6], h[7] + 256 * h[8]};
      break;
    case Op::BandPrefix:
      current_.params = {h[3]};
      break;
    case Op::BitImage:
      current_.params = {h[2], h[3] + 256 * h[4]};
      break;
    default:
      break;
  }
  pending_.clear();

  if (c.op == Op::DefineNv) {
    nvLeft_ = current_.params[0];
    setBytes_ = 0;
    blockHeader_.clear();
    state_ = State::NvBlockHeader;
    if (nvLeft_ == 0) Emit(out);
  } else if (c.dataLength > 0) {
    dataLeft_ = c.dataLength;
    current_.data.reserve(c.dataLength);
    state_ = State::Data;
  } else {
    Emit(out);
  }
}

void Decoder::Emit(std::vector<Command>& out) {
  out.push_back(std::move(current_));
  current_ = Command{};
  state_ = State::Header;
}

void Decoder::AddUnknown(std::uint8_t byte, std::uint64_t offset) {
  if (unknown_.length == 0) {
    unknown_ = Command{};
    unknown_.op = Op::Unknown;
    unknown_.offset = offset;
  }
  ++unknown_.length;
  if (unknown_.data.size() < kUnknownShown) unknown_.data.push_back(byte);
}

void Decoder::SkipUnknown(const std::uint8_t* bytes, std::size_t size) {
  if (unknown_.length == 0) {
    unknown_ = Command{};
    unknown_.op = Op::Unknown;
    unknown_.offset = offset_;
  }
  const std::size_t shown = std::min(size, kUnknownShown - unknown_.data.size());
  unknown_.data.insert(unknown_.data.end(), bytes, bytes + shown);
  unknown_.length += size;
  offset_ += size;
}

void Decoder::FlushUnknown(std::vector<Command>& out) {
  if (unknown_.length == 0) return;
  out.push_back(std::move(unknown_));
  unknown_ = Command{};
}

void Decoder::StepData(std::uint8_t byte, std::vector<Command>& out) {
  current_.data.push_back(byte);
  ++current_.length;
  if (--dataLeft_ == 0) Emit(out);
}

void Decoder::StepNvHeader(std::uint8_t byte, std::vector<Command>& out) {
  blockHeader_.push_back(byte);
  ++current_.length;
  if (blockHeader_.size() < 4) return;

  const int x = blockHeader_[0] + 256 * blockHeader_[1];
  const int y = blockHeader_[2] + 256 * blockHeader_[3];
  const int index = current_.params[0] - nvLeft_ + 1;
  image_ = NvImage{x, y, {}};
  imageBytes_ = static_cast<std::uint64_t>(x) * static_cast<std::uint64_t>(y) * 8;
  imageReceived_ = 0;
  setBytes_ += imageBytes_;
  if (current_.rejected.empty() && (x == 0 || y == 0)) {
    current_.rejected = "image " + std::to_string(index) + " is empty (" + std::to_string(x * 8) +
                        "x" + std::to_string(y * 8) + ")";
  }
  if (current_.rejected.empty() && setBytes_ > maxNvSetBytes_) {
    current_.rejected = "image data above " + std::to_string(maxNvSetBytes_) + " bytes";
  }
  if (!current_.rejected.empty()) {
    current_.images.clear();  // a rejected set is only counted, not kept
  } else {
    image_.bytes.reserve(imageBytes_);
  }
  if (imageBytes_ == 0) {
    FinishNvImage(out);
  } else {
    state_ = State::NvBlockData;
  }
}

// Takes as much of the image data as `bytes` holds; returns how much.
std::size_t Decoder::StepNvData(const std::uint8_t* bytes, std::size_t size,
                                std::vector<Command>& out) {
  const std::size_t take =
      static_cast<std::size_t>(std::min<std::uint64_t>(size, imageBytes_ - imageReceived_));
  if (current_.rejected.empty()) image_.bytes.insert(image_.bytes.end(), bytes, bytes + take);
  current_.length += take;
  imageReceived_ += take;
  if (imageReceived_ == imageBytes_) FinishNvImage(out);
  return take;
}

void Decoder::FinishNvImage(std::vector<Command>& out) {
  if (current_.rejected.empty()) current_.images.push_back(std::move(image_));
  image_ = NvImage{};
  blockHeader_.clear();
  if (--nvLeft_ == 0) {
    Emit(out);
  } else {
    state_ = State::NvBlockHeader;
  }
}

void Decoder::Finish(std::vector<Command>& out) {
  FlushUnknown(out);
  const int total = current_.params.empty() ? 0 : current_.params[0];
  const std::string which = "image " + std::to_string(total - nvLeft_ + 1) + " of " +
                            std::to_string(total);
  switch (state_) {
    case State::Header:
      if (!pending_.empty()) {
        const Classified c = Classify(pending_);
        current_ = Command{};
        current_.op = c.op;
        current_.offset = pendingOffset_;
        current_.length = pending_.size();
        current_.mnemonic = Mnemonic(c.op, pending_);
        current_.missing = "cut off after " + HexBytes(pending_);
      }
      break;
    case State::Data:
      current_.missing = "received " + std::to_string(current_.data.size()) + " of " +
                         std::to_string(current_.data.size() + dataLeft_) + " data bytes";
      break;
    case State::NvBlockHeader:
      current_.missing = blockHeader_.empty()
                             ? which + " not sent"
                             : which + ": header cut off after " + HexBytes(blockHeader_);
      break;
    case State::NvBlockData:
      current_.missing = which + " (" + std::to_string(image_.Width()) + "x" +
                         std::to_string(image_.Height()) + ") cut off after " +
                         std::to_string(imageReceived_) + " of " + std::to_string(imageBytes_) +
                         " bytes";
      break;
  }
  if (state_ != State::Header || !pending_.empty()) {
    current_.complete = false;
    out.push_back(std::move(current_));
  }
  *this = Decoder(maxNvSetBytes_);
}

}  // namespace brindle::printer
