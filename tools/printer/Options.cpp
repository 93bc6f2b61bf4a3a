#include "tools/printer/Options.h"

#include <arpa/inet.h>

#include <cctype>

namespace brindle::printer {
namespace {

bool ParseNumber(const std::string& text, std::uint64_t max, std::uint64_t& value) {
  if (text.empty() || text.size() > 19) return false;
  value = 0;
  for (char ch : text) {
    if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
    value = value * 10 + static_cast<std::uint64_t>(ch - '0');
  }
  return value <= max;
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

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options o;
  bool serial = false, network = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--help" || name == "-h") {
      o.help = true;
      continue;
    }
    if (name == "--serial") {
      serial = true;
      continue;
    }
    static const char* const withValue[] = {"--bind",       "--port",        "--link",
                                            "--replay",     "--out",         "--nv-store",
                                            "--reply",      "--close-after", "--stall-after",
                                            "--rate"};
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
      ok = ParseReply(value, o.reply);
    } else if (name == "--close-after") {
      ok = ParseNumber(value, UINT64_MAX / 2, o.closeAfter) && o.closeAfter > 0;
    } else if (name == "--stall-after") {
      ok = ParseNumber(value, UINT64_MAX / 2, o.stallAfter) && o.stallAfter > 0;
    } else if (name == "--rate") {
      ok = ParseNumber(value, 1'000'000'000, o.rate) && o.rate > 0;
    }
    if (!ok) {
      error = "bad value for " + name + ": " + value;
      return std::nullopt;
    }
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
         "the device check GS I 1, keeps NV images and a Dot logo, and writes cut\n"
         "pages, NV images and a command log as files.\n"
         "\n"
         "Port (one of):\n"
         "  (default)            listen on TCP, one connection at a time\n"
         "  --bind ADDR          IPv4 address to listen on (default 127.0.0.1)\n"
         "  --port N             TCP port (default 9100; 0 picks a free one)\n"
         "  --serial             serve a pseudo-terminal; prints its path\n"
         "  --link PATH          make PATH a symbolic link to the pseudo-terminal\n"
         "                       (implies --serial; e.g. $BRINDLE_DEVICE_DIR/ttyS0\n"
         "                       for \"COM1\")\n"
         "  --replay FILE        decode a captured byte file, then exit\n"
         "\n"
         "Output:\n"
         "  --out DIR            output directory (default printer-out): commands.log,\n"
         "                       page-N.png per cut page, nv-N.png, dot-logo.png\n"
         "  --nv-store DIR       keep the NV images and the Dot logo across runs\n"
         "\n"
         "Behaviour and faults (the fault options act on TCP and serial connections):\n"
         "  --reply none|HEX     answer to GS I 1 (default 20); HEX is 1 to 50 bytes\n"
         "  --close-after N      drop each connection after reading N bytes\n"
         "  --stall-after N      stop reading each connection after N bytes, until the\n"
         "                       host hangs up or another host connects\n"
         "  --rate N             read at most N bytes per second (a slow line)\n"
         "  --help               show this text\n"
         "\n"
         "Standard output (line-buffered): \"listening on ADDR:PORT\" or \"serial on PATH\",\n"
         "then one summary line per connection. SIGINT or SIGTERM ends it cleanly.\n";
}

}  // namespace brindle::printer
