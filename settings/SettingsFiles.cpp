#include "settings/SettingsFiles.h"

#include "core/Numbers.h"
#include "settings/TextLines.h"

namespace brindle {
namespace {

constexpr char kSection[] = "[LOGO]";
// The section line as it arrives from a correctly written file.
constexpr char kSectionRead[] = "[LOGO]\r";

constexpr const char* kPortKeys[] = {"Printer=", "Port=",    "BaudRate=", "BitLength=",
                                     "Parity=",  "StopBit=", "HandShake="};

}  // namespace

std::string FormatLogoList(const std::vector<StoredLogo>& logos) {
  std::string text;
  if (logos.empty()) return text;
  text += kSection;
  text += kLineEnd;
  int k = 1;
  for (const StoredLogo& logo : logos) {
    text += "Logofile" + std::to_string(k++) + "=" + logo.path + "|" + logo.name + "|" +
            std::to_string(logo.size) + "|" + std::to_string(logo.height) + "|" +
            std::to_string(logo.width) + kLineEnd;
  }
  return text;
}

std::string FormatPortSettings(const PortSelections& selections) {
  std::string text = std::string(kSection) + kLineEnd;
  for (std::size_t i = 0; i < selections.size(); ++i) {
    text += kPortKeys[i] + std::to_string(selections[i]) + kLineEnd;
  }
  return text;
}

std::string LineValue(const std::string& line) {
  const auto eq = line.find('=');
  if (eq == std::string::npos) return "";
  const auto end = line.find('=', eq + 1);
  return line.substr(eq + 1, end == std::string::npos ? std::string::npos : end - eq - 1);
}

std::optional<std::vector<LoadedLogo>> ReadLogoList(const std::string& path) {
  TextLineReader reader(path);
  std::string line;
  if (!reader.IsOpen() || !reader.Next(line) || line != kSectionRead) return std::nullopt;
  std::vector<LoadedLogo> logos;
  while (logos.size() < kMaxStoredLogos && reader.Next(line)) {
    const std::string value = LineValue(line);
    const auto bar = value.find('|');
    LoadedLogo logo;
    logo.path = value.substr(0, bar);
    if (bar != std::string::npos) {
      const auto next = value.find('|', bar + 1);
      logo.name = value.substr(bar + 1, next == std::string::npos ? std::string::npos
                                                                  : next - bar - 1);
    }
    logos.push_back(std::move(logo));
  }
  return logos;
}

std::optional<LoadedPortSettings> ReadPortSettings(const std::string& path) {
  TextLineReader reader(path);
  if (!reader.IsOpen()) return std::nullopt;
  LoadedPortSettings loaded;
  std::string line;
  if (!reader.Next(line) || line != kSectionRead) return loaded;
  loaded.sectionMatched = true;
  for (int& selection : loaded.selections) {
    // A line missing at the end counts as empty and selects index 0.
    selection = reader.Next(line) ? ParseLeadingInt(LineValue(line)) : 0;
  }
  return loaded;
}

}  // namespace brindle
