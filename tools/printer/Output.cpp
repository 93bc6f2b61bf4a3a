#include "tools/printer/Output.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "tools/printer/Files.h"
#include "tools/printer/Png.h"

namespace brindle::printer {

bool Output::Open(std::string& error) {
  if (!MakeDirectories(dir_)) {
    error = "cannot create output directory " + dir_;
    return false;
  }
  log_.reset(std::fopen(Path("commands.log").c_str(), "w"));
  if (!log_) {
    error = "cannot write " + Path("commands.log");
    return false;
  }
  std::setvbuf(log_.get(), nullptr, _IOLBF, 0);
  const std::vector<int> pages = Numbered("page-");
  lastPage_ = pages.empty() ? 0 : *std::max_element(pages.begin(), pages.end());
  return true;
}

void Output::Log(const std::string& line) {
  if (log_) std::fprintf(log_.get(), "%s\n", line.c_str());
}

int Output::WritePage(const Raster& page) {
  const int number = lastPage_ + 1;
  if (!WritePng("page-" + std::to_string(number) + ".png", page)) return 0;
  lastPage_ = number;
  return number;
}

bool Output::WriteNv(const std::vector<NvImage>& images) {
  bool ok = true;
  for (std::size_t i = 0; i < images.size(); ++i) {
    if (images[i].Width() > 0 && images[i].Height() > 0) {
      ok = WritePng("nv-" + std::to_string(i + 1) + ".png", images[i].ToRaster()) && ok;
    }
  }
  for (int number : Numbered("nv-")) {
    if (number > static_cast<int>(images.size())) {
      ::unlink(Path("nv-" + std::to_string(number) + ".png").c_str());
    }
  }
  return ok;
}

bool Output::WriteLogo(const DotLogo& logo) {
  if (logo.Width() > 0 && logo.Height() > 0) return WritePng("dot-logo.png", logo.ToRaster());
  return ::unlink(Path("dot-logo.png").c_str()) == 0 || errno == ENOENT;
}

bool Output::WritePng(const std::string& name, const Raster& raster) {
  const std::vector<std::uint8_t> png = EncodePng(raster);
  return !png.empty() && WriteFileAtomic(Path(name), png);
}

std::vector<int> Output::Numbered(const std::string& prefix) const {
  std::vector<int> numbers;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(dir_.c_str()), ::closedir);
  if (!dir) return numbers;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    const std::string suffix = ".png";
    if (name.size() <= prefix.size() + suffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    const std::string digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(),
                                          [](unsigned char ch) { return std::isdigit(ch); })) {
      continue;
    }
    numbers.push_back(std::stoi(digits));
  }
  return numbers;
}

}  // namespace brindle::printer
