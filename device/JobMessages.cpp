#include "device/JobMessages.h"

namespace brindle {

int ExitStatusForJob(int jobResult) {
  for (const JobOutcome& outcome : kJobOutcomes) {
    if (outcome.result == jobResult) return outcome.exitStatus;
  }
  return 4;
}

std::string OneLine(std::string_view text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == "\r\n") {
      ++i;  // the texts put their own space before the line break
    } else {
      line += text[i];
    }
  }
  return line;
}

}  // namespace brindle
