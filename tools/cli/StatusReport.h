#pragma once
// brindle-cli status: what the printer's status bytes and identity
// answers mean, as lines for a person or one JSON object for a script.
//
// The status bytes (bits 1 and 4 always set, 0 and 7 always clear):
//   DLE EOT 1  bit 3 off-line
//   DLE EOT 2  bit 2 cover open, bit 3 paper fed by the feed button,
//              bit 5 printing stopped at the paper end, bit 6 an error
//   DLE EOT 3  bit 2 mechanical (recoverable) error, bit 3 cutter error,
//              bit 5 unrecoverable error, bit 6 auto-recoverable error
//   DLE EOT 4  bits 2 and 3 paper near its end, bits 5 and 6 paper out
#include <ostream>
#include <string>

#include "device/NVUploadCtrl.h"
#include "device/StatusQuery.h"
#include "tools/cli/CliOptions.h"

namespace brindle::cli {

std::string StatusText(const PrinterStatus& status);
std::string StatusJson(const PrinterStatus& status);

// Asks the printer the options name and prints the report. Returns 0 when
// it answered the first request, 3 when it did not, 1 when the port did
// not open (the next line says why), as the job results map.
int RunStatusCommand(const Options& options, CNVUploadCtrl& ctrl, std::ostream& out,
                     std::ostream& err);

}  // namespace brindle::cli
