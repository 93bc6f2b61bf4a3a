#include "tools/cli/StatusReport.h"

#include <cstdio>
#include <vector>

#include "device/JobMessages.h"
#include "tools/cli/Json.h"
#include "tools/cli/OpenFailure.h"

namespace brindle::cli {
namespace {

// A byte with the fixed bits of a status answer.
bool IsStatusByte(std::uint8_t b) { return (b & 0x93) == 0x12; }

struct Meaning {
  int request;  // 1 ... 4
  std::uint8_t bits;
  const char* key;   // JSON
  const char* text;  // for a person
};

constexpr Meaning kMeanings[] = {
    {1, 0x08, "offLine", "off-line"},
    {2, 0x04, "coverOpen", "cover open"},
    {2, 0x08, "paperFedByButton", "paper being fed by the feed button"},
    {2, 0x20, "stoppedAtPaperEnd", "printing stopped at the paper end"},
    {2, 0x40, "error", "an error occurred"},
    {3, 0x04, "mechanicalError", "mechanical error"},
    {3, 0x08, "cutterError", "cutter error"},
    {3, 0x20, "unrecoverableError", "unrecoverable error"},
    {3, 0x40, "autoRecoverableError", "auto-recoverable error"},
    {4, 0x0C, "paperNearEnd", "paper near its end"},
    {4, 0x60, "paperOut", "paper out"},
};

constexpr const char* kRequests[] = {"printer", "off-line cause", "error cause", "paper sensor"};
constexpr const char* kIdentities[] = {"model", "type", "firmware"};

// The bits of one status answer: set, clear, or unknown (no answer, or an
// answer that is not a status byte).
std::optional<bool> Bit(const PrinterStatus& s, const Meaning& m) {
  const auto& b = s.status[static_cast<std::size_t>(m.request - 1)];
  if (!b || !IsStatusByte(*b)) return std::nullopt;
  return (*b & m.bits) == m.bits;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  for (std::uint8_t b : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%s%02X", out.empty() ? "" : " ", b);
    out += pair;
  }
  return out;
}

// The answer as text when every byte is printable, else empty.
std::string Printable(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (std::uint8_t b : bytes) {
    if (b < 0x20 || b > 0x7E) return {};
    text += static_cast<char>(b);
  }
  return text;
}

}  // namespace

std::string StatusText(const PrinterStatus& s) {
  std::string out;
  for (std::size_t i = 0; i < s.status.size(); ++i) {
    out += std::string(kRequests[i]) + ": ";
    const auto& b = s.status[i];
    if (!b) {
      out += "no answer\n";
      continue;
    }
    if (!IsStatusByte(*b)) {
      out += "unexpected answer " + Hex({*b}) + "\n";
      continue;
    }
    std::string found;
    for (const Meaning& m : kMeanings) {
      if (m.request == static_cast<int>(i + 1) && Bit(s, m).value_or(false)) {
        found += (found.empty() ? "" : ", ") + std::string(m.text);
      }
    }
    if (found.empty()) found = i == 0 ? "on-line" : "none";
    out += found + " (" + Hex({*b}) + ")\n";
  }
  for (std::size_t i = 0; i < s.identity.size(); ++i) {
    out += std::string(kIdentities[i]) + ": ";
    const auto& a = s.identity[i];
    if (!a) {
      out += "no answer\n";
      continue;
    }
    const std::string text = Printable(*a);
    out += Hex(*a) + (text.empty() ? "" : " \"" + text + "\"") + "\n";
  }
  return out;
}

std::string StatusJson(const PrinterStatus& s) {
  std::string out = "{\"answered\": " + std::string(s.Answered() ? "true" : "false");
  for (const Meaning& m : kMeanings) {
    const auto bit = Bit(s, m);
    out += ", " + JsonString(m.key) + ": " + (bit ? (*bit ? "true" : "false") : "null");
  }
  out += ", \"statusBytes\": [";
  for (std::size_t i = 0; i < s.status.size(); ++i) {
    out += (i ? ", " : "") + (s.status[i] ? std::to_string(*s.status[i]) : std::string("null"));
  }
  out += "]";
  for (std::size_t i = 0; i < s.identity.size(); ++i) {
    const auto& a = s.identity[i];
    out += ", " + JsonString(kIdentities[i]) + ": ";
    out += a ? "{\"hex\": " + JsonString(Hex(*a)) + ", \"text\": " + JsonString(Printable(*a)) +
                   "}"
             : std::string("null");
  }
  return out + "}\n";
}

int RunStatusCommand(const Options& o, CNVUploadCtrl& ctrl, std::ostream& out,
                     std::ostream& err) {
  PrinterStatus status;
  const int result =
      o.port == "TCP/IP" ? ctrl.RunStatusTcp(o.ip, o.tcpPort, status)
                         : ctrl.RunStatus({o.port, o.baudCode, 0, o.parity, 0, 0}, status);
  if (result == JobOpenFailed || result == JobPortSetupFailed) {
    err << kCommunicationErrorText << "\n";
    const std::string reason = ExplainOpenFailure(ctrl.LastPortError(), o.port);
    if (!reason.empty()) err << reason << "\n";
    return ExitStatusForJob(result);
  }
  out << (o.json ? StatusJson(status) : StatusText(status));
  return ExitStatusForJob(result);
}

}  // namespace brindle::cli
