#pragma once
// files.ini (the logo list) and nvupload.ini (the seven port list
// selections): their exact bytes and the rules by which they are read back.
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace brindle {

inline constexpr char kLogoListFile[] = "files.ini";
inline constexpr char kPortSettingsFile[] = "nvupload.ini";

// One stored logo: what files.ini keeps of a list entry.
struct StoredLogo {
  std::string path;
  std::string name;
  int size = 0;
  int height = 0;
  int width = 0;
};

// The selected index of each list in the order Device Name, Port, BaudRate,
// BitLength, Parity, StopBit, Handshake (-1 for no selection).
using PortSelections = std::array<int, 7>;

// The whole text of files.ini; empty (0 bytes) for an empty list.
std::string FormatLogoList(const std::vector<StoredLogo>& logos);
// The whole text of nvupload.ini.
std::string FormatPortSettings(const PortSelections& selections);

// A logo read back from files.ini: only the name and path are used, the
// file is measured again when it is added.
struct LoadedLogo {
  std::string name;
  std::string path;
};

// Reads files.ini. Nothing when the file is missing, cannot be opened or
// does not begin with the section line; otherwise every further line in
// file order (possibly none).
std::optional<std::vector<LoadedLogo>> ReadLogoList(const std::string& path);

struct LoadedPortSettings {
  // False when the first line is not the section line: nothing is selected
  // then, but the port rule still runs.
  bool sectionMatched = false;
  PortSelections selections{};
};

// Reads nvupload.ini; nothing when it is missing or cannot be opened.
std::optional<LoadedPortSettings> ReadPortSettings(const std::string& path);

// The value of a settings line: after the first "=" up to the next "=" or
// the end of the line; empty without "=".
std::string LineValue(const std::string& line);

}  // namespace brindle
