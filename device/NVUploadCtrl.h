#pragma once
// CNVUploadCtrl: the device job object. Each job chooses the transport
// from the port name, opens it, checks the device where the job needs it,
// runs one command stream, closes the transport and returns a job result
// (JobOk ... JobStreamFailed, device/UploadCtrl.h). Jobs block the caller
// until they have finished; nothing stays open between jobs.
//
//   job                     device check           reply read
//   upload COM/LPT/USB      none
//   upload TCP/IP           GS I 1                 "Thermal" only
//   printout/erase COM      GS I 1                 always (strict)
//   printout/erase others   GS I 1                 code 0 (Thermal printout)
//
// Command codes of RunCommand / RunCommandTcp: 0 Thermal printout, 3 erase
// every NV image (either family), anything else Dot printout.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/Clock.h"
#include "core/MessageBox.h"
#include "device/PortKind.h"
#include "device/PortProvider.h"
#include "device/StatusQuery.h"
#include "device/UploadCtrl.h"
#include "image/LogoBitmap.h"
#include "port/DeviceDirectory.h"
#include "port/Port.h"

namespace brindle {

class CNVUploadCtrl final : public IUploadCtrl {
 public:
  // The real transports. The TCP/IP connect step tells the user through
  // `messages` why it failed; every wait goes through `clock`; device paths
  // resolve under `devices`, or under the environment's device directory at
  // each job when none is given.
  explicit CNVUploadCtrl(IMessageBox& messages, IClock& clock = SystemClock::Instance(),
                         std::optional<DeviceDirectory> devices = std::nullopt);
  // Transports from `ports` (tests, or another platform back-end).
  CNVUploadCtrl(IPortProvider& ports, IClock& clock);
  ~CNVUploadCtrl() override;
  CNVUploadCtrl(const CNVUploadCtrl&) = delete;
  CNVUploadCtrl& operator=(const CNVUploadCtrl&) = delete;

  // Logo upload over "USB", "COMn" or another name (a parallel port): the
  // "Thermal" set (device 0) or the first logo on a "Dot" printer (any
  // other device index). No device check.
  int RunUpload(int device, const std::string& portName, int baudCode, int dataBits, int parity,
                int stopBits, int handshake, const std::string& logoPathList,
                std::int16_t halftone, std::int16_t level) override;
  // Logo upload over TCP/IP, after the device check.
  int RunUploadTcp(int device, const std::string& ipAddress, const std::string& tcpPort,
                   const std::string& logoPathList, std::int16_t halftone,
                   std::int16_t level) override;
  // Printout or erase, after the device check. `start`, `sizeIndex` and
  // `end` as the printout sender takes them (device/Printout.h).
  int RunCommand(int command, const std::string& portName, int baudCode, int dataBits,
                 int parity, int stopBits, int handshake, int start, int sizeIndex,
                 int end) override;
  int RunCommandTcp(int command, const std::string& ipAddress, const std::string& tcpPort,
                    int start, int sizeIndex, int end) override;

  // A local port as the window's "Port Setting" names it.
  struct LocalPort {
    std::string portName;
    int baudCode = 7, dataBits = 0, parity = 0, stopBits = 0, handshake = 0;
  };
  // What a job sends once its transport is open (and checked): a job
  // result, JobOk when everything was sent.
  using Stream = std::function<int(IPort& port, PortKind kind)>;

  // A TCP/IP job with a stream of the caller's: connect, the device check
  // with `checkCode` when given, the stream, the end of the job (the
  // transport's Finish and Close). Returns the job result.
  int RunTcpJob(const std::string& ipAddress, const std::string& tcpPort,
                std::optional<int> checkCode, const Stream& stream);

  // The printer's real-time status and identity (device/StatusQuery.h),
  // without a device check: JobOk when it answered the first request,
  // JobCheckFailed when it did not, else the open failure.
  int RunStatus(const LocalPort& where, PrinterStatus& status);
  int RunStatusTcp(const std::string& ipAddress, const std::string& tcpPort,
                   PrinterStatus& status);

  int QueryBitmapSize(const std::string& path, int& bitsPerPixel, int& height,
                      int& width) override;
  std::string MakePreviewFile(const std::string& path, int halftoneMode,
                              std::int16_t level) override;

  // The platform query that elsewhere selects synchronous parallel writes
  // and a strict device check; false on this system.
  bool IsWin9xPlatform();

  // Why the last job failed, as its transport reported it: the errno and
  // the device path or "address:port" tried. Code 0 when the last job
  // succeeded, or failed without an error of the system (a device that
  // answered the check wrongly, a logo that could not be sent).
  const PortError& LastPortError() const { return lastError_; }

 private:
  int UploadStream(IPort& port, PortKind kind, int device, const std::string& logoPathList,
                   std::int16_t halftone, std::int16_t level);
  OpenedPort OpenLocal(PortKind kind, const LocalPort& where);
  int RunLocal(const LocalPort& where, std::optional<int> checkCode, const Stream& stream);
  int EndJob(OpenedPort& opened, int result);

  std::unique_ptr<IPortProvider> ownedPorts_;
  IPortProvider& ports_;
  IClock& clock_;
  // The USB "Thermal" upload reuses one picture object for the life of
  // the job object.
  std::unique_ptr<LogoBitmap> usbLogo_;
  PortError lastError_;
};

}  // namespace brindle
