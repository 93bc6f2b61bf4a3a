#include "device/NVUploadCtrl.h"

#include "device/DotUpload.h"
#include "device/Printout.h"
#include "device/ThermalUpload.h"
#include "image/LogoConversion.h"
#include "port/CheckDevice.h"

namespace brindle {
namespace {

constexpr bool IsThermal(int device) { return device == 0; }

int JobResultOf(int streamResult) { return streamResult != 0 ? JobOk : JobStreamFailed; }

// The printout or erase stream that a command code selects.
int SendCommand(IPort& port, int command, int start, int sizeIndex, int end) {
  if (command == kCommandThermalPrintout) return SendThermalPrintout(port, start, sizeIndex, end);
  if (command == kCommandErase) return SendThermalPrintout(port, kEraseValue, kEraseValue, end);
  return SendDotPrintout(port);
}

}  // namespace

CNVUploadCtrl::CNVUploadCtrl(IMessageBox& messages, IClock& clock,
                             std::optional<DeviceDirectory> devices)
    : ownedPorts_(std::make_unique<SystemPortProvider>(messages, clock, std::move(devices))),
      ports_(*ownedPorts_),
      clock_(clock) {}

CNVUploadCtrl::CNVUploadCtrl(IPortProvider& ports, IClock& clock)
    : ports_(ports), clock_(clock) {}

CNVUploadCtrl::~CNVUploadCtrl() = default;

// Elsewhere, true would select plain synchronous writes on parallel ports
// and a device check that refuses a printer without a ready answer.
bool CNVUploadCtrl::IsWin9xPlatform() { return false; }

// Every job ends here once a transport exists: a job that sent everything
// still fails when the transport learns that the device dropped part of
// it; a failing job keeps the transport's account of why; then the
// transport is closed.
int CNVUploadCtrl::EndJob(OpenedPort& opened, int result) {
  if (opened.port) {
    if (result == JobOk && opened.port->Finish() == 0) result = JobStreamFailed;
    if (result != JobOk) lastError_ = opened.port->LastError();
    opened.port->Close();
  }
  return result;
}

int CNVUploadCtrl::UploadStream(IPort& port, PortKind kind, int device,
                                const std::string& logoPathList, std::int16_t halftone,
                                std::int16_t level) {
  if (!IsThermal(device)) return SendDotLogo(port, kind, logoPathList, halftone, level, clock_);
  if (kind == PortKind::Usb) {
    if (!usbLogo_) usbLogo_ = std::make_unique<LogoBitmap>();
    return SendThermalLogos(port, kind, logoPathList, halftone, level, *usbLogo_, clock_);
  }
  auto logo = std::make_unique<LogoBitmap>();
  return SendThermalLogos(port, kind, logoPathList, halftone, level, *logo, clock_);
}

int CNVUploadCtrl::RunUpload(int device, const std::string& portName, int baudCode,
                             int dataBits, int parity, int stopBits, int handshake,
                             const std::string& logoPathList, std::int16_t halftone,
                             std::int16_t level) {
  lastError_ = {};
  const PortKind kind = PortKindOf(portName);
  if (kind == PortKind::Usb) return UploadUsb(device, logoPathList, halftone, level);

  OpenedPort opened;
  if (kind == PortKind::Com) {
    opened = ports_.OpenSerial(portName, baudCode, dataBits, parity, stopBits, handshake);
    if (opened.result == -2) return EndJob(opened, JobPortSetupFailed);
  } else {
    opened = ports_.OpenParallel(portName);
  }
  if (opened.result != 0 || !opened.port) return EndJob(opened, JobOpenFailed);
  const int sent = UploadStream(*opened.port, kind, device, logoPathList, halftone, level);
  return EndJob(opened, JobResultOf(sent));
}

int CNVUploadCtrl::UploadUsb(int device, const std::string& logoPathList, std::int16_t halftone,
                             std::int16_t level) {
  OpenedPort opened = ports_.OpenUsbPrinter();
  if (opened.result != 0 || !opened.port) return EndJob(opened, JobOpenFailed);
  const int sent = UploadStream(*opened.port, PortKind::Usb, device, logoPathList, halftone, level);
  return EndJob(opened, JobResultOf(sent));
}

int CNVUploadCtrl::RunUploadTcp(int device, const std::string& ipAddress,
                                const std::string& tcpPort, const std::string& logoPathList,
                                std::int16_t halftone, std::int16_t level) {
  lastError_ = {};
  OpenedPort opened = ports_.ConnectTcp(ipAddress, tcpPort);
  if (opened.result != 0 || !opened.port) return EndJob(opened, JobOpenFailed);
  // The device index is the check's code: only a "Thermal" upload reads
  // the printer's reply.
  if (CheckDevice(*opened.port, device) == 0) return EndJob(opened, JobCheckFailed);
  const int sent =
      UploadStream(*opened.port, PortKind::Tcp, device, logoPathList, halftone, level);
  return EndJob(opened, JobResultOf(sent));
}

int CNVUploadCtrl::RunCommand(int command, const std::string& portName, int baudCode,
                              int dataBits, int parity, int stopBits, int handshake, int start,
                              int sizeIndex, int end) {
  lastError_ = {};
  const PortKind kind = PortKindOf(portName);
  if (kind == PortKind::Usb) return CommandUsb(command, start, sizeIndex, end);

  OpenedPort opened;
  int checked = 0;
  if (kind == PortKind::Com) {
    opened = ports_.OpenSerial(portName, baudCode, dataBits, parity, stopBits, handshake);
    if (opened.result == -2) return EndJob(opened, JobPortSetupFailed);
    if (opened.result != 0 || !opened.port) return EndJob(opened, JobOpenFailed);
    checked = CheckDevice(*opened.port);
  } else {
    opened = ports_.OpenParallel(portName);
    if (opened.result != 0 || !opened.port) return EndJob(opened, JobOpenFailed);
    checked = CheckDevice(*opened.port, command);
  }
  if (checked == 0) return EndJob(opened, JobCheckFailed);
  const int sent = SendCommand(*opened.port, command, start, sizeIndex, end);
  return EndJob(opened, JobResultOf(sent));
}

int CNVUploadCtrl::CommandUsb(int command, int start, int sizeIndex, int end) {
  OpenedPort opened = ports_.OpenUsbPrinter();
  if (opened.result != 0 || !opened.port) return EndJob(opened, JobOpenFailed);
  if (CheckDevice(*opened.port, command) == 0) return EndJob(opened, JobCheckFailed);
  const int sent = SendCommand(*opened.port, command, start, sizeIndex, end);
  return EndJob(opened, JobResultOf(sent));
}

int CNVUploadCtrl::RunCommandTcp(int command, const std::string& ipAddress,
                                 const std::string& tcpPort, int start, int sizeIndex,
                                 int end) {
  lastError_ = {};
  OpenedPort opened = ports_.ConnectTcp(ipAddress, tcpPort);
  if (opened.result != 0 || !opened.port) return EndJob(opened, JobOpenFailed);
  if (CheckDevice(*opened.port, command) == 0) return EndJob(opened, JobCheckFailed);
  const int sent = SendCommand(*opened.port, command, start, sizeIndex, end);
  return EndJob(opened, JobResultOf(sent));
}

int CNVUploadCtrl::QueryBitmapSize(const std::string& path, int& bitsPerPixel, int& height,
                                   int& width) {
  std::int32_t bits = 0;
  std::int32_t h = 0;
  std::int32_t w = 0;
  if (brindle::QueryBitmapSize(path, bits, h, w) != 0) return -1;
  bitsPerPixel = bits;
  height = h;
  width = w;
  return 0;
}

std::string CNVUploadCtrl::MakePreviewFile(const std::string& path, int halftoneMode,
                                           std::int16_t level) {
  return brindle::MakePreviewFile(path, halftoneMode, static_cast<std::uint16_t>(level));
}

}  // namespace brindle
