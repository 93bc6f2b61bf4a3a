#pragma once
// brindle-cli's upload, erase and printout with --printers: the printer
// list read, the pictures checked and converted once, then the job on
// every printer (tools/cli/Fleet.h).
#include <istream>
#include <ostream>

#include "tools/cli/CliOptions.h"

namespace brindle::cli {

// Returns the exit status: 64 for a list that cannot be read or has a bad
// line, 65 for a file that cannot be used (both before anything is sent),
// else that of RunFleet.
int RunFleetCommand(const Options& options, std::istream& in, std::ostream& out,
                    std::ostream& err, bool terminal);

}  // namespace brindle::cli
