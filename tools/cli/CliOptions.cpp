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
      {"upload", Command::Upload},     {"erase", Command::Erase}, {"printout", Command::Printout},
      {"convert", Command::Convert},   {"info", Command::Info}};
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
  switch (command) {
    case Command::Upload:
      return port || option == "--device" || option == "--halftone" || option == "--level" ||
             option == "--quiet";
    case Command::Erase:
      return port;
    case Command::Printout:
      return port || option == "--device" || option == "--select" || option == "--size";
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
  const auto command = CommandNamed(args[0]);
  if (!command) return {std::nullopt, "unknown command '" + args[0] + "'"};
  Options o;
  o.command = *command;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0 || arg == "--") {
      o.files.push_back(arg);
      continue;
    }
    if (!Takes(o.command, arg)) return {std::nullopt, "unknown option '" + arg + "'"};
    if (arg == "--quiet") {
      o.quiet = true;
      continue;
    }
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
      if (!o.files.empty()) return {std::nullopt, "unexpected argument '" + o.files[0] + "'"};
      break;
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
      "              --ip ADDRESS  --tcp-port NUMBER              (with TCP/IP; default 9100)\n"
      "              --baud 1200|2400|4800|9600|19200|38400|57600|115200   (default 19200)\n"
      "              --parity none|even|odd                       (default none)\n";
  const std::string upload =
      "brindle-cli upload   [port options] [--device thermal|dot] [--halftone none|diffusion] "
      "[--level 0-10] [--quiet] FILE...\n"
      "    stores the logos in the printer's NV memory, in argument order\n";
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
  std::string text = "usage:\n";
  if (!command) return text + upload + erase + printout + convert + info + portOptions;
  switch (*command) {
    case Command::Upload: return text + upload + portOptions;
    case Command::Erase: return text + erase + portOptions;
    case Command::Printout: return text + printout + portOptions;
    case Command::Convert: return text + convert;
    case Command::Info: return text + info;
  }
  return text;
}

}  // namespace brindle::cli
