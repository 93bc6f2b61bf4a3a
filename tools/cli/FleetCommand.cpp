#include "tools/cli/FleetCommand.h"

#include <unistd.h>

#include <chrono>
#include <iterator>
#include <optional>
#include <vector>

#include "core/MessageBox.h"
#include "device/DotUpload.h"
#include "device/JobMessages.h"
#include "device/LogoPathList.h"
#include "device/NVUploadCtrl.h"
#include "device/Printout.h"
#include "device/ThermalUpload.h"
#include "image/FileBytes.h"
#include "tools/cli/CliRun.h"
#include "tools/cli/Fleet.h"
#include "tools/cli/OpenFailure.h"
#include "tools/cli/ProgressPorts.h"

namespace brindle::cli {
namespace {

// A list of printers is a few lines a printer; this is far beyond any fleet.
constexpr std::size_t kMaxListBytes = 1u << 20;

// Keeps the messages a job would show, to report them on the printer's line.
class CollectedMessages final : public IMessageBox {
 public:
  MsgAnswer Show(const std::string& text, const std::string&, MsgButtons buttons,
                 MsgIcon) override {
    texts.push_back(text);
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
  }
  std::vector<std::string> texts;
};

bool ReadList(const std::string& name, std::istream& in, std::string& text) {
  if (name != "-") {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(name, kMaxListBytes, bytes)) return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
  }
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return text.size() <= kMaxListBytes;
}

// What one printer's job sends once it is connected and checked: the
// converted pictures (shared, read-only) or a printout or erase.
struct Work {
  Command command = Command::Upload;
  int device = 0;
  std::optional<std::vector<ThermalImage>> thermal;
  std::optional<DotBands> dot;
  int start = 0, end = 0, size = 0;
};

int Send(const Work& w, IPort& port, PortKind kind, IClock& clock) {
  switch (w.command) {
    case Command::Upload:
      return w.device == 0 ? SendThermalImages(port, kind, *w.thermal, clock)
                           : SendDotBands(port, kind, *w.dot, clock);
    case Command::Erase:
      return SendThermalPrintout(port, kEraseValue, kEraseValue, 0);
    default:
      return w.device == 0 ? SendThermalPrintout(port, w.start, w.size, w.end)
                           : SendDotPrintout(port);
  }
}

// The device check's code of the job, as the single-printer jobs use it.
int CheckCode(const Work& w) { return w.command == Command::Erase ? kCommandErase : w.device; }

// One printer's job with a job object, transport and messages of its own.
PrinterOutcome RunOne(const Work& w, const PrinterAddress& printer) {
  const auto start = std::chrono::steady_clock::now();
  CollectedMessages messages;
  SystemPortProvider system(messages, SystemClock::Instance());
  std::size_t bytes = 0;
  ProgressPortProvider counted(system, [&bytes](std::size_t written) { bytes = written; });
  CNVUploadCtrl ctrl(counted, SystemClock::Instance());
  const int result = ctrl.RunTcpJob(
      printer.ip, std::to_string(printer.port), CheckCode(w), [&](IPort& port, PortKind kind) {
        return Send(w, port, kind, SystemClock::Instance()) ? JobOk : JobStreamFailed;
      });
  PrinterOutcome r;
  r.ok = result == JobOk;
  r.status = ExitStatusForJob(result);
  r.bytes = bytes;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!r.ok) {
    std::vector<std::string> lines = messages.texts;
    lines.push_back(kCommunicationErrorText);
    const std::string reason = ExplainOpenFailure(ctrl.LastPortError(), "TCP/IP");
    if (result == JobOpenFailed && !reason.empty()) lines.push_back(reason);
    for (std::size_t i = 0; i < lines.size(); ++i) r.message += (i ? "; " : "") + lines[i];
  }
  return r;
}

}  // namespace

int RunFleetCommand(const Options& o, std::istream& in, std::ostream& out, std::ostream& err,
                    bool terminal) {
  std::string text;
  if (!ReadList(o.printers, in, text)) {
    err << "brindle-cli: cannot read the printer list " << o.printers << "\n";
    return kExitUsage;
  }
  const PrinterList list = ParsePrinterList(text);
  if (!list.error.empty()) {
    err << "brindle-cli: " << o.printers << ": " << list.error << "\n";
    return kExitUsage;
  }
  for (const std::string& warning : list.warnings) err << "brindle-cli: " << warning << "\n";

  Work work;
  work.command = o.command;
  work.device = o.device;
  work.start = o.selectStart;
  work.end = o.selectEnd;
  work.size = o.size;
  if (o.command == Command::Upload) {
    StderrMessageBox unused;
    CNVUploadCtrl measure(unused);
    if (const int rejected = CheckUploadFiles(o, measure, err)) return rejected;
    const std::string paths = JoinLogoPaths(o.files);
    const auto mode = static_cast<std::int16_t>(o.halftone);
    const auto level = static_cast<std::int16_t>(o.level);
    if (o.device == 0) work.thermal = PrepareThermalImages(paths, mode, level);
    else work.dot = PrepareDotLogo(paths, mode, level);
    if (!work.thermal && !work.dot) {
      err << "brindle-cli: the logos cannot be converted\n";
      return kExitRejected;
    }
  }
  return RunFleet(list.printers, o.jobs, o.json,
                  [&work](const PrinterAddress& p) { return RunOne(work, p); }, out,
                  terminal && !o.json ? stderr : nullptr);
}

}  // namespace brindle::cli
