#pragma once
// brindle-printer's main loop: sets up the output, the NV store and the
// chosen port, then serves connections one at a time until stopped.
#include "tools/printer/Options.h"

namespace brindle::printer {

// Returns the process exit code: 0 after a stop (or a finished replay),
// 1 when the output, the store or the port cannot be set up.
int RunPrinter(const Options& options);

}  // namespace brindle::printer
