#pragma once
// A job object that records every call. Bitmaps "load" when their path is
// in `bitmaps`; jobs return `result`.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "device/UploadCtrl.h"

namespace brindle::test {

struct BitmapInfo {
  int bitsPerPixel;
  int height;
  int width;
};

class FakeUploadCtrl final : public IUploadCtrl {
 public:
  int RunUpload(int device, const std::string& port, int baud, int dataBits, int parity,
                int stopBits, int handshake, const std::string& list, std::int16_t halftone,
                std::int16_t level) override {
    calls.push_back("RunUpload " + Join({std::to_string(device), port, std::to_string(baud),
                                         std::to_string(dataBits), std::to_string(parity),
                                         std::to_string(stopBits), std::to_string(handshake), list,
                                         std::to_string(halftone), std::to_string(level)}));
    return result;
  }
  int RunUploadTcp(int device, const std::string& ip, const std::string& port,
                   const std::string& list, std::int16_t halftone, std::int16_t level) override {
    calls.push_back("RunUploadTcp " + Join({std::to_string(device), ip, port, list,
                                            std::to_string(halftone), std::to_string(level)}));
    return result;
  }
  int RunCommand(int command, const std::string& port, int baud, int dataBits, int parity,
                 int stopBits, int handshake, int start, int sizeIndex, int end) override {
    calls.push_back("RunCommand " +
                    Join({std::to_string(command), port, std::to_string(baud),
                          std::to_string(dataBits), std::to_string(parity),
                          std::to_string(stopBits), std::to_string(handshake),
                          std::to_string(start), std::to_string(sizeIndex), std::to_string(end)}));
    return result;
  }
  int RunCommandTcp(int command, const std::string& ip, const std::string& port, int start,
                    int sizeIndex, int end) override {
    calls.push_back("RunCommandTcp " + Join({std::to_string(command), ip, port,
                                             std::to_string(start), std::to_string(sizeIndex),
                                             std::to_string(end)}));
    return result;
  }
  int QueryBitmapSize(const std::string& path, int& bpp, int& height, int& width) override {
    auto it = bitmaps.find(path);
    if (it == bitmaps.end()) return -1;
    bpp = it->second.bitsPerPixel;
    height = it->second.height;
    width = it->second.width;
    return 0;
  }
  std::string MakePreviewFile(const std::string& path, int mode, std::int16_t level) override {
    calls.push_back("MakePreviewFile " + Join({path, std::to_string(mode), std::to_string(level)}));
    auto it = bitmaps.find(path);
    return it != bitmaps.end() && it->second.bitsPerPixel == 1 ? path : "/cwd/Temp.bmp";
  }

  static std::string Join(const std::vector<std::string>& parts) {
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i) s += (i ? "," : "") + parts[i];
    return s;
  }

  std::map<std::string, BitmapInfo> bitmaps;
  std::vector<std::string> calls;
  int result = JobOk;
};

}  // namespace brindle::test
