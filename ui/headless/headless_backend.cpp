// Fixed-metric text measurement with word wrapping, and the records a test
// reads back.

#include "ui/headless/headless_backend.h"

#include <algorithm>

namespace linkar::ui {

int HeadlessBackend::textWidth(const FontDescription&, std::string_view text) {
  return static_cast<int>(text.size()) * kCharWidth;
}

int HeadlessBackend::textHeight(const FontDescription&) { return kLineHeight; }

std::vector<std::string> HeadlessBackend::wrapLines(std::string_view text, int maxChars) {
  maxChars = std::max(1, maxChars);
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find("\r\n", pos);
    std::string_view para = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    // Break the paragraph at blanks; a word longer than a line is cut.
    std::string line;
    size_t i = 0;
    while (i < para.size()) {
      size_t wordEnd = para.find(' ', i);
      if (wordEnd == std::string_view::npos) wordEnd = para.size();
      std::string_view word = para.substr(i, wordEnd - i);
      std::string candidate = line.empty() ? std::string(word) : line + " " + std::string(word);
      if (static_cast<int>(candidate.size()) <= maxChars) {
        line = candidate;
      } else {
        if (!line.empty()) lines.push_back(line);
        // A word longer than a line is cut into line-long pieces.
        while (static_cast<int>(word.size()) > maxChars) {
          lines.emplace_back(word.substr(0, static_cast<size_t>(maxChars)));
          word.remove_prefix(static_cast<size_t>(maxChars));
        }
        line = std::string(word);
      }
      i = wordEnd + 1;
    }
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    pos = end + 2;
  }
  return lines;
}

TextExtent HeadlessBackend::measureWrapped(const FontDescription&, std::string_view text, int maxWidth) {
  auto lines = wrapLines(text, maxWidth / kCharWidth);
  TextExtent e;
  for (const auto& l : lines) e.width = std::max(e.width, static_cast<int>(l.size()) * kCharWidth);
  e.height = static_cast<int>(lines.size()) * kLineHeight;
  return e;
}

void HeadlessBackend::showFatal(std::string_view caption, std::string_view message) {
  m_fatal.push_back(std::string(caption) + ": " + std::string(message));
  Backend::showFatal(caption, message);
}

}  // namespace linkar::ui
