#include "tools/cli/CliRun.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "device/JobMessages.h"
#include "device/LogoPathList.h"
#include "device/ThermalUpload.h"
#include "image/Bmp.h"
#include "image/FileBytes.h"
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

// Why a file is refused, for the terminal (the window keeps its fixed
// text): the file's own state when it does not load, else its size.
std::string WhyRefused(const std::string& path, const Measured& m) {
  if (path.find('|') != std::string::npos) return "a '|' in its name";
  if (m.loads) {
    const std::string size = std::to_string(m.width) + " \u00D7 " + std::to_string(m.height);
    if (m.bitsPerPixel == 1) {
      return "too large: " + size + ", at most " + std::to_string(kRasterBytes) +
             " bytes of dots";
    }
    return "too large: " + size + ", at most " + std::to_string(kMaxConvertWidth) +
           " \u00D7 " + std::to_string(kMaxConvertHeight);
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    return errno == ENOENT ? "no such file" : std::strerror(errno);
  }
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  const PictureFormat format = SniffPictureFile(path);
  if (format == PictureFormat::Unknown) return "not a BMP, PNG, JPEG or GIF file";
  return std::string("a damaged or unsupported ") + PictureFormatName(format) + " file";
}

void Refuse(std::ostream& err, const std::string& path, const Measured& m) {
  err << path << ": " << kRejected << " (" << WhyRefused(path, m) << ")\n";
}

// The path as given, unprintable bytes (a newline, say) escaped as \xNN so
// that every file keeps one line.
std::string Printable(const std::string& path) {
  std::string out;
  for (const char c : path) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

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
  if (const int rejected = CheckUploadFiles(o, ctrl, env.err)) return rejected;
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

// --output is replaced as a whole, so a symbolic link of that name is
// replaced and its target left alone. Only a device or pipe that the path
// names (such as /dev/stdout) is written into.
bool WriteOutput(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    return WriteWholeFile(path, bytes.data(), bytes.size());
  }
  return ReplaceWholeFile(path, bytes.data(), bytes.size());
}

int Convert(const Options& o, IUploadCtrl& ctrl, Environment& env) {
  const std::string& path = o.files[0];
  if (const Measured m = Measure(ctrl, path); !m.Accepted()) {
    Refuse(env.err, path, m);
    return kExitRejected;
  }
  std::error_code ec;
  if (std::filesystem::equivalent(path, o.output, ec)) {
    env.err << o.output << ": --output names the input file\n";
    return kExitUsage;
  }
  const std::string shown =
      ctrl.MakePreviewFile(path, o.halftone, static_cast<std::int16_t>(o.level));
  std::vector<std::uint8_t> bytes;
  if (shown.empty() || !ReadWholeFile(shown, kMaxBmpFileBytes, bytes)) {
    env.err << path << ": cannot make the converted picture\n";
    return kExitCannotCreate;
  }
  if (!WriteOutput(o.output, bytes)) {
    env.err << o.output << ": cannot write the picture (" << std::strerror(errno) << ")\n";
    return kExitCannotCreate;
  }
  return 0;
}

int Info(const Options& o, IUploadCtrl& ctrl, Environment& env) {
  int status = 0;
  for (const std::string& path : o.files) {
    const Measured m = Measure(ctrl, path);
    const std::string name = Printable(path);
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

int CheckUploadFiles(const Options& o, IUploadCtrl& ctrl, std::ostream& err) {
  if (o.files.size() > kMaxThermalImages) {
    err << "brindle-cli: " << o.files.size() << " files given; a printer takes at most "
        << kMaxThermalImages << " logos\n";
    return kExitRejected;
  }
  for (const std::string& path : o.files) {
    const Measured m = Measure(ctrl, path);
    // A "|" would split the path in two when the job reads the list.
    if (!m.Accepted() || path.find('|') != std::string::npos) {
      Refuse(err, path, m);
      return kExitRejected;
    }
  }
  if (o.device != 0 && o.files.size() > 1) {
    err << "A Dot printer stores one logo: only " << o.files[0] << " is stored.\n";
  }
  return 0;
}

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
    case Command::Status:
    case Command::Ports: break;  // need the real job object: brindle-cli's main runs them
  }
  return kExitUsage;
}

}  // namespace brindle::cli
