#pragma once
// Runs one brindle-cli command on a job object, writing results and errors
// the way the main window reports them.
#include <functional>
#include <ostream>
#include <string>

#include "device/JobMessages.h"
#include "tools/cli/CliOptions.h"

namespace brindle::cli {

// Exit statuses besides the job results 0..4.
inline constexpr int kExitUsage = 64;
inline constexpr int kExitRejected = 65;
inline constexpr int kExitCannotCreate = 73;

struct Environment {
  std::ostream& out;
  std::ostream& err;
  // Says in a person's words why the last job could not open its port
  // (empty when nothing is known).
  std::function<std::string()> openFailureReason;
  // Called when a job has returned, before its result is reported (ends a
  // progress bar's line).
  std::function<void()> jobEnded = [] {};
};

int RunCli(const Options& options, IUploadCtrl& ctrl, Environment& env);

// The files of an upload, checked before anything is sent: 0, or
// kExitRejected after saying on `err` which file cannot be used (or that
// there are more than a printer takes). Notes on `err` that a "Dot"
// printer stores only the first of several logos.
int CheckUploadFiles(const Options& options, IUploadCtrl& ctrl, std::ostream& err);

}  // namespace brindle::cli
