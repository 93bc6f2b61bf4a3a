#pragma once
// Parallel and USB printer transport: a printer on "LPT1", "LPT2" (the lp
// devices) or the first usable USB printer (usb/lp0 ... usb/lp15), all
// under the device directory.
//
// Timed and chunked writes pace the data in 64-byte pieces for printers
// that cannot take a large write at once. No write waits longer than its
// documented bound: kPrinterWriteLimitMs for a whole WritePort,
// kPendingPieceLimitMs for one 64-byte piece.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Clock.h"
#include "port/DeviceDirectory.h"
#include "port/Port.h"
#include "port/UniqueFd.h"

namespace brindle {

inline constexpr std::size_t kPieceBytes = 64;       // piece of a timed or chunked write
inline constexpr int kPiecePauseMs = 20;             // pause after a piece
inline constexpr int kPendingPollMs = 10;            // poll interval of a pending piece
inline constexpr int kPendingPieceLimitMs = 5000;    // a piece pending longer is cancelled
inline constexpr int kTimedRunBudgetMs = 5000;       // one run of a timed write
inline constexpr int kPrinterWriteLimitMs = 100000;  // a whole WritePort
inline constexpr int kUsbPrinterCount = 16;          // usb/lp0 ... usb/lp15
inline constexpr int kPrinterReadIntervalMs = 10;
inline constexpr int kPrinterReadTotalMs = 100;
inline constexpr int kPrinterDrainStallLimitMs = 10000;  // Finish without progress

class PrinterPort final : public IPort {
 public:
  explicit PrinterPort(IClock& clock = SystemClock::Instance(),
                       DeviceDirectory devices = DeviceDirectory::FromEnvironment());
  ~PrinterPort() override;
  PrinterPort(const PrinterPort&) = delete;
  PrinterPort& operator=(const PrinterPort&) = delete;

  // Opens the parallel port `portName` ("LPTn" → <dir>/lp<n-1>)
  // exclusively and purges it. Returns 0 open, -1 not opened (LastError
  // says why).
  int OpenParallelPort(const std::string& portName);

  // Looks for a USB printer: <dir>/usb/lp0 ... lp15 in number order; the
  // first that opens exclusively wins and is closed again at once. With
  // BRINDLE_DEBUG set, writes the lines "_SetupDiGetClassDevs start" and
  // "_SetupDiGetClassDevs end" to standard error. Returns 1 with the device
  // path in `path`, or 0 when none is present or every one is busy (the
  // error then names the device that was busy or refused, if any).
  int FindUsbPrinter(std::string& path);

  // Closes the device held (if any), then finds and opens the first usable
  // USB printer. Returns 0 open, -1 none usable.
  int OpenUsbPrinter();

  // One write of `length` bytes, bounded by kPrinterWriteLimitMs. Returns
  // 1 when all bytes were written, 0 otherwise.
  int WritePort(const std::uint8_t* data, std::size_t length);

  // The bytes go out in runs of pieces of at most 64 bytes with a 20 ms
  // pause after every piece but the last.
  // A piece the device does not take at once is polled every 10 ms and
  // cancelled after 5000 ms (what it had written stays written). A run
  // ends after 5000 ms; a new run continues with the bytes left unless a
  // piece of the run failed, which makes the write return 0 at the run's
  // end (the run keeps issuing the following pieces until then).
  int WritePortTimed(const std::uint8_t* data, std::size_t length);

  // Pieces of at most 64 bytes with a 20 ms pause after each piece, the
  // last one too. A piece waits as in WritePortTimed; the first piece that
  // fails ends the write with 0 and nothing after it is sent. Returns 1
  // when every piece was written.
  int WritePortChunked(const std::uint8_t* data, std::size_t length);

  // Asks how many bytes are waiting and returns 0 without reading when none
  // are or the device cannot tell (as printer drivers cannot); otherwise
  // reads at most `size` bytes, ending 10 ms after the last byte or 100 ms
  // after the call. Returns the count read, 0 when nothing.
  int ReadPort(std::uint8_t* buffer, std::size_t size);

  // IPort: Write is WritePort, WriteTimed is WritePortTimed, WriteChunked
  // is WritePortChunked, Read is ReadPort.
  int Write(const std::uint8_t* data, std::size_t length) override;
  int WriteTimed(const std::uint8_t* data, std::size_t length) override;
  int WriteChunked(const std::uint8_t* data, std::size_t length) override;
  int Read(std::uint8_t* buffer, std::size_t size) override;
  // Waits, where the device reports its output queue, until it is empty:
  // 0 when it stopped shrinking for kPrinterDrainStallLimitMs. The lp and
  // usblp drivers report nothing; their writes return once taken.
  int Finish() override;
  void Close() override;
  bool IsOpen() const override { return fd_.Valid(); }
  PortError LastError() const override { return error_; }

 private:
  struct Piece {
    std::size_t written;
    bool ok;
  };
  Piece WritePiece(const std::uint8_t* data, std::size_t length);
  int Fail(int err, int result);

  IClock& clock_;
  DeviceDirectory devices_;
  UniqueFd fd_;
  PortError error_;
};

}  // namespace brindle
