#pragma once
// A job object that logs every call as "Name arg,arg,...". A bitmap loads
// when its path is in `bitmaps`; jobs return `result`.
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "device/UploadCtrl.h"

namespace brindle::test {

struct BitmapInfo {
  int bitsPerPixel, height, width;
};

class FakeUploadCtrl final : public IUploadCtrl {
 public:
  int RunUpload(int device, const std::string& port, int baud, int bits, int parity, int stop,
                int handshake, const std::string& list, std::int16_t mode,
                std::int16_t level) override {
    return Log("RunUpload", device, port, baud, bits, parity, stop, handshake, list, mode, level);
  }
  int RunUploadTcp(int device, const std::string& ip, const std::string& port,
                   const std::string& list, std::int16_t mode, std::int16_t level) override {
    return Log("RunUploadTcp", device, ip, port, list, mode, level);
  }
  int RunCommand(int command, const std::string& port, int baud, int bits, int parity, int stop,
                 int handshake, int start, int size, int end) override {
    return Log("RunCommand", command, port, baud, bits, parity, stop, handshake, start, size, end);
  }
  int RunCommandTcp(int command, const std::string& ip, const std::string& port, int start,
                    int size, int end) override {
    return Log("RunCommandTcp", command, ip, port, start, size, end);
  }
  int QueryBitmapSize(const std::string& path, int& bpp, int& height, int& width) override {
    if (!bitmaps.contains(path)) return -1;
    const BitmapInfo& b = bitmaps[path];
    bpp = b.bitsPerPixel;
    height = b.height;
    width = b.width;
    return 0;
  }
  // Every conversion lands in the same temporary file.
  std::string MakePreviewFile(const std::string& path, int mode, std::int16_t level) override {
    Log("MakePreviewFile", path, mode, level);
    return "/cwd/Temp.bmp";
  }

  template <class... Args>
  int Log(const char* name, const Args&... args) {
    std::ostringstream s;
    const char* separator = " ";
    ((s << separator << args, separator = ","), ...);
    calls.push_back(name + s.str());
    return result;
  }

  std::map<std::string, BitmapInfo> bitmaps;
  std::vector<std::string> calls;
  int result = JobOk;
};

}  // namespace brindle::test
