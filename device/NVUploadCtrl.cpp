#include "device/NVUploadCtrl.h"

#include "device/DotUpload.h"
#include "device/Printout.h"
#include "device/StatusQuery.h"
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

// A status query ends as a job: answered, or a failed check.
int StatusResult(IPort& port, IClock& clock, PrinterStatus& status) {
  if (QueryPrinterStatus(port, clock, status) == 0) return JobStreamFailed;
  return status.Answered() ? JobOk : JobCheckFailed;
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

// The USB printer, a serial line with the window's settings, or any other
// name as a parallel port.
OpenedPort CNVUploadCtrl::OpenLocal(PortKind kind, const LocalPort& where) {
  if (kind == PortKind::Usb) return ports_.OpenUsbPrinter();
  if (kind == PortKind::Com) {
    return ports_.OpenSerial(where.portName, where.baudCode, where.dataBits, where.parity,
                             where.stopBits, where.handshake);
  }
  return ports_.OpenParallel(where.portName);
}

// A local job: open, the device check when the job has one (the serial
// form over COM, which judges the reply; the printer form elsewhere), the
// stream, the end.
int CNVUploadCtrl::RunLocal(const LocalPort& where, std::optional<int> checkCode,
                            const Stream& stream) {
  lastError_ = {};
  const PortKind kind = PortKindOf(where.portName);
  OpenedPort opened = OpenLocal(kind, where);
  if (kind == PortKind::Com && opened.result == -2) return EndJob(opened, JobPortSetupFailed);
  if (opened.result != 0 || !opened.port) return EndJob(opened, JobOpenFailed);
  if (checkCode) {
    const int checked = kind == PortKind::Com ? CheckDevice(*opened.port)
                                              : CheckDevice(*opened.port, *checkCode);
    if (checked == 0) return EndJob(opened, JobCheckFailed);
  }
  return EndJob(opened, stream(*opened.port, kind));
}

int CNVUploadCtrl::RunTcpJob(const std::string& ipAddress, const std::string& tcpPort,
                             std::optional<int> checkCode, const Stream& stream) {
  lastError_ = {};
  OpenedPort opened = ports_.ConnectTcp(ipAddress, tcpPort);
  if (opened.result != 0 || !opened.port) return EndJob(opened, JobOpenFailed);
  if (checkCode && CheckDevice(*opened.port, *checkCode) == 0) {
    return EndJob(opened, JobCheckFailed);
  }
  return EndJob(opened, stream(*opened.port, PortKind::Tcp));
}

int CNVUploadCtrl::RunUpload(int device, const std::string& portName, int baudCode,
                             int dataBits, int parity, int stopBits, int handshake,
                             const std::string& logoPathList, std::int16_t halftone,
                             std::int16_t level) {
  return RunLocal({portName, baudCode, dataBits, parity, stopBits, handshake}, std::nullopt,
                  [&](IPort& port, PortKind kind) {
                    return JobResultOf(
                        UploadStream(port, kind, device, logoPathList, halftone, level));
                  });
}

// Over TCP/IP the device index is the check's code: only a "Thermal"
// upload reads the printer's reply.
int CNVUploadCtrl::RunUploadTcp(int device, const std::string& ipAddress,
                                const std::string& tcpPort, const std::string& logoPathList,
                                std::int16_t halftone, std::int16_t level) {
  return RunTcpJob(ipAddress, tcpPort, device, [&](IPort& port, PortKind kind) {
    return JobResultOf(UploadStream(port, kind, device, logoPathList, halftone, level));
  });
}

int CNVUploadCtrl::RunCommand(int command, const std::string& portName, int baudCode,
                              int dataBits, int parity, int stopBits, int handshake, int start,
                              int sizeIndex, int end) {
  return RunLocal({portName, baudCode, dataBits, parity, stopBits, handshake}, command,
                  [&](IPort& port, PortKind) {
                    return JobResultOf(SendCommand(port, command, start, sizeIndex, end));
                  });
}

int CNVUploadCtrl::RunCommandTcp(int command, const std::string& ipAddress,
                                 const std::string& tcpPort, int start, int sizeIndex,
                                 int end) {
  return RunTcpJob(ipAddress, tcpPort, command, [&](IPort& port, PortKind) {
    return JobResultOf(SendCommand(port, command, start, sizeIndex, end));
  });
}

int CNVUploadCtrl::RunStatus(const LocalPort& where, PrinterStatus& status) {
  status = PrinterStatus{};
  return RunLocal(where, std::nullopt, [&](IPort& port, PortKind) {
    return StatusResult(port, clock_, status);
  });
}

int CNVUploadCtrl::RunStatusTcp(const std::string& ipAddress, const std::string& tcpPort,
                                PrinterStatus& status) {
  status = PrinterStatus{};
  return RunTcpJob(ipAddress, tcpPort, std::nullopt, [&](IPort& port, PortKind) {
    return StatusResult(port, clock_, status);
  });
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
