#pragma once
// Command line of brindle-printer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/printer/Printer.h"
#include "tools/printer/Session.h"

namespace brindle::printer {

enum class PortKind { Tcp, Serial, Replay };

// The largest --nv-size and --rcvbuf, which keep the printer's memory
// within 64 MiB whatever it is sent.
inline constexpr std::uint64_t kMaxNvBytes = 2u << 20;
inline constexpr std::uint64_t kMaxReceiveBuffer = 1u << 20;

struct Options {
  PortKind kind = PortKind::Tcp;
  std::string bind = "127.0.0.1";
  int port = 9100;
  std::string link;        // --link: symbolic link to the pseudo-terminal
  std::string replayFile;
  std::string outDir = "printer-out";
  std::string nvStore;     // empty: NV memory lasts for the run only
  // --reply (GS I 1) and --id (GS I 1, 2, 3), --status, --silent, --nv-size.
  PrinterSetup printer;
  std::size_t rcvbuf = kDefaultReceiveBuffer;  // bytes
  std::uint64_t closeAfter = 0;  // 0: off
  std::uint64_t stallAfter = 0;  // 0: off
  std::uint64_t rate = 0;        // bytes per second; 0: as fast as they come
  bool help = false;
  bool version = false;
};

// Parses argv[1..]; on a bad command line returns nothing and sets `error`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);
const char* HelpText();

}  // namespace brindle::printer
