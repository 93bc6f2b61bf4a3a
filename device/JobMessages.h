#pragma once
// What the user is told when a job has ended, for the window and the
// command-line tool alike: the fixed texts of the window's result boxes
// and the exit status of each job result.
#include <string>
#include <string_view>

#include "device/UploadCtrl.h"

namespace brindle {

inline constexpr char kUploadFinishedText[] =
    "Upload finished, and Writing of bit image completed. \r\nLogo becomes available after the "
    "reset of a device.";
inline constexpr char kEraseFinishedText[] =
    "Upload finished, and Cleaning of NV Image completed. \r\n Logo becomes available after the "
    "reset of a device.";
// Every failed job, whatever its result, tells the user this.
inline constexpr char kCommunicationErrorText[] = "Communication error. Can not be transmitted.";

struct JobOutcome {
  int result;      // JobOk ... JobStreamFailed
  int exitStatus;  // of the command-line tool
  const char* meaning;
};

// Job results with their exit statuses, JobOk first.
inline constexpr JobOutcome kJobOutcomes[] = {
    {JobOk, 0, "done"},
    {JobOpenFailed, 1, "the port could not be opened"},
    {JobPortSetupFailed, 2, "the serial settings were refused"},
    {JobCheckFailed, 3, "the printer did not answer its check"},
    {JobStreamFailed, 4, "the transfer failed"},
};

// The exit status of a job result; 4 for a result not in the table.
int ExitStatusForJob(int jobResult);

// A box's text on one line, as a terminal shows it: the "\r\n" line
// breaks are left out (the texts have a space before each).
std::string OneLine(std::string_view text);

}  // namespace brindle
