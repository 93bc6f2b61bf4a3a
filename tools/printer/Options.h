#pragma once
// Command line of brindle-printer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brindle::printer {

enum class PortKind { Tcp, Serial, Replay };

struct Options {
  PortKind kind = PortKind::Tcp;
  std::string bind = "127.0.0.1";
  int port = 9100;
  std::string link;        // --link: symbolic link to the pseudo-terminal
  std::string replayFile;
  std::string outDir = "printer-out";
  std::string nvStore;     // empty: NV memory lasts for the run only
  std::vector<std::uint8_t> reply{0x20};
  std::uint64_t closeAfter = 0;  // 0: off
  std::uint64_t stallAfter = 0;  // 0: off
  std::uint64_t rate = 0;        // bytes per second; 0: as fast as they come
  bool help = false;
};

// Parses argv[1..]; on a bad command line returns nothing and sets `error`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);
const char* HelpText();

}  // namespace brindle::printer
