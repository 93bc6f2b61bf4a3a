// Below the processes: the printer list, running jobs on many printers a
// bounded number at a time, and the reports of many printers, of a
// printer's status and of the ports.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "support/Clocks.h"
#include "support/RecordingPort.h"
#include "tools/cli/Fleet.h"
#include "tools/cli/Json.h"
#include "tools/cli/PortsReport.h"
#include "tools/cli/StatusReport.h"

namespace brindle::cli {
namespace {

TEST(PrinterList, ReadsAddressesPortsCommentsAndDuplicates) {
  const PrinterList list = ParsePrinterList(
      "# shops\n10.0.0.1\n \t10.0.0.2:9101  # back office\n\n10.0.0.1:9100\r\n192.168.1.7:1");
  std::string texts;
  for (const PrinterAddress& p : list.printers) texts += p.Text() + " ";
  EXPECT_EQ(texts + list.error, "10.0.0.1:9100 10.0.0.2:9101 192.168.1.7:1 ");
  EXPECT_EQ(list.warnings,
            std::vector<std::string>{"line 5: 10.0.0.1:9100 is listed twice; it is run once"});
  for (const std::string bad : {"printer.local", "10.0.0.1:0", "10.0.0.1:65536", "10.0.0.1:",
                                "1.2.3", "10.0.0.1:91x"}) {
    EXPECT_EQ(ParsePrinterList("10.0.0.9\n" + bad).error,
              "line 2: '" + bad + "' is not ADDRESS or ADDRESS:PORT");
  }
}

// Every printer runs once, `jobs` at a time; lines come as printers
// finish, the JSON array in the list's order.
TEST(Fleet, RunsEveryPrinterWithinTheBoundAndReportsInOrder) {
  std::vector<PrinterAddress> printers;
  for (int i = 1; i <= 9; ++i) printers.push_back({"10.0.0." + std::to_string(i)});
  for (const bool json : {false, true}) {
    std::atomic<int> running{0}, most{0}, calls{0};
    const PrinterJob job = [&](const PrinterAddress& p) {
      most = std::max(most.load(), ++running);
      // Each waits a little for the others, so that the bound is reached.
      for (int i = 0; i < 100 && running < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      --running;
      ++calls;
      const bool ok = p.ip != "10.0.0.4";
      return PrinterOutcome{ok, ok ? 0 : 4, ok ? "" : "Communication \"error\"", 0.25, 12};
    };
    std::ostringstream out;
    EXPECT_EQ(RunFleet(printers, 3, json, job, out, nullptr), kExitSomePrintersFailed);
    EXPECT_EQ(std::tuple(calls.load(), most.load()), std::tuple(9, 3));
    // The printers' JSON objects are pinned by the process test; here the frame.
    const std::string text = out.str();
    EXPECT_TRUE(!json || text.starts_with(
        "[\n {\"printer\": \"10.0.0.1:9100\", \"ok\": true, \"status\": 0, \"message\": \"\", "
        "\"seconds\": 0.250, \"bytes\": 12},\n {\"printer\": \"10.0.0.2:9100\""));
    EXPECT_TRUE(text.ends_with(json ? "}\n]\n" : "9 printers: 8 ok, 1 failed\n"));
    EXPECT_EQ(text.find("10.0.0.4:9100 failed (status 4): Communication \"error\"\n") !=
                  std::string::npos, !json);
  }
  std::ostringstream out;
  const PrinterJob ok = [](const PrinterAddress&) { return PrinterOutcome{true, 0, "", 0, 0}; };
  EXPECT_EQ(RunFleet({printers[0]}, 8, false, ok, out, nullptr), 0);
  EXPECT_EQ(out.str(), "10.0.0.1:9100 ok\n1 printers: 1 ok, 0 failed\n");
  EXPECT_EQ(JsonString("a\"\\\n\r\t\x01\x7F\u00E9"), "\"a\\\"\\\\\\n\\r\\t\\u0001\\u007f\u00E9\"");
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
            "printer: off-line (1E)\noff-line cause: cover open (16)\nerror cause: none (12)\n"
            "paper sensor: paper near its end (1E)\nmodel: 20 \" \"\ntype: 02\n"
            "firmware: 31 2E 30 \"1.0\"\n");
  log.clear();
  port.silentResult = 0;
  port.replies.clear();
  EXPECT_EQ(QueryPrinterStatus(port, clock, status), 1);
  EXPECT_FALSE(status.Answered());
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
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
            "paper sensor: paper out (72)\nmodel: 00 41\ntype: no answer\nfirmware: no answer\n");
  s.status = {0xFF, std::nullopt, 0x12, 0x1A};
  s.identity[1] = std::vector<std::uint8_t>{0x41};
  EXPECT_TRUE(StatusText(s).starts_with("printer: unexpected answer FF\noff-line cause: no "
                                        "answer\nerror cause: none (12)\npaper sensor: none"));
  EXPECT_EQ(StatusJson(s),
            "{\"answered\": true, \"offLine\": null, \"coverOpen\": null, \"paperFedByButton\": "
            "null, \"stoppedAtPaperEnd\": null, \"error\": null, \"mechanicalError\": false, "
            "\"cutterError\": false, \"unrecoverableError\": false, \"autoRecoverableError\": "
            "false, \"paperNearEnd\": false, \"paperOut\": false, \"statusBytes\": [255, null, "
            "18, 26], \"model\": {\"hex\": \"00 41\", \"text\": \"\"}, \"type\": {\"hex\": "
            "\"41\", \"text\": \"A\"}, \"firmware\": null}\n");
}

// Ports in columns (the name in 7, the device padded to the longest and 2)
// and as JSON.
TEST(PortsReport, TextAndJson) {
  const std::vector<PortEntry> entries = {
      {"COM1", "/d/ttyS0", true, true, "", "", false},
      {"LPT1", "/d/lp0", true, false, "permission denied", "only root may use it", false},
      {"USB", "/d/usb/lp10", true, true, "", "", true},
      {"USB", "/d/usb/lp1", false, false, "", "", false}};
  EXPECT_EQ(PortsText(entries),
            "COM1   /d/ttyS0     may be opened\n"
            "LPT1   /d/lp0       permission denied; only root may use it\n"
            "USB    /d/usb/lp10  may be opened (used by USB jobs now)\n"
            "USB    /d/usb/lp1   missing\n");
  EXPECT_EQ(PortsJson({entries[1], entries[2]}),
            "[\n {\"port\": \"LPT1\", \"device\": \"/d/lp0\", \"exists\": true, \"writable\": "
            "false, \"reason\": \"permission denied\", \"remedy\": \"only root may use it\", "
            "\"selected\": false},\n {\"port\": \"USB\", \"device\": \"/d/usb/lp10\", \"exists\": "
            "true, \"writable\": true, \"reason\": \"\", \"remedy\": \"\", \"selected\": true}\n]\n");
}

}  // namespace
}  // namespace brindle::cli
