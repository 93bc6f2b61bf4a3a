#include "tools/printer/Status.h"

namespace brindle::printer {
namespace {

struct State {
  const char* name;
  StatusBytes bits;  // added to the fixed 12 of each byte
};

const State kStates[] = {
    {"online", {0, 0, 0, 0}},
    {"offline", {0x08, 0, 0, 0}},
    {"cover-open", {0x08, 0x04, 0, 0}},
    {"paper-feed", {0x08, 0x08, 0, 0}},
    {"paper-near-end", {0, 0, 0, 0x0C}},
    {"paper-out", {0x08, 0x20, 0, 0x6C}},
    {"error", {0x08, 0x40, 0x04, 0}},
    {"cutter-error", {0x08, 0x40, 0x08, 0}},
    {"unrecoverable-error", {0x08, 0x40, 0x20, 0}},
    {"auto-recoverable-error", {0x08, 0x40, 0x40, 0}},
};

}  // namespace

bool ParseStatus(const std::string& text, StatusBytes& status, std::string& error) {
  status = kOnline;
  bool online = false;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string name = text.substr(start, end - start);
    const State* found = nullptr;
    for (const State& state : kStates) {
      if (name == state.name) found = &state;
    }
    if (!found) {
      error = "unknown printer state \"" + name + "\"";
      return false;
    }
    online = online || found == &kStates[0];
    for (std::size_t i = 0; i < status.size(); ++i) status[i] |= found->bits[i];
    start = end + 1;
  }
  if (online && IsOffline(status)) {
    error = "online cannot be combined with a state that makes the printer off-line";
    return false;
  }
  return true;
}

}  // namespace brindle::printer
