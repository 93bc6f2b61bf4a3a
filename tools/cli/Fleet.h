#pragma once
// One job on many network printers: the list of printers, running the job
// on each with a bounded number at once, and the report.
//
// Each printer's job runs on a thread of its own with its own job object
// and transport; the threads share only read-only data (the converted
// pictures) and write each to its own slot of the results, under one lock
// for the lines printed as printers finish.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::cli {

inline constexpr int kExitSomePrintersFailed = 5;
inline constexpr int kDefaultTcpPort = 9100;

struct PrinterAddress {
  std::string ip;  // dotted IPv4
  int port = kDefaultTcpPort;
  std::string Text() const { return ip + ":" + std::to_string(port); }
};

struct PrinterList {
  std::vector<PrinterAddress> printers;  // in the file's order, each once
  std::vector<std::string> warnings;     // printers listed twice
  std::string error;                     // a bad line, with its number
};

// One printer a line as ADDRESS or ADDRESS:PORT (port 9100 when absent);
// blank lines and text after "#" ignored. A line that is not an IPv4
// address with a port from 1 to 65535 is an error naming its number.
PrinterList ParsePrinterList(std::string_view text);

struct PrinterOutcome {
  bool ok = false;
  int status = 0;       // the single-printer command's exit status
  std::string message;  // what the single-printer command would print
  double seconds = 0;
  std::size_t bytes = 0;  // written to the printer
};

using PrinterJob = std::function<PrinterOutcome(const PrinterAddress&)>;

// Runs `job` for every printer, at most `jobs` at once. Without `json`
// prints "ADDRESS:PORT ok" or "ADDRESS:PORT failed (status N): MESSAGE" as
// each finishes, then "N printers: K ok, F failed"; with `json`, one JSON
// array of {"printer", "ok", "status", "message", "seconds", "bytes"} in
// the list's order. `progress`, when given (a terminal), shows "done/total".
// Returns 0 when every printer succeeded, else kExitSomePrintersFailed.
int RunFleet(const std::vector<PrinterAddress>& printers, int jobs, bool json,
             const PrinterJob& job, std::ostream& out, std::FILE* progress);

}  // namespace brindle::cli
