#include "tools/printer/Options.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <system_error>

namespace brindle::printer {
namespace {

// A whole number of decimal digits, at most `max`. (The printer reads its
// options with the standard library alone: it shares no code with the
// program it checks.)
bool ParseNumber(const std::string& text, std::uint64_t max, std::uint64_t& value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value <= max;
}

int HexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// "none" or an even number of hex digits (at most 50 bytes, the most a
// host reads for its device check).
bool ParseReply(const std::string& text, std::vector<std::uint8_t>& reply) {
  reply.clear();
  if (text == "none") return true;
  if (text.empty() || text.size() % 2 != 0 || text.size() > 100) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    reply.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

// Three --reply values separated by commas.
bool ParseId(const std::string& text, std::vector<std::vector<std::uint8_t>>& answers) {
  answers.clear();
  for (std::size_t start = 0; start <= text.size() && answers.size() < 4;) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    answers.emplace_back();
    if (!ParseReply(text.substr(start, end - start), answers.back())) return false;
    start = end + 1;
  }
  return answers.size() == 3;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options o;
  bool serial = false, network = false, silent = false;
  std::optional<std::vector<std::uint8_t>> reply;
  std::vector<std::vector<std::uint8_t>> id;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--help" || name == "-h") {
      o.help = true;
      continue;
    }
    if (name == "--version") {
      o.version = true;
      continue;
    }
    if (name == "--serial") {
      serial = true;
      continue;
    }
    if (name == "--silent") {
      silent = true;
      continue;
    }
    static const char* const withValue[] = {"--bind",       "--port",        "--link",
                                            "--replay",     "--out",         "--nv-store",
                                            "--reply",      "--close-after", "--stall-after",
                                            "--rate",       "--rcvbuf",      "--nv-size",
                                            "--status",     "--id"};
    bool known = false;
    for (const char* option : withValue) known = known || name == option;
    if (!known) {
      error = "unknown option " + name;
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    std::uint64_t number = 0;
    std::string why;
    bool ok = true;
    if (name == "--bind") {
      in_addr address{};
      ok = ::inet_pton(AF_INET, value.c_str(), &address) == 1;
      o.bind = value;
      network = true;
    } else if (name == "--port") {
      ok = ParseNumber(value, 65535, number);
      o.port = static_cast<int>(number);
      network = true;
    } else if (name == "--link") {
      ok = !value.empty();
      o.link = value;
      serial = true;
    } else if (name == "--replay") {
      ok = !value.empty();
      o.replayFile = value;
      o.kind = PortKind::Replay;
    } else if (name == "--out") {
      ok = !value.empty();
      o.outDir = value;
    } else if (name == "--nv-store") {
      ok = !value.empty();
      o.nvStore = value;
    } else if (name == "--reply") {
      reply.emplace();
      ok = ParseReply(value, *reply);
    } else if (name == "--id") {
      ok = ParseId(value, id);
    } else if (name == "--status") {
      ok = ParseStatus(value, o.printer.status, why);
    } else if (name == "--nv-size") {
      ok = ParseNumber(value, kMaxNvBytes, o.printer.nvBytes);
    } else if (name == "--rcvbuf") {
      ok = ParseNumber(value, kMaxReceiveBuffer, number) && number > 0;
      o.rcvbuf = static_cast<std::size_t>(number);
    } else if (name == "--close-after") {
      ok = ParseNumber(value, UINT64_MAX / 2, o.closeAfter) && o.closeAfter > 0;
    } else if (name == "--stall-after") {
      ok = ParseNumber(value, UINT64_MAX / 2, o.stallAfter) && o.stallAfter > 0;
    } else if (name == "--rate") {
      ok = ParseNumber(value, 1'000'000'000, o.rate) && o.rate > 0;
    }
    if (!ok) {
      error = "bad value for " + name + ": " + value + (why.empty() ? "" : " (" + why + ")");
      return std::nullopt;
    }
  }
  // --reply is the answer to GS I 1, which --id's first item also gives.
  if (silent && (reply || !id.empty())) {
    error = "--silent cannot be combined with --reply or --id";
    return std::nullopt;
  }
  if (reply && !id.empty() && *reply != id[0]) {
    error = "--reply and --id give different answers to GS I 1";
    return std::nullopt;
  }
  if (!id.empty()) {
    o.printer.model = id[0];
    o.printer.type = id[1];
    o.printer.version = id[2];
  }
  if (reply) o.printer.model = *reply;
  if (silent) {
    o.printer.model.clear();
    o.printer.type.clear();
    o.printer.version.clear();
    o.printer.answersStatus = false;
  }
  if (serial && o.kind == PortKind::Replay) {
    error = "--serial and --replay cannot be combined";
    return std::nullopt;
  }
  if (network && o.kind != PortKind::Tcp) {
    error = "--bind and --port are for TCP only";
    return std::nullopt;
  }
  if (serial && network) {
    error = "--serial cannot be combined with --bind or --port";
    return std::nullopt;
  }
  if (serial) o.kind = PortKind::Serial;
  return o;
}

const char* HelpText() {
  return "Usage: brindle-printer [options]\n"
         "A virtual ESC/POS receipt printer. It decodes what a host sends, answers\n"
         "the device check GS I 1 and the status requests DLE EOT, keeps NV images and\n"
         "a Dot logo, and writes cut pages, NV images and a command log as files.\n"
         "Like a real printer it has a 4 KiB receive buffer, 1 MiB of NV memory, pages\n"
         "of at most 4 M dots, and prints about 1000 dot rows a second.\n"
         "\n"
         "Port (one of):\n"
         "  (default)            listen on TCP, one connection at a time\n"
         "  --bind ADDR          IPv4 address to listen on (default 127.0.0.1)\n"
         "  --port N             TCP port (default 9100; 0 picks a free one)\n"
         "  --serial             serve a pseudo-terminal; prints its path\n"
         "  --link PATH          make PATH a symbolic link to the pseudo-terminal\n"
         "                       (implies --serial; e.g. $BRINDLE_DEVICE_DIR/ttyS0\n"
         "                       for \"COM1\")\n"
         "  --replay FILE        decode a captured byte file (a regular file), then exit\n"
         "\n"
         "Output:\n"
         "  --out DIR            output directory (default printer-out): commands.log,\n"
         "                       page-N.png per cut page, nv-N.png, dot-logo.png\n"
         "  --nv-store DIR       keep the NV images and the Dot logo across runs\n"
         "\n"
         "The printer:\n"
         "  --rcvbuf N           receive buffer in bytes, 1 to 1048576 (default 4096)\n"
         "  --nv-size N          NV memory in bytes, 0 to 2097152 (default 1048576); a\n"
         "                       larger image set or Dot logo is refused\n"
         "  --status STATE,...   its state (default online): online, offline,\n"
         "                       cover-open, paper-feed, paper-near-end, paper-out,\n"
         "                       error, cutter-error, unrecoverable-error,\n"
         "                       auto-recoverable-error; all but online and\n"
         "                       paper-near-end make it off-line: it then answers\n"
         "                       DLE EOT only, and carries out nothing else\n"
         "  --id HEX,HEX,HEX     answers to GS I 1, 2 and 3 (model, type, ROM version;\n"
         "                       default 20,02,10); each is none or 1 to 50 bytes\n"
         "  --reply none|HEX     answer to GS I 1, the device check (default 20); the\n"
         "                       same as --id's first item, which it may not contradict\n"
         "  --silent             answer nothing at all, not even DLE EOT\n"
         "\n"
         "Faults (on TCP and serial connections):\n"
         "  --close-after N      drop each connection after reading N bytes\n"
         "  --stall-after N      stop reading each connection after N bytes, until the\n"
         "                       host hangs up or another host connects\n"
         "  --rate N             read at most N bytes per second (a slow line)\n"
         "  --help               show this text\n"
         "  --version            show the version\n"
         "\n"
         "Standard output (line-buffered): \"listening on ADDR:PORT\" or \"serial on PATH\",\n"
         "then one summary line per connection. SIGINT or SIGTERM ends it cleanly.\n"
         "Exit status: 0 after a stop or a replay, 1 when the output, the NV store, the\n"
         "port or the replayed file cannot be used, 2 for a bad command line.\n";
}

}  // namespace brindle::printer
