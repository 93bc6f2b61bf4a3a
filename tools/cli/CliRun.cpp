#include "tools/cli/CliRun.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "device/JobMessages.h"
#include "device/LogoPathList.h"
#include "image/LogoLimits.h"
#include "image/LogoPicture.h"

namespace brindle::cli {
namespace {

constexpr char kRejected[] = "Out of range bitmap file.";

struct Measured {
  bool loads = false;
  int bitsPerPixel = 0, height = 0, width = 0;
  bool Accepted() const { return loads && LogoFitsDevice(bitsPerPixel, width, height); }
};

Measured Measure(IUploadCtrl& ctrl, const std::string& path) {
  Measured m;
  m.loads = ctrl.QueryBitmapSize(path, m.bitsPerPixel, m.height, m.width) == 0;
  return m;
}

bool IsTcp(const Options& o) { return o.port == "TCP/IP"; }

// Reports a failed job on standard error; returns its exit status.
int ReportFailure(int result, Environment& env) {
  env.err << kCommunicationErrorText << "\n";
  if (result == JobOpenFailed && env.openFailureReason) {
    const std::string reason = env.openFailureReason();
    if (!reason.empty()) env.err << reason << "\n";
  }
  return ExitStatusForJob(result);
}

int Upload(const Options& o, IUploadCtrl& ctrl, Environment& env) {
  for (const std::string& path : o.files) {
    const Measured m = Measure(ctrl, path);
    // A "|" would split the path in two when the job reads the list.
    if (!m.Accepted() || path.find('|') != std::string::npos) {
      env.err << path << ": " << kRejected << "\n";
      return kExitRejected;
    }
  }
  if (o.device != 0 && o.files.size() > 1) {
    env.err << "A Dot printer stores one logo: only " << o.files[0] << " is stored.\n";
  }
  const std::string list = JoinLogoPaths(o.files);
  const auto mode = static_cast<std::int16_t>(o.halftone);
  const auto level = static_cast<std::int16_t>(o.level);
  const int result = IsTcp(o) ? ctrl.RunUploadTcp(o.device, o.ip, o.tcpPort, list, mode, level)
                              : ctrl.RunUpload(o.device, o.port, o.baudCode, 0, o.parity, 0, 0,
                                               list, mode, level);
  env.jobEnded();
  if (result != JobOk) return ReportFailure(result, env);
  env.out << OneLine(kUploadFinishedText) << "\n";
  return 0;
}

int RunJobCommand(const Options& o, int code, int start, int end, IUploadCtrl& ctrl) {
  return IsTcp(o) ? ctrl.RunCommandTcp(code, o.ip, o.tcpPort, start, o.size, end)
                  : ctrl.RunCommand(code, o.port, o.baudCode, 0, o.parity, 0, 0, start, o.size,
                                    end);
}

int Erase(const Options& o, IUploadCtrl& ctrl, Environment& env) {
  const int result = RunJobCommand(o, kCommandErase, 0, 0, ctrl);
  env.jobEnded();
  if (result != JobOk) return ReportFailure(result, env);
  env.out << OneLine(kEraseFinishedText) << "\n";
  return 0;
}

int Printout(const Options& o, IUploadCtrl& ctrl, Environment& env) {
  const int result = RunJobCommand(o, o.device, o.selectStart, o.selectEnd, ctrl);
  env.jobEnded();
  return result == JobOk ? 0 : ReportFailure(result, env);
}

int Convert(const Options& o, IUploadCtrl& ctrl, Environment& env) {
  const std::string& path = o.files[0];
  if (!Measure(ctrl, path).Accepted()) {
    env.err << path << ": " << kRejected << "\n";
    return kExitRejected;
  }
  const std::string shown =
      ctrl.MakePreviewFile(path, o.halftone, static_cast<std::int16_t>(o.level));
  std::ifstream in(shown, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.good() && !in.eof()) {
    env.err << shown << ": cannot read the converted picture\n";
    return kExitRejected;
  }
  std::error_code ec;
  if (std::filesystem::exists(o.output, ec) &&
      std::filesystem::equivalent(shown, o.output, ec)) {
    return 0;  // already there
  }
  std::ofstream outFile(o.output, std::ios::binary | std::ios::trunc);
  outFile << bytes;
  outFile.close();
  if (!outFile) {
    env.err << o.output << ": cannot write the picture\n";
    return kExitRejected;
  }
  return 0;
}

int Info(const Options& o, IUploadCtrl& ctrl, Environment& env) {
  int status = 0;
  for (const std::string& path : o.files) {
    const Measured m = Measure(ctrl, path);
    const std::string name = std::filesystem::path(path).filename().string();
    const char* kind = PictureFormatName(SniffPictureFile(path));
    if (!m.loads) {
      env.out << name << " - - - - rejected " << kind << "\n";
      status = kExitRejected;
      continue;
    }
    env.out << name << " " << m.width << " " << m.height << " " << m.bitsPerPixel << " "
            << LogoDeviceSize(m.width, m.height) << " "
            << (m.Accepted() ? "accepted" : "rejected") << " " << kind << "\n";
    if (!m.Accepted()) status = kExitRejected;
  }
  return status;
}

}  // namespace

int RunCli(const Options& options, IUploadCtrl& ctrl, Environment& env) {
  if (options.help) {
    env.out << UsageText(options.helpAll ? std::nullopt : std::optional(options.command));
    return 0;
  }
  switch (options.command) {
    case Command::Upload: return Upload(options, ctrl, env);
    case Command::Erase: return Erase(options, ctrl, env);
    case Command::Printout: return Printout(options, ctrl, env);
    case Command::Convert: return Convert(options, ctrl, env);
    case Command::Info: return Info(options, ctrl, env);
  }
  return kExitUsage;
}

}  // namespace brindle::cli
