#include "tools/printer/Session.h"

#include <algorithm>
#include <cstring>

namespace brindle::printer {
namespace {

std::string Count(std::uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

}  // namespace

Session::Session(Printer& printer, Output& output, const NvStore* store, std::size_t bufferSize)
    : printer_(printer),
      output_(output),
      store_(store),
      decoder_(printer.setup().nvBytes),
      bufferSize_(bufferSize) {
  buffer_.reserve(bufferSize);
}

std::vector<std::uint8_t> Session::Receive(const std::uint8_t* bytes, std::size_t size) {
  const std::size_t take = std::min(size, Room());
  std::vector<std::uint8_t> answers;
  // Answers the request DLE EOT n whose n is bytes[i].
  const auto answer = [&](std::size_t i) {
    if (bytes[i] < 1 || bytes[i] > 4) return;
    Command request;
    request.op = Op::RealTimeStatus;
    request.offset = stats_.bytes + i - 2;
    request.length = 3;
    request.mnemonic = "DLE EOT";
    request.params = {bytes[i]};
    const std::vector<std::uint8_t> status = printer_.RealTimeStatus(bytes[i]);
    stats_.replies += status.empty() ? 0 : 1;
    Append(answers, status);
    output_.Log(LogLine(request, status.empty() ? "no reply" : "replied " + HexBytes(status)));
  };
  // The first two bytes may end a request begun before them; further on,
  // each EOT byte found is checked for the DLE before it.
  for (std::size_t i = 0; i < std::min<std::size_t>(take, 2); ++i) {
    if (lastTwo_ == 0x1004) answer(i);
    lastTwo_ = static_cast<std::uint16_t>(lastTwo_ << 8 | bytes[i]);
  }
  const std::uint8_t* const last = bytes + take - 1;
  for (const std::uint8_t* p = bytes + 1; take > 2 && p < last; ++p) {
    p = static_cast<const std::uint8_t*>(std::memchr(p, 0x04, static_cast<std::size_t>(last - p)));
    if (!p) break;
    if (p[-1] == 0x10) answer(static_cast<std::size_t>(p + 1 - bytes));
  }
  if (take >= 2) lastTwo_ = static_cast<std::uint16_t>(bytes[take - 2] << 8 | bytes[take - 1]);
  buffer_.insert(buffer_.end(), bytes, bytes + take);
  stats_.bytes += take;
  return answers;
}

std::vector<std::uint8_t> Session::Process() {
  std::vector<std::uint8_t> reply;
  if (!printer_.Online()) return reply;
  // Commands are carried out in order up to the first that prints: what
  // follows it waits in the buffer until the printing is done.
  const std::uint64_t rowsBefore = rows_;
  std::size_t at = 0;
  std::vector<Command> commands;
  while (at < buffer_.size() && rows_ == rowsBefore) {
    commands.clear();
    at += decoder_.FeedUntilCommand(buffer_.data() + at, buffer_.size() - at, commands);
    for (const Command& c : commands) Handle(c, reply);
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(at));
  // A logo arrives one band per command; its picture is rewritten once per
  // piece of input rather than once per band.
  WriteLogoIfChanged();
  return reply;
}

std::vector<std::uint8_t> Session::Feed(const std::uint8_t* bytes, std::size_t size) {
  std::vector<std::uint8_t> answers;
  for (std::size_t at = 0; at < size && Room() > 0;) {
    const std::size_t take = std::min(size - at, Room());
    Append(answers, Receive(bytes + at, take));
    while (Waiting() && Online()) Append(answers, Process());
    at += take;
  }
  return answers;
}

void Session::Finish() {
  while (Waiting() && Online()) Process();
  stats_.unprocessed = buffer_.size();
  buffer_.clear();
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
  // A real-time request was answered and logged when it arrived.
  if (c.op == Op::RealTimeStatus && c.complete) return;

  Outcome o = printer_.Apply(c);
  rows_ += o.rows;
  if (!o.reply.empty()) {
    ++stats_.replies;
    Append(reply, o.reply);
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
  if (store_ && !store_->SaveLogo(printer_.Logo())) {
    output_.Log("NV store: could not save Dot logo");
  }
}

std::string Summary(int number, const std::string& peer, const SessionStats& s,
                    const Printer& printer, const std::string& ending) {
  std::string line = "connection " + std::to_string(number);
  if (!peer.empty()) line += " (" + peer + ")";
  line += ": " + Count(s.bytes, "byte", "bytes") + ", " + Count(s.commands, "command", "commands") +
          ", " + Count(s.unknownBytes, "unknown byte", "unknown bytes") + ", " +
          std::to_string(s.incomplete) + " incomplete, " + Count(s.pages, "page", "pages") + ", " +
          Count(s.replies, "reply", "replies");
  if (s.unprocessed > 0) {
    line += ", " + Count(s.unprocessed, "byte", "bytes") + " not processed (off-line)";
  }
  line += "; NV " + Count(printer.Nv().size(), "image", "images");
  if (printer.Logo().Width() > 0) {
    line += ", Dot logo " + std::to_string(printer.Logo().Width()) + "x" +
            std::to_string(printer.Logo().Height());
  }
  return line + "; " + ending;
}

}  // namespace brindle::printer
