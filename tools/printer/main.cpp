// brindle-printer: a virtual ESC/POS receipt printer for trying Brindle
// without hardware and for end-to-end tests. See --help.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/printer/Options.h"
#include "tools/printer/Server.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto options = brindle::printer::ParseOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "brindle-printer: %s (see --help)\n", error.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(brindle::printer::HelpText(), stdout);
    return 0;
  }
  if (options->version) {
    std::puts("brindle-printer " BRINDLE_VERSION);
    return 0;
  }
  return brindle::printer::RunPrinter(*options);
}
