#include "splash/SplashText.h"

#include "splash/SplashFlags.h"

namespace brindle {

namespace {

// Appends the lines of one paragraph (text without "\n").
void WrapParagraph(const std::string& para, int maxWidth, const SplashMeasure& measure,
                   std::vector<std::string>& lines) {
  std::string line;
  std::size_t pos = 0;
  while (pos <= para.size()) {
    std::size_t end = para.find(' ', pos);
    if (end == std::string::npos) {
      end = para.size();
    }
    const std::string word = para.substr(pos, end - pos);
    const std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && measure(candidate) > maxWidth) {
      line.erase(line.find_last_not_of(' ') + 1);
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
    pos = end + 1;
  }
  lines.push_back(line);
}

}  // namespace

std::vector<std::string> WrapSplashText(const std::string& text, int maxWidth, std::uint32_t format,
                                        const SplashMeasure& measure) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t end = text.find('\n', pos);
    const std::string para = text.substr(pos, end == std::string::npos ? end : end - pos);
    if (format & SplashTextWordBreak) {
      WrapParagraph(para, maxWidth, measure, lines);
    } else {
      lines.push_back(para);
    }
    if (end == std::string::npos) {
      return lines;
    }
    pos = end + 1;
  }
}

std::vector<SplashTextLine> LayoutSplashText(const std::string& text, const SplashRect& rect,
                                             std::uint32_t format, int lineHeight,
                                             const SplashMeasure& measure) {
  std::vector<SplashTextLine> placed;
  if (text.empty()) {
    return placed;
  }
  const std::vector<std::string> lines = WrapSplashText(text, rect.width, format, measure);
  const int blockHeight = static_cast<int>(lines.size()) * lineHeight;
  int y = (format & SplashTextVCenter) ? rect.y + CenterOffset(rect.height, blockHeight) : rect.y;
  for (const std::string& line : lines) {
    const int x =
        (format & SplashTextCenter) ? rect.x + CenterOffset(rect.width, measure(line)) : rect.x;
    placed.push_back({line, x, y});
    y += lineHeight;
  }
  return placed;
}

}  // namespace brindle
