#include "tools/printer/Session.h"

namespace brindle::printer {
namespace {

std::string Count(std::uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::vector<std::uint8_t> Session::Feed(const std::uint8_t* bytes, std::size_t size) {
  std::vector<Command> commands;
  decoder_.Feed(bytes, size, commands);
  stats_.bytes += size;
  std::vector<std::uint8_t> reply;
  for (const Command& c : commands) Handle(c, reply);
  // A logo arrives one band per command; its picture is rewritten once per
  // piece of input rather than once per band.
  WriteLogoIfChanged();
  return reply;
}

void Session::Finish() {
  std::vector<Command> commands;
  decoder_.Finish(commands);
  std::vector<std::uint8_t> unused;
  for (const Command& c : commands) Handle(c, unused);
  printer_.EndConnection();
  WriteLogoIfChanged();
}

void Session::Handle(const Command& c, std::vector<std::uint8_t>& reply) {
  if (c.op == Op::Unknown && c.complete) {
    stats_.unknownBytes += c.length;
  } else {
    ++stats_.commands;
  }
  if (!c.complete) ++stats_.incomplete;

  Outcome o = printer_.Apply(c);
  if (!o.reply.empty()) {
    ++stats_.replies;
    reply.insert(reply.end(), o.reply.begin(), o.reply.end());
  }
  if (o.page) {
    const int number = output_.WritePage(*o.page);
    ++stats_.pages;
    o.note += number > 0 ? " saved as page-" + std::to_string(number) + ".png"
                         : " (could not be saved)";
  }
  output_.Log(LogLine(c, o.note));
  if (o.nvChanged) {
    output_.WriteNv(printer_.Nv());
    if (store_ && !store_->SaveNv(printer_.Nv())) output_.Log("NV store: could not save NV images");
  }
  logoChanged_ = logoChanged_ || o.logoChanged;
}

void Session::WriteLogoIfChanged() {
  if (!logoChanged_) return;
  logoChanged_ = false;
  output_.WriteLogo(printer_.Logo());
  if (store_ && !store_->SaveLogo(printer_.Logo())) output_.Log("NV store: could not save Dot logo");
}

std::string Summary(int number, const std::string& peer, const SessionStats& s,
                    const Printer& printer, const std::string& ending) {
  std::string line = "connection " + std::to_string(number);
  if (!peer.empty()) line += " (" + peer + ")";
  line += ": " + Count(s.bytes, "byte", "bytes") + ", " + Count(s.commands, "command", "commands") +
          ", " + Count(s.unknownBytes, "unknown byte", "unknown bytes") + ", " +
          std::to_string(s.incomplete) + " incomplete, " + Count(s.pages, "page", "pages") + ", " +
          Count(s.replies, "reply", "replies") + "; NV " +
          Count(printer.Nv().size(), "image", "images");
  if (printer.Logo().Width() > 0) {
    line += ", Dot logo " + std::to_string(printer.Logo().Width()) + "x" +
            std::to_string(printer.Logo().Height());
  }
  return line + "; " + ending;
}

}  // namespace brindle::printer
