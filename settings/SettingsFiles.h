#pragma once
// files.ini (the logo list) and nvupload.ini (the seven port list
// selections): their exact bytes and the rules by which they are read back.
#include <array>
#include <cstddef>
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

// The most entries files.ini is read for: the list never holds more, so
// the program never writes more.
inline constexpr std::size_t kMaxStoredLogos = 255;

// Reads files.ini. Nothing when the file is missing, cannot be opened (also
// when it is not a regular file or is too large) or does not begin with the
// section line; otherwise the further lines in file order (possibly none),
// at most kMaxStoredLogos of them.
std::optional<std::vector<LoadedLogo>> ReadLogoList(const std::string& path);

struct LoadedPortSettings {
  // False when the first line is not the section line: nothing is selected
  // then, but the port rule still runs.
  bool sectionMatched = false;
  PortSelections selections{};
};

// Reads nvupload.ini; nothing when it is missing or cannot be opened (as
// for files.ini).
std::optional<LoadedPortSettings> ReadPortSettings(const std::string& path);

// The value of a settings line: after the first "=" up to the next "=" or
// the end of the line; empty without "=".
std::string LineValue(const std::string& line);

}  // namespace brindle
