#include "app/MainDlg.h"

#include <string>
#include <utility>

#include "app/MainLists.h"
#include "port/BaudRates.h"
#include "res/ControlIds.h"

namespace brindle {
namespace {

// The 13 controls that are enabled only while the logo list holds entries.
constexpr int kOperationControls[] = {
    id::kRemove,        id::kReset,    id::kUpload,          id::kErase,
    id::kPrintout,      id::kHalftoneNone, id::kHalftoneDiffusion, id::kRangeAll,
    id::kRangeSelection, id::kSizeSingle, id::kSizeDoubleWide, id::kSizeDoubleHigh,
    id::kSizeDoubleBoth,
};

// The lists that only a serial port uses.
constexpr int kSerialLists[] = {id::kBaudList, id::kBitLengthList, id::kParityList,
                                id::kStopBitList, id::kHandshakeList};

}  // namespace

CMainDlg::CMainDlg(IMainHost& host, IUploadCtrl& uploadCtrl, std::string settingsDir)
    : host_(host), uploadCtrl_(uploadCtrl), settingsDir_(std::move(settingsDir)) {}

bool CMainDlg::OnInitDialog() {
  host_.SetIcons();

  host_.ViewSetFullRowSelect();
  host_.ViewInsertColumn(0, "No.", 0);  // zero-wide: holds the row index
  host_.ViewInsertColumn(1, "No.", 42);
  host_.ViewInsertColumn(2, "Name", 150);
  host_.ViewInsertColumn(3, "Size", 50);

  lastDrawnWidth_ = 0;
  lastDrawnHeight_ = 0;
  logoCount_ = 0;
  totalSize_ = 0;

  host_.SliderSetRange(0, 10);
  host_.SliderSetPos(5);
  halftoneMode_ = 0;

  host_.Check(id::kHalftoneNone);
  host_.Check(id::kRangeAll);
  host_.Check(id::kSizeSingle);

  // The splash stays up for one second while the window is still hidden.
  host_.ShowSplash();
  host_.Wait(1000);
  host_.HideSplash();

  InitControls();
  LoadLogoList();
  LoadPortSettings();
  return true;
}

void CMainDlg::InitControls() {
  for (const DropDownList& list : MainDropDownLists()) {
    for (std::string_view entry : list.entries) host_.ListAppend(list.id, std::string(entry));
  }
  for (const DropDownList& list : MainDropDownLists()) host_.ListSelect(list.id, list.defaultIndex);

  host_.SetText(id::kTcpPort, "9100");
  host_.SetReadOnly(id::kIpAddress, true);
  host_.SetReadOnly(id::kTcpPort, true);

  EnableOperationControls(false);
  printSizeIndex_ = 0;
  rangeMode_ = 0;

  UpdateCounters(0, 0);
  UpdateSizeTexts(0, 0);

  UpdateHalftoneLevel();
}

void CMainDlg::OnPortSelChange() {
  const int index = host_.ListSelected(id::kPortList);
  if (index < 0) return;
  const bool serial = index > kTcpPortIndex;
  for (int list : kSerialLists) host_.Enable(list, serial);
  host_.SetReadOnly(id::kIpAddress, index != kTcpPortIndex);
}

void CMainDlg::EnableOperationControls(bool enable) {
  for (int control : kOperationControls) host_.Enable(control, enable);
}

int CMainDlg::GetBaudCode() {
  return BaudCodeForText(host_.ListText(id::kBaudList, host_.ListSelected(id::kBaudList)));
}

void CMainDlg::UpdateHalftoneLevel() {
  const int position = host_.SliderPos();
  const int maximum = host_.SliderMax();
  // Truncation toward zero; a zero-wide range gives level 0 instead of a
  // division by zero.
  const double scaled = maximum != 0 ? static_cast<double>(position) / maximum * 10.0 : 0.0;
  level_ = static_cast<std::int16_t>(static_cast<int>(scaled));
}

void CMainDlg::UpdateCounters(int count, int total) {
  host_.SetText(id::kFileCounter, "Logo Files : " + std::to_string(count) + " / 255");
  host_.SetText(id::kSizeCounter,
                "Logo size total : " + std::to_string(total / 1000) + " / 250 KBytes");
}

void CMainDlg::UpdateSizeTexts(int width, int height) {
  host_.SetText(id::kHeightText, "Height : " + std::to_string(height));
  host_.SetText(id::kWidthText, "Width : " + std::to_string(width));
}

void CMainDlg::OnExit() { host_.RequestClose(); }

void CMainDlg::OnClose() {
  const std::string list = SaveLogoList();
  const std::string ports = SavePortSettings();
  if (!list.empty() || !ports.empty()) {
    const std::string text = list + (!list.empty() && !ports.empty() ? "\n" : "") + ports;
    host_.Show(text, "Error", MsgButtons::Ok, MsgIcon::Stop);
  }
  host_.EndDialog(kDialogCancel);
}

void CMainDlg::OnEnterKey() { host_.EndDialog(kDialogOk); }

void CMainDlg::OnEscapeKey() { host_.EndDialog(kDialogCancel); }

PortSettings CMainDlg::ReadPortSettings() {
  PortSettings s;
  s.deviceIndex = host_.ListSelected(id::kDeviceList);
  s.portName = host_.ListText(id::kPortList, host_.ListSelected(id::kPortList));
  s.baudCode = GetBaudCode();
  s.dataBitsIndex = host_.ListSelected(id::kBitLengthList);
  s.parityIndex = host_.ListSelected(id::kParityList);
  s.stopBitsIndex = host_.ListSelected(id::kStopBitList);
  s.handshakeIndex = host_.ListSelected(id::kHandshakeList);
  s.ipAddress = host_.GetText(id::kIpAddress);
  s.tcpPort = host_.GetText(id::kTcpPort);
  return s;
}

}  // namespace brindle
