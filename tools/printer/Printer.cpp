#include "tools/printer/Printer.h"

#include <algorithm>

namespace brindle::printer {
namespace {

std::string Size(std::uint64_t w, std::uint64_t h) {
  return std::to_string(w) + "x" + std::to_string(h);
}

std::string Images(std::size_t n) { return std::to_string(n) + (n == 1 ? " image" : " images"); }

Outcome Note(std::string note) {
  Outcome o;
  o.note = std::move(note);
  return o;
}

// The time a picture takes: its rows, once per head width it spans.
std::uint64_t PrintRows(std::uint64_t width, std::uint64_t height) {
  return height * std::max<std::uint64_t>(1, (width + kHeadDots - 1) / kHeadDots);
}

}  // namespace

Outcome Printer::Apply(const Command& c) {
  const bool wasAfterCr = afterCr_;
  afterCr_ = false;
  if (!c.complete) return Note(c.op == Op::DefineNv ? "NV memory unchanged" : "ignored");
  switch (c.op) {
    case Op::Initialize: return {};
    case Op::DefineNv: return DefineNv(c);
    case Op::PrintNv: return PrintNv(c.params[0], c.params[1]);
    case Op::EraseNv: {
      Outcome o = Note("erased " + Images(nv_.size()));
      o.nvChanged = !nv_.empty();
      nv_.clear();
      return o;
    }
    case Op::Cut: return Cut();
    case Op::RequestId: return RequestId(c.params[0]);
    case Op::RealTimeStatus: return Note("answered on arrival");
    case Op::DotMode: return DotMode(c.params[0]);
    case Op::DotBand: return DotBand(c);
    case Op::BandPrefix: return Note("no bit image follows; ignored");
    case Op::BitImage: return Note("not part of a Dot logo band; ignored");
    case Op::CarriageReturn:
      afterCr_ = true;
      return Feed();
    case Op::LineFeed:
      if (wasAfterCr) return Note("line already fed by CR");
      return Feed();
    case Op::Unknown: return Note("skipped");
  }
  return {};
}

std::vector<std::uint8_t> Printer::RealTimeStatus(int n) const {
  if (!setup_.answersStatus || n < 1 || n > 4) return {};
  return {setup_.status[static_cast<std::size_t>(n - 1)]};
}

// One FS q replaces the whole set; a set that did not arrive in full or
// could not be kept leaves the memory as it was.
Outcome Printer::DefineNv(const Command& c) {
  if (!c.rejected.empty()) return Note("NV memory unchanged");
  if (c.images.empty()) return Note("no images; NV memory unchanged");
  nv_ = c.images;
  Outcome o = Note("stored " + Images(nv_.size()));
  o.nvChanged = true;
  return o;
}

Outcome Printer::PrintNv(int number, int mode) {
  static const char* const names[] = {"normal", "double width", "double height",
                                      "double width and height"};
  const int index = mode >= 48 ? mode - 48 : mode;
  if (index < 0 || index > 3) {
    return Note("size mode " + std::to_string(mode) + " unknown; nothing printed");
  }
  if (number < 1 || number > static_cast<int>(nv_.size())) {
    return Note("image " + std::to_string(number) + " not stored");
  }
  const NvImage& image = nv_[static_cast<std::size_t>(number - 1)];
  const int sx = (index & 1) ? 2 : 1;
  const int sy = (index & 2) ? 2 : 1;
  const std::uint64_t width = static_cast<std::uint64_t>(image.Width()) * sx;
  const std::uint64_t height = static_cast<std::uint64_t>(image.Height()) * sy;
  // The bounds are checked before the image is drawn, so that a picture
  // that cannot be printed costs nothing.
  if (!paper_.Fits(width, height)) return Note("page full; not printed");
  paper_.Print(image.ToRaster(), sx, sy);
  Outcome o = Note("printed " + Size(width, height) + " (" + names[index] + ")");
  o.rows = PrintRows(width, height);
  return o;
}

// GS I 1, 2, 3 and their character forms 49, 50, 51.
Outcome Printer::RequestId(int kind) const {
  const int which = kind >= 49 ? kind - 48 : kind;
  if (which < 1 || which > 3) return Note("no reply (only GS I 1, 2 and 3 are answered)");
  const std::vector<std::uint8_t>& answer =
      which == 1 ? setup_.model : which == 2 ? setup_.type : setup_.version;
  if (answer.empty()) return Note("no reply");
  Outcome o = Note("replied " + HexBytes(answer));
  o.reply = answer;
  return o;
}

Outcome Printer::DotMode(int n) {
  if (n == 0) {
    Outcome o = Note("Dot logo definition started");
    o.logoChanged = logo_.Height() > 0;
    logo_ = DotLogo{};
    defining_ = true;
    return o;
  }
  if (n != 1) return Note("unknown mode; ignored");
  defining_ = false;
  if (logo_.Width() == 0) return Note("no Dot logo stored");
  if (!paper_.Fits(logo_.Width(), logo_.Height())) return Note("page full; not printed");
  paper_.Print(logo_.ToRaster(), 1, 1);
  Outcome o = Note("printed Dot logo " + Size(logo_.Width(), logo_.Height()));
  o.rows = PrintRows(logo_.Width(), logo_.Height());
  return o;
}

// A band replaces band j of the logo being defined; bands may come in any
// order and the logo is as high as the highest band number seen. The logo
// lives in NV memory: as a rectangle of column bytes, it may not outgrow it.
Outcome Printer::DotBand(const Command& c) {
  const auto band = static_cast<std::size_t>(c.params[0]);
  const int mode = c.params[1];
  if (mode != 0 && mode != 1) return Note("24-dot band; ignored");
  if (!defining_) return Note("no ESC o 0 before it; ignored");
  const std::uint64_t bands = std::max(logo_.bands.size(), band + 1);
  const std::uint64_t width = std::max<std::uint64_t>(logo_.Width(), c.data.size());
  if (bands * width > setup_.nvBytes) {
    return Note("Dot logo above " + std::to_string(setup_.nvBytes) + " bytes; ignored");
  }
  if (logo_.bands.size() <= band) logo_.bands.resize(band + 1);
  logo_.bands[band] = c.data;
  Outcome o = Note("band stored; logo " + Size(logo_.Width(), logo_.Height()));
  o.logoChanged = true;
  return o;
}

Outcome Printer::Cut() {
  Raster page = paper_.Cut();
  if (page.Empty()) return Note("nothing printed; no page");
  Outcome o = Note("page " + Size(page.width, page.height));
  o.page = std::move(page);
  return o;
}

Outcome Printer::Feed() {
  Outcome o;
  o.rows = static_cast<std::uint64_t>(paper_.Feed(kLineFeedDots));
  return o;
}

}  // namespace brindle::printer
