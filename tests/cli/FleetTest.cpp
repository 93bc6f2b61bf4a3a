// Many printers, printer status and the port list, below the processes:
// the printer list, running jobs a bounded number at a time, and the
// reports.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "support/RecordingPort.h"
#include "support/Clocks.h"
#include "tools/cli/Fleet.h"
#include "tools/cli/StatusReport.h"

namespace brindle::cli {
namespace {

TEST(PrinterList, ReadsAddressesPortsCommentsAndDuplicates) {
  const PrinterList list = ParsePrinterList(
      "# shops\n10.0.0.1\n  10.0.0.2:9101  # back office\n\n10.0.0.1:9100\r\n192.168.1.7:1");
  ASSERT_EQ(list.error, "");
  std::vector<std::string> texts;
  for (const PrinterAddress& p : list.printers) texts.push_back(p.Text());
  EXPECT_EQ(texts, (std::vector<std::string>{"10.0.0.1:9100", "10.0.0.2:9101", "192.168.1.7:1"}));
  EXPECT_EQ(list.warnings,
            std::vector<std::string>{"line 5: 10.0.0.1:9100 is listed twice; it is run once"});
  for (const char* bad : {"printer.local", "10.0.0.1:0", "10.0.0.1:65536", "10.0.0.1:", "1.2.3",
                          "10.0.0.1:91x"}) {
    EXPECT_EQ(ParsePrinterList(std::string("10.0.0.9\n") + bad + "\n").error,
              std::string("line 2: '") + bad + "' is not ADDRESS or ADDRESS:PORT");
  }
}

// Every printer runs once, never more than `jobs` at once; lines come as
// printers finish, the JSON array in the list's order.
TEST(Fleet, RunsEveryPrinterWithinTheBoundAndReportsInOrder) {
  std::vector<PrinterAddress> printers;
  for (int i = 1; i <= 9; ++i) printers.push_back({"10.0.0." + std::to_string(i)});
  for (const bool json : {false, true}) {
    std::atomic<int> running{0}, most{0}, calls{0};
    const PrinterJob job = [&](const PrinterAddress& p) {
      most = std::max(most.load(), ++running);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      --running;
      ++calls;
      const bool ok = p.ip != "10.0.0.4";
      return PrinterOutcome{ok, ok ? 0 : 4, ok ? "" : "Communication \"error\"", 0.25, 12};
    };
    std::ostringstream out;
    EXPECT_EQ(RunFleet(printers, 3, json, job, out, nullptr), kExitSomePrintersFailed);
    EXPECT_EQ(calls, 9);
    EXPECT_LE(most, 3);
    if (!json) {
      EXPECT_NE(out.str().find("10.0.0.4:9100 failed (status 4): Communication \"error\"\n"),
                std::string::npos);
      EXPECT_NE(out.str().find("10.0.0.9:9100 ok\n"), std::string::npos);
      EXPECT_TRUE(out.str().ends_with("9 printers: 8 ok, 1 failed\n"));
      continue;
    }
    EXPECT_TRUE(out.str().starts_with(
        "[\n {\"printer\": \"10.0.0.1:9100\", \"ok\": true, \"status\": 0, \"message\": \"\", "
        "\"seconds\": 0.250, \"bytes\": 12},\n {\"printer\": \"10.0.0.2:9100\""));
    EXPECT_NE(out.str().find("{\"printer\": \"10.0.0.4:9100\", \"ok\": false, \"status\": 4, "
                             "\"message\": \"Communication \\\"error\\\"\""),
              std::string::npos);
  }
  std::ostringstream out;
  PrinterOutcome success;
  success.ok = true;
  EXPECT_EQ(RunFleet({printers[0]}, 8, false, [&](const PrinterAddress&) { return success; }, out,
                     nullptr),
            0);
}

// The requests, in order; a printer silent at the first is asked nothing
// more.
TEST(PrinterStatusQuery, AsksEachQuestionAndStopsAtASilentPrinter) {
  using namespace test;
  Log log;
  LogPort port(log);
  FakeClock clock;
  port.replies = {{0x1E}, {0x16}, {0x12}, {0x1E}, {0x20}, {0x02}, {0x31, 0x2E, 0x30}};
  PrinterStatus status;
  EXPECT_EQ(QueryPrinterStatus(port, clock, status), 1);
  Log expected;
  for (std::uint8_t n = 1; n <= 4; ++n) expected = expected + Log{W({0x10, 0x04, n}), Rd(64)};
  for (std::uint8_t n = 1; n <= 3; ++n) expected = expected + Log{W({0x1D, 0x49, n}), Rd(64)};
  EXPECT_TRUE(SameLog(log, expected));
  EXPECT_EQ(StatusText(status),
            "printer: off-line (1E)\n"
            "off-line cause: cover open (16)\n"
            "error cause: none (12)\n"
            "paper sensor: paper near its end (1E)\n"
            "model: 20 \" \"\n"
            "type: 02\n"
            "firmware: 31 2E 30 \"1.0\"\n");

  Log silentLog;
  LogPort silent(silentLog);
  silent.silentResult = 0;
  EXPECT_EQ(QueryPrinterStatus(silent, clock, status), 1);
  EXPECT_FALSE(status.Answered());
  EXPECT_EQ(silentLog.front(), W({0x10, 0x04, 0x01}));
  EXPECT_EQ(std::count_if(silentLog.begin(), silentLog.end(),
                          [](const Event& e) { return e.kind == Event::Write; }),
            1);
}

// What each status bit means; an answer without the fixed bits is not
// taken for a status.
TEST(PrinterStatusReport, NamesEveryConditionAndTheUnknown) {
  PrinterStatus s;
  s.status = {0x12, 0x7E, 0x7E, 0x72};
  s.identity[0] = std::vector<std::uint8_t>{0x00, 0x41};
  EXPECT_EQ(StatusText(s),
            "printer: on-line (12)\n"
            "off-line cause: cover open, paper being fed by the feed button, printing stopped at "
            "the paper end, an error occurred (7E)\n"
            "error cause: mechanical error, cutter error, unrecoverable error, auto-recoverable "
            "error (7E)\n"
            "paper sensor: paper out (72)\n"
            "model: 00 41\ntype: no answer\nfirmware: no answer\n");
  s.status = {0xFF, std::nullopt, 0x12, 0x12};
  const std::string json = StatusJson(s);
  EXPECT_TRUE(json.starts_with("{\"answered\": true, \"offLine\": null, \"coverOpen\": null"));
  EXPECT_NE(json.find("\"cutterError\": false"), std::string::npos);
  EXPECT_NE(json.find("\"statusBytes\": [255, null, 18, 18], \"model\": {\"hex\": \"00 41\", "
                      "\"text\": \"\"}, \"type\": null"),
            std::string::npos);
}

}  // namespace
}  // namespace brindle::cli
