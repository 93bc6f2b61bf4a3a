#include "tools/cli/CliOptions.h"

#include <algorithm>
#include <utility>

#include "core/Numbers.h"
#include "device/PortKind.h"
#include "port/BaudRates.h"

namespace brindle::cli {
namespace {

std::optional<Command> CommandNamed(const std::string& name) {
  static const std::pair<const char*, Command> kCommands[] = {
      {"upload", Command::Upload},   {"erase", Command::Erase}, {"printout", Command::Printout},
      {"convert", Command::Convert}, {"info", Command::Info},   {"status", Command::Status},
      {"ports", Command::Ports}};
  for (const auto& [text, command] : kCommands) {
    if (name == text) return command;
  }
  return std::nullopt;
}

bool ValidPort(const std::string& port) {
  const auto names = PortNames();
  return std::find(names.begin(), names.end(), port) != names.end();
}

std::optional<int> NumberIn(const std::string& text, int low, int high) {
  const auto value = ParseDecimalIn(text, low, high);
  return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

// "N" or "N-M" with 1 <= N <= M <= 255: the logo numbers a printer holds.
bool ParseSelection(const std::string& text, int& start, int& end) {
  constexpr int kLast = 255;
  const auto dash = text.find('-');
  const auto first = ParseDecimalIn(text.substr(0, dash), 1, kLast);
  if (!first) return false;
  start = static_cast<int>(*first);
  end = 0;
  if (dash == std::string::npos) return true;
  const auto last = ParseDecimalIn(text.substr(dash + 1), start, kLast);
  if (!last) return false;
  end = static_cast<int>(*last);
  return true;
}

// Which options each command takes.
bool Takes(Command command, const std::string& option) {
  const bool port = option == "--port" || option == "--ip" || option == "--tcp-port" ||
                    option == "--baud" || option == "--parity";
  const bool fleet = option == "--printers" || option == "--jobs" || option == "--json";
  switch (command) {
    case Command::Upload:
      return port || fleet || option == "--device" || option == "--halftone" ||
             option == "--level" || option == "--quiet";
    case Command::Erase:
      return port || fleet;
    case Command::Printout:
      return port || fleet || option == "--device" || option == "--select" || option == "--size";
    case Command::Status:
      return port || option == "--json";
    case Command::Ports:
      return option == "--json";
    case Command::Convert:
      return option == "--halftone" || option == "--level" || option == "--output";
    case Command::Info:
      return false;
  }
  return false;
}

// Applies one option with its value; returns an error text or "".
std::string Apply(Options& o, const std::string& option, const std::string& value) {
  if (option == "--port") {
    if (!ValidPort(value)) return "unknown port '" + value + "'";
    o.port = value;
  } else if (option == "--ip") {
    o.ip = value;
  } else if (option == "--tcp-port") {
    if (!NumberIn(value, 1, 65535)) return "--tcp-port takes a number from 1 to 65535";
    o.tcpPort = value;
  } else if (option == "--baud") {
    const auto rates = BaudRates();
    const auto rate = std::find_if(rates.begin(), rates.end(),
                                   [&](const BaudRate& r) { return r.bitsPerSecond == value; });
    if (rate == rates.end()) return "unknown baud rate '" + value + "'";
    o.baudCode = rate->code;
  } else if (option == "--parity") {
    if (value == "none") o.parity = 0;
    else if (value == "even") o.parity = 1;
    else if (value == "odd") o.parity = 2;
    else return "--parity takes none, even or odd";
  } else if (option == "--device") {
    if (value == "thermal") o.device = 0;
    else if (value == "dot") o.device = 1;
    else return "--device takes thermal or dot";
  } else if (option == "--halftone") {
    if (value == "none") o.halftone = 0;
    else if (value == "diffusion") o.halftone = 1;
    else return "--halftone takes none or diffusion";
  } else if (option == "--level") {
    const auto level = NumberIn(value, 0, 10);
    if (!level) return "--level takes a number from 0 to 10";
    o.level = *level;
  } else if (option == "--select") {
    if (!ParseSelection(value, o.selectStart, o.selectEnd)) {
      return "--select takes N or N-M with 1 <= N <= M <= 255, not '" + value + "'";
    }
  } else if (option == "--size") {
    const auto size = NumberIn(value, 0, 3);
    if (!size) return "--size takes a number from 0 to 3";
    o.size = *size;
  } else if (option == "--output") {
    if (value.empty()) return "--output needs a file name";
    o.output = value;
  } else if (option == "--printers") {
    if (value.empty()) return "--printers needs a file name (- for standard input)";
    o.printers = value;
  } else if (option == "--jobs") {
    const auto jobs = NumberIn(value, 1, 64);
    if (!jobs) return "--jobs takes a number from 1 to 64";
    o.jobs = *jobs;
  }
  return "";
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args) {
  if (args.empty()) return {std::nullopt, "no command given"};
  if (args[0] == "--help" || args[0] == "-h") {
    Options o;
    o.help = true;
    o.helpAll = true;
    return {o, ""};
  }
  if (args[0] == "--version") {
    Options o;
    o.version = true;
    return {o, ""};
  }
  const auto command = CommandNamed(args[0]);
  if (!command) return {std::nullopt, "unknown command '" + args[0] + "'"};
  Options o;
  o.command = *command;
  bool portGiven = false, optionsEnded = false, fleetOptions = false, tcpOptions = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (optionsEnded || arg.rfind("-", 0) != 0 || arg == "-") {
      o.files.push_back(arg);
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      continue;
    }
    if (!Takes(o.command, arg)) return {std::nullopt, "unknown option '" + arg + "'"};
    portGiven = portGiven || arg == "--port";
    if (arg == "--quiet" || arg == "--json") {
      (arg == "--quiet" ? o.quiet : o.json) = true;
      continue;
    }
    fleetOptions = fleetOptions || arg == "--jobs" || arg == "--json";
    tcpOptions = tcpOptions || arg == "--tcp-port";
    if (i + 1 >= args.size()) return {std::nullopt, arg + " needs a value"};
    const std::string error = Apply(o, arg, args[++i]);
    if (!error.empty()) return {std::nullopt, error};
  }
  if (o.help) return {o, ""};
  switch (o.command) {
    case Command::Upload:
    case Command::Info:
      if (o.files.empty()) return {std::nullopt, "no FILE given"};
      break;
    case Command::Convert:
      if (o.files.size() != 1) return {std::nullopt, "convert takes exactly one FILE"};
      break;
    case Command::Erase:
    case Command::Printout:
    case Command::Status:
    case Command::Ports:
      if (!o.files.empty()) return {std::nullopt, "unexpected argument '" + o.files[0] + "'"};
      break;
  }
  const bool statusOrPorts = o.command == Command::Status || o.command == Command::Ports;
  if (o.printers.empty() && fleetOptions && !statusOrPorts) {
    return {std::nullopt, "--jobs and --json go with --printers"};
  }
  if (!o.printers.empty() && (portGiven || tcpOptions || !o.ip.empty())) {
    return {std::nullopt, "--printers lists the printers: no --port, --ip or --tcp-port with it"};
  }
  if (!o.printers.empty()) {
    o.port = "TCP/IP";
    return {o, ""};
  }
  // An address names a network printer: --ip alone means TCP/IP.
  if (!o.ip.empty() && !portGiven) o.port = "TCP/IP";
  if (!o.ip.empty() && o.port != "TCP/IP") {
    return {std::nullopt, "--ip is for --port TCP/IP, not " + o.port};
  }
  if (o.port == "TCP/IP" && o.ip.empty() && o.command != Command::Convert &&
      o.command != Command::Info) {
    return {std::nullopt, "--port TCP/IP needs --ip ADDRESS"};
  }
  return {o, ""};
}

std::string UsageText(std::optional<Command> command) {
  const std::string portOptions =
      "port options: --port LPT1|LPT2|USB|TCP/IP|COM1..COM12   (default COM1)\n"
      "              --ip ADDRESS  --tcp-port NUMBER   (--ip alone means TCP/IP; default 9100)\n"
      "              --baud 1200|2400|4800|9600|19200|38400|57600|115200   (default 19200)\n"
      "              --parity none|even|odd                       (default none)\n";
  const std::string fleetOptions =
      "many printers: --printers FILE   run the job on every TCP/IP printer in FILE (- for\n"
      "                                 standard input): ADDRESS or ADDRESS:PORT a line,\n"
      "                                 # starts a comment; no port options with it\n"
      "               --jobs N          at most N printers at once (1-64, default 8)\n"
      "               --json            one JSON array of results instead of lines\n";
  const std::string upload =
      "brindle-cli upload   [port options] [--device thermal|dot] [--halftone none|diffusion] "
      "[--level 0-10] [--quiet] FILE...\n"
      "    stores the logos in the printer's NV memory, in argument order (a Dot printer\n"
      "    stores the first)\n";
  const std::string erase =
      "brindle-cli erase    [port options]\n    erases every logo stored in the printer\n";
  const std::string printout =
      "brindle-cli printout [port options] [--device thermal|dot] [--select N[-M]] [--size 0-3]\n"
      "    prints stored logos: all of them, or --select N or N-M (1 <= N <= M <= 255)\n";
  const std::string convert =
      "brindle-cli convert  FILE [--halftone none|diffusion] [--level 0-10] [--output OUT.bmp]\n"
      "    writes the black-and-white picture the printer would store (default ./Temp.bmp)\n";
  const std::string info =
      "brindle-cli info     FILE...\n"
      "    prints name, width, height, bits per pixel, device bytes, whether it is accepted\n"
      "    and the file's kind (bmp, png, jpeg or gif)\n";
  const std::string status =
      "brindle-cli status   [port options] [--json]\n"
      "    asks the printer for its real-time status and its identity\n";
  const std::string ports =
      "brindle-cli ports    [--json]\n"
      "    lists the port names, their devices and whether this user may open them\n";
  const std::string general =
      "brindle-cli --help | --version\n    shows this text, or the program's version\n";
  const std::string exits =
      "exit status: 0 done, 1 port not opened, 2 serial settings refused, 3 the device check\n"
      "  failed (printout and erase over COM need the printer's ready answer; elsewhere only a\n"
      "  check that cannot be sent fails) or, for status, no answer, 4 the transfer failed,\n"
      "  5 some of several printers failed, 64 usage error, 65 a file that cannot be used,\n"
      "  73 an output that cannot be written\n";
  std::string text = "usage:\n";
  if (!command) {
    return text + upload + erase + printout + convert + info + status + ports + general +
           portOptions + fleetOptions + exits;
  }
  switch (*command) {
    case Command::Upload: return text + upload + portOptions + fleetOptions + exits;
    case Command::Erase: return text + erase + portOptions + fleetOptions + exits;
    case Command::Printout: return text + printout + portOptions + fleetOptions + exits;
    case Command::Convert: return text + convert + exits;
    case Command::Info: return text + info + exits;
    case Command::Status: return text + status + portOptions + exits;
    case Command::Ports: return text + ports;
  }
  return text;
}

}  // namespace brindle::cli
