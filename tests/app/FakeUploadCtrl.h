#pragma once
// A job object that logs its calls. Tests of the window and of brindle-cli
// hand it to the code that runs jobs.
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "device/UploadCtrl.h"

namespace brindle::test {

using Strings = std::vector<std::string>;
using std::string;
using I16 = std::int16_t;

// Log appends "name a,b,c" to `calls` and returns `result`.
struct Logger {
  template <class... A>
  int Log(const char* name, const A&... args) {
    std::ostringstream s;
    [[maybe_unused]] const char* separator = " ";
    ((s << separator << args, separator = ","), ...);
    calls.push_back(name + s.str());
    return result;
  }
  Strings calls;
  int result = JobOk;
};

// A bitmap loads when `bitmaps` holds its {depth, height, width}.
struct FakeUploadCtrl : IUploadCtrl, Logger {
  int RunUpload(int d, const string& p, int b, int l, int y, int s, int h, const string& list,
                I16 mode, I16 level) override {
    return Log("RunUpload", d, p, b, l, y, s, h, list, mode, level);
  }
  int RunUploadTcp(int d, const string& ip, const string& p, const string& list, I16 mode,
                   I16 level) override {
    return Log("RunUploadTcp", d, ip, p, list, mode, level);
  }
  int RunCommand(int c, const string& p, int b, int l, int y, int s, int h, int i, int z,
                 int e) override {
    return Log("RunCommand", c, p, b, l, y, s, h, i, z, e);
  }
  int RunCommandTcp(int c, const string& ip, const string& p, int i, int z, int e) override {
    return Log("RunCommandTcp", c, ip, p, i, z, e);
  }
  int QueryBitmapSize(const string& path, int& depth, int& height, int& width) override {
    if (!bitmaps.contains(path)) return -1;
    std::tie(depth, height, width) = bitmaps[path];
    return 0;
  }
  // A 1-bit picture is shown as it is; others are converted into one file.
  string MakePreviewFile(const string& path, int mode, I16 level) override {
    Log("MakePreviewFile", path, mode, level);
    return bitmaps.contains(path) && std::get<0>(bitmaps[path]) == 1 ? path : "/cwd/Temp.bmp";
  }
  std::map<string, std::tuple<int, int, int>> bitmaps;
};

}  // namespace brindle::test
