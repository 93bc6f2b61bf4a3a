// brindle-cli: runs the main window's jobs from a terminal or a script.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>

#include "core/MessageBox.h"
#include "device/NVUploadCtrl.h"
#include "image/LogoLimits.h"
#include "image/TempFiles.h"
#include "settings/Places.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliRun.h"
#include "tools/cli/FleetCommand.h"
#include "tools/cli/OpenFailure.h"
#include "tools/cli/PortsReport.h"
#include "tools/cli/PrivateTempDir.h"
#include "tools/cli/ProgressPorts.h"
#include "tools/cli/StatusReport.h"

namespace {

// Bytes an upload of these files sends, for the progress bar: each logo's
// raster plus its 4-byte header.
std::size_t ExpectedUploadBytes(brindle::IUploadCtrl& ctrl, const brindle::cli::Options& o) {
  std::size_t total = 0;
  for (const std::string& path : o.files) {
    int bpp = 0, height = 0, width = 0;
    if (ctrl.QueryBitmapSize(path, bpp, height, width) == 0) {
      total += static_cast<std::size_t>(brindle::LogoDeviceSize(width, height)) + 4;
    }
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace brindle;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const cli::ParseResult parsed = cli::ParseOptions(args);
  if (!parsed.options) {
    std::cerr << "brindle-cli: " << parsed.error << "\n" << cli::UsageText(std::nullopt);
    return cli::kExitUsage;
  }
  const cli::Options& options = *parsed.options;
  if (options.version) {
    std::cout << "brindle-cli " BRINDLE_VERSION "\n";
    return 0;
  }
  // The commands that convert pictures keep them in a folder of their own.
  std::optional<cli::PrivateTempDir> pictures;
  if (!options.help && (options.command == cli::Command::Convert ||
                        (options.command == cli::Command::Upload && options.halftone != 0))) {
    const std::string root = TempRoot(ProcessEnvironment());
    pictures.emplace(root);
    if (!pictures->ok()) {
      std::cerr << "brindle-cli: cannot make a temporary folder in " << root << " ("
                << std::strerror(pictures->error()) << ")\n";
      return cli::kExitCannotCreate;
    }
    SetTempPictureDir(pictures->path());
  }
  const bool terminal = isatty(STDERR_FILENO) != 0;
  if (!options.help && !options.printers.empty()) {
    return cli::RunFleetCommand(options, std::cin, std::cout, std::cerr, terminal);
  }
  if (!options.help && options.command == cli::Command::Ports) {
    const auto entries = cli::ListPorts(DeviceDirectory::FromEnvironment());
    std::cout << (options.json ? cli::PortsJson(entries) : cli::PortsText(entries));
    return 0;
  }

  StderrMessageBox messages;  // the TCP/IP connect messages go to standard error
  SystemPortProvider system(messages, SystemClock::Instance());
  std::optional<cli::ProgressBar> bar;
  cli::ProgressPortProvider ports(system, [&bar](std::size_t written) {
    if (bar) bar->Update(written);
  });
  CNVUploadCtrl ctrl(ports, SystemClock::Instance());

  if (!options.help && options.command == cli::Command::Status) {
    return cli::RunStatusCommand(options, ctrl, std::cout, std::cerr);
  }
  if (options.command == cli::Command::Upload && !options.quiet && !options.help && terminal) {
    bar.emplace(stderr, ExpectedUploadBytes(ctrl, options));
  }
  cli::Environment env{std::cout, std::cerr,
                       [&] { return cli::ExplainOpenFailure(ctrl.LastPortError(), options.port); },
                       [&] {
                         if (bar) bar->Finish();
                       }};
  return cli::RunCli(options, ctrl, env);
}
