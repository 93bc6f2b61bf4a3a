#include "tools/cli/Fleet.h"

#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "core/Numbers.h"
#include "tools/cli/Json.h"

namespace brindle::cli {
namespace {

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool ParseAddress(std::string_view text, PrinterAddress& address) {
  const auto colon = text.find(':');
  address.ip = std::string(text.substr(0, colon));
  in_addr ignored{};
  if (::inet_pton(AF_INET, address.ip.c_str(), &ignored) != 1) return false;
  address.port = kDefaultTcpPort;
  if (colon == std::string_view::npos) return true;
  const auto port = ParseDecimalIn(text.substr(colon + 1), 1, 65535);
  if (!port) return false;
  address.port = static_cast<int>(*port);
  return true;
}

void PrintResult(std::ostream& out, const PrinterAddress& printer, const PrinterOutcome& r) {
  out << printer.Text();
  if (r.ok) {
    out << " ok\n";
  } else {
    out << " failed (status " << r.status << "): " << r.message << "\n";
  }
  out.flush();
}

void PrintJson(std::ostream& out, const std::vector<PrinterAddress>& printers,
               const std::vector<PrinterOutcome>& results) {
  out << "[";
  for (std::size_t i = 0; i < printers.size(); ++i) {
    const PrinterOutcome& r = results[i];
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", r.seconds);
    out << (i ? ",\n " : "\n ") << "{\"printer\": " << JsonString(printers[i].Text())
        << ", \"ok\": " << (r.ok ? "true" : "false") << ", \"status\": " << r.status
        << ", \"message\": " << JsonString(r.message) << ", \"seconds\": " << seconds
        << ", \"bytes\": " << r.bytes << "}";
  }
  out << "\n]\n";
}

}  // namespace

PrinterList ParsePrinterList(std::string_view text) {
  PrinterList list;
  std::set<std::string> seen;
  int number = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    PrinterAddress address;
    if (!ParseAddress(line, address)) {
      list.error = "line " + std::to_string(number) + ": '" + std::string(line) +
                   "' is not ADDRESS or ADDRESS:PORT";
      return list;
    }
    if (!seen.insert(address.Text()).second) {
      list.warnings.push_back("line " + std::to_string(number) + ": " + address.Text() +
                              " is listed twice; it is run once");
      continue;
    }
    list.printers.push_back(address);
  }
  return list;
}

int RunFleet(const std::vector<PrinterAddress>& printers, int jobs, bool json,
             const PrinterJob& job, std::ostream& out, std::FILE* progress) {
  std::vector<PrinterOutcome> results(printers.size());
  std::atomic<std::size_t> next{0};
  std::mutex report;
  std::size_t done = 0;
  auto worker = [&] {
    for (std::size_t i = next++; i < printers.size(); i = next++) {
      PrinterOutcome r = job(printers[i]);
      std::lock_guard<std::mutex> lock(report);
      results[i] = r;
      if (!json) PrintResult(out, printers[i], r);
      ++done;
      if (progress) {
        std::fprintf(progress, "\r%zu/%zu", done, printers.size());
        std::fflush(progress);
      }
    }
  };
  const std::size_t threads =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), printers.size());
  std::vector<std::thread> pool;
  for (std::size_t t = 0; t < threads; ++t) pool.emplace_back(worker);
  for (std::thread& t : pool) t.join();
  if (progress && !printers.empty()) std::fputc('\n', progress);

  const auto ok = static_cast<std::size_t>(
      std::count_if(results.begin(), results.end(), [](const PrinterOutcome& r) { return r.ok; }));
  if (json) {
    PrintJson(out, printers, results);
  } else {
    out << printers.size() << " printers: " << ok << " ok, " << printers.size() - ok
        << " failed\n";
  }
  return ok == printers.size() ? 0 : kExitSomePrintersFailed;
}

}  // namespace brindle::cli
