#pragma once
// Command line of brindle-cli: the commands and their options, parsed into
// the values the window's buttons would hand to a job.
#include <optional>
#include <string>
#include <vector>

namespace brindle::cli {

enum class Command { Upload, Erase, Printout, Convert, Info, Status, Ports };

struct Options {
  Command command = Command::Upload;
  bool help = false;
  bool helpAll = false;  // --help before any command
  bool version = false;  // --version instead of a command
  bool quiet = false;

  // Port options.
  std::string port = "COM1";
  std::string ip;
  std::string tcpPort = "9100";
  int baudCode = 7;  // 19200 bps
  int parity = 0;    // none

  int device = 0;        // 0 thermal, 1 dot
  int halftone = 0;      // 0 none, 1 diffusion
  int level = 5;
  // --select: 0 and 0 print every stored logo; N alone prints logo N, N
  // and M the logos N to M (1 <= N <= M <= 255).
  int selectStart = 0;
  int selectEnd = 0;
  int size = 0;
  std::string output = "./Temp.bmp";
  std::vector<std::string> files;

  // Many printers: --printers FILE ("-" standard input) of TCP/IP
  // printers, at most --jobs at once; --json for a report scripts read.
  std::string printers;
  int jobs = 8;
  bool json = false;
};

struct ParseResult {
  std::optional<Options> options;
  std::string error;  // set when options is empty
};

// Parses argv[1..]; `args` excludes the program name.
ParseResult ParseOptions(const std::vector<std::string>& args);

// The usage text of one command, or of all commands when none is given.
std::string UsageText(std::optional<Command> command);

}  // namespace brindle::cli
