#pragma once
// Entries of the main window's drop-down lists, in list order, and the
// selection made before the settings file is read.
#include <span>
#include <string_view>

namespace brindle {

struct DropDownList {
  int id;
  std::span<const std::string_view> entries;
  int defaultIndex;
};

// In the order the lists are filled: Device Name, Port, BaudRate,
// BitLength, Parity, StopBit, Handshake (also the order of the seven
// indices in nvupload.ini).
std::span<const DropDownList> MainDropDownLists();

// Index of "TCP/IP" in the Port list; the entries before it are LPT1, LPT2
// and USB, the entries after it COM1 to COM12.
inline constexpr int kTcpPortIndex = 3;

}  // namespace brindle
