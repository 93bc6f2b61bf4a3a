// Upload, Erase and Printout: each runs one job to its end, then the
// progress animation, then (Upload and Erase) the result message.
#include "app/MainDlg.h"
#include "app/SelectionRange.h"
#include "device/JobMessages.h"
#include "res/ControlIds.h"

namespace brindle {

void CMainDlg::OnUpload() {
  if (host_.Show("Logo file is written in the NV image area of the device. Continue it?",
                 "Upload", MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes) {
    return;
  }
  const PortSettings p = ReadPortSettings();
  const std::string list = LogoPathList();
  const auto mode = static_cast<std::int16_t>(halftoneMode_);
  const int result =
      p.IsTcp()
          ? uploadCtrl_.RunUploadTcp(p.deviceIndex, p.ipAddress, p.tcpPort, list, mode, level_)
                : uploadCtrl_.RunUpload(p.deviceIndex, p.portName, p.baudCode, p.dataBitsIndex,
                                        p.parityIndex, p.stopBitsIndex, p.handshakeIndex, list,
                                        mode, level_);
  RunProgress("Uploading...", 750);
  if (result == JobOk) {
    host_.Show(kUploadFinishedText, "Upload", MsgButtons::Ok, MsgIcon::Information);
  } else {
    host_.Show(kCommunicationErrorText, "Upload", MsgButtons::Ok, MsgIcon::Stop);
  }
}

void CMainDlg::OnErase() {
  if (host_.Show("NV image all Delete. Continue it?", "Erase", MsgButtons::YesNo,
                 MsgIcon::Question) != MsgAnswer::Yes) {
    return;
  }
  const PortSettings p = ReadPortSettings();
  const int start = EraseStart(rangeMode_, host_.GetText(id::kSelectionNumber));
  const int result =
      p.IsTcp() ? uploadCtrl_.RunCommandTcp(kCommandErase, p.ipAddress, p.tcpPort, start,
                                            printSizeIndex_, 0)
                : uploadCtrl_.RunCommand(kCommandErase, p.portName, p.baudCode, p.dataBitsIndex,
                                         p.parityIndex, p.stopBitsIndex, p.handshakeIndex, start,
                                         printSizeIndex_, 0);
  RunProgress("Erasing...", 750);
  if (result == JobOk) {
    host_.Show(kEraseFinishedText, "Erase", MsgButtons::Ok, MsgIcon::Information);
  } else {
    host_.Show(kCommunicationErrorText, "Error", MsgButtons::Ok, MsgIcon::Stop);
  }
}

void CMainDlg::OnPrintout() {
  const PortSettings p = ReadPortSettings();
  const PrintRange range = PrintoutRange(rangeMode_, host_.GetText(id::kSelectionNumber));
  // The device index is the command code; the result is not reported.
  if (p.IsTcp()) {
    uploadCtrl_.RunCommandTcp(p.deviceIndex, p.ipAddress, p.tcpPort, range.start,
                              printSizeIndex_, range.end);
  } else {
    uploadCtrl_.RunCommand(p.deviceIndex, p.portName, p.baudCode, p.dataBitsIndex, p.parityIndex,
                           p.stopBitsIndex, p.handshakeIndex, range.start, printSizeIndex_,
                           range.end);
  }
  RunProgress("PrintOut", 100);
}

void CMainDlg::RunProgress(const std::string& caption, int waitPerStep) {
  host_.ProgressOpen(caption);
  host_.ProgressSetRange(0, 100);
  for (int position = 1; position < 100; position += 24) {
    host_.ProgressSetPos(position);
    host_.Wait(waitPerStep);
  }
  host_.ProgressClose();
}

}  // namespace brindle
