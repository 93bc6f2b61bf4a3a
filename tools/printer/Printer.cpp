#include "tools/printer/Printer.h"

namespace brindle::printer {
namespace {

std::string Size(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

}  // namespace

Outcome Printer::Apply(const Command& c) {
  const bool wasAfterCr = afterCr_;
  afterCr_ = false;
  if (!c.complete) {
    return {c.op == Op::DefineNv ? "NV memory unchanged" : "ignored", {}, false, false, {}};
  }
  switch (c.op) {
    case Op::Initialize: return {};
    case Op::DefineNv: return DefineNv(c);
    case Op::PrintNv: return PrintNv(c.params[0], c.params[1]);
    case Op::EraseNv: {
      Outcome o{"erased " + std::to_string(nv_.size()) + (nv_.size() == 1 ? " image" : " images"), {},
                !nv_.empty(), false, {}};
      nv_.clear();
      return o;
    }
    case Op::Cut: return Cut();
    case Op::RequestId: return RequestId(c.params[0]);
    case Op::DotMode: return DotMode(c.params[0]);
    case Op::DotBand: return DotBand(c);
    case Op::BandPrefix: return {"no bit image follows; ignored", {}, false, false, {}};
    case Op::BitImage: return {"not part of a Dot logo band; ignored", {}, false, false, {}};
    case Op::CarriageReturn:
      afterCr_ = true;
      return Feed();
    case Op::LineFeed:
      if (wasAfterCr) return {"line already fed by CR", {}, false, false, {}};
      return Feed();
    case Op::Unknown: return {"skipped", {}, false, false, {}};
  }
  return {};
}

// One FS q replaces the whole set; a set that did not arrive in full or
// could not be kept leaves the memory as it was.
Outcome Printer::DefineNv(const Command& c) {
  if (!c.rejected.empty()) return {"NV memory unchanged", {}, false, false, {}};
  if (c.images.empty()) return {"no images; NV memory unchanged", {}, false, false, {}};
  nv_ = c.images;
  return {"stored " + std::to_string(nv_.size()) + (nv_.size() == 1 ? " image" : " images"), {},
          true, false, {}};
}

Outcome Printer::PrintNv(int number, int mode) {
  static const char* const names[] = {"normal", "double width", "double height",
                                      "double width and height"};
  const int index = mode >= 48 ? mode - 48 : mode;
  if (index < 0 || index > 3) {
    return {"size mode " + std::to_string(mode) + " unknown; nothing printed", {}, false, false,
            {}};
  }
  if (number < 1 || number > static_cast<int>(nv_.size())) {
    return {"image " + std::to_string(number) + " not stored", {}, false, false, {}};
  }
  const NvImage& image = nv_[static_cast<std::size_t>(number - 1)];
  const int sx = (index & 1) ? 2 : 1;
  const int sy = (index & 2) ? 2 : 1;
  if (!paper_.Print(image.ToRaster(), sx, sy)) return {"page full; not printed", {}, false, false, {}};
  return {"printed " + Size(image.Width() * sx, image.Height() * sy) + " (" + names[index] + ")",
          {}, false, false, {}};
}

Outcome Printer::RequestId(int kind) const {
  if (kind != 1) return {"no reply (only GS I 1 is answered)", {}, false, false, {}};
  if (reply_.empty()) return {"no reply", {}, false, false, {}};
  return {"replied " + HexBytes(reply_), reply_, false, false, {}};
}

Outcome Printer::DotMode(int n) {
  if (n == 0) {
    const bool had = logo_.Height() > 0;
    logo_ = DotLogo{};
    defining_ = true;
    return {"Dot logo definition started", {}, false, had, {}};
  }
  if (n != 1) return {"unknown mode; ignored", {}, false, false, {}};
  defining_ = false;
  if (logo_.Width() == 0) return {"no Dot logo stored", {}, false, false, {}};
  if (!paper_.Print(logo_.ToRaster(), 1, 1)) return {"page full; not printed", {}, false, false, {}};
  return {"printed Dot logo " + Size(logo_.Width(), logo_.Height()), {}, false, false, {}};
}

// A band replaces band j of the logo being defined; bands may come in any
// order and the logo is as high as the highest band number seen.
Outcome Printer::DotBand(const Command& c) {
  const int band = c.params[0];
  const int mode = c.params[1];
  if (mode != 0 && mode != 1) return {"24-dot band; ignored", {}, false, false, {}};
  if (!defining_) return {"no ESC o 0 before it; ignored", {}, false, false, {}};
  if (logo_.bands.size() <= static_cast<std::size_t>(band)) {
    logo_.bands.resize(static_cast<std::size_t>(band) + 1);
  }
  logo_.bands[static_cast<std::size_t>(band)] = c.data;
  return {"band stored; logo " + Size(logo_.Width(), logo_.Height()), {}, false, true, {}};
}

Outcome Printer::Cut() {
  Raster page = paper_.Cut();
  if (page.Empty()) return {"nothing printed; no page", {}, false, false, {}};
  Outcome o{"page " + Size(page.width, page.height), {}, false, false, {}};
  o.page = std::move(page);
  return o;
}

Outcome Printer::Feed() {
  paper_.Feed(kLineFeedDots);
  return {};
}

}  // namespace brindle::printer
