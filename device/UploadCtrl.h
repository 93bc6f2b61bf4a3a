#pragma once
// The device job object as the main window sees it: the four jobs and the
// two image operations. CNVUploadCtrl implements it; window tests use a
// recording fake.
#include <cstdint>
#include <string>

namespace brindle {

// Job results.
inline constexpr int JobOk = 0;
inline constexpr int JobOpenFailed = -1;
inline constexpr int JobPortSetupFailed = -2;
inline constexpr int JobCheckFailed = -3;
inline constexpr int JobStreamFailed = -4;

// Command codes of RunCommand / RunCommandTcp besides the device index.
inline constexpr int kCommandThermalPrintout = 0;
inline constexpr int kCommandErase = 3;

class IUploadCtrl {
 public:
  virtual ~IUploadCtrl() = default;

  virtual int RunUpload(int device, const std::string& portName, int baudCode, int dataBits,
                        int parity, int stopBits, int handshake, const std::string& logoPathList,
                        std::int16_t halftone, std::int16_t level) = 0;
  virtual int RunUploadTcp(int device, const std::string& ipAddress, const std::string& tcpPort,
                           const std::string& logoPathList, std::int16_t halftone,
                           std::int16_t level) = 0;
  virtual int RunCommand(int command, const std::string& portName, int baudCode, int dataBits,
                         int parity, int stopBits, int handshake, int start, int sizeIndex,
                         int end) = 0;
  virtual int RunCommandTcp(int command, const std::string& ipAddress, const std::string& tcpPort,
                            int start, int sizeIndex, int end) = 0;

  // 0 with the picture's bits per pixel, height and width; -1 when the file
  // does not load as a bitmap (the outputs are then unchanged).
  virtual int QueryBitmapSize(const std::string& path, int& bitsPerPixel, int& height,
                              int& width) = 0;
  // Converts the file as a "Thermal" upload would and returns the path of
  // the picture to show: the file itself for a 1-bit logo, else the
  // temporary preview file; empty when that could not be written.
  virtual std::string MakePreviewFile(const std::string& path, int halftoneMode,
                                      std::int16_t level) = 0;
};

}  // namespace brindle
