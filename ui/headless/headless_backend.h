// A backend without a display: fixed font metrics, no drawing. It records
// what a display would have shown or done (beeps, standard menu actions,
// fatal messages) so that a test can look at it.
#pragma once

#include <string>
#include <vector>

#include "ui/backend.h"

namespace linkar::ui {

class HeadlessBackend : public Backend {
 public:
  // Every character is this many pixels wide ...
  static constexpr int kCharWidth = 6;
  // ... and a line this many pixels high.
  static constexpr int kLineHeight = 13;

  int textWidth(const FontDescription& font, std::string_view text) override;
  int textHeight(const FontDescription& font) override;
  TextExtent measureWrapped(const FontDescription& font, std::string_view text, int maxWidth) override;

  void standardAction(std::string_view action) override { m_actions.emplace_back(action); }
  void beep() override { ++m_beeps; }
  void showFatal(std::string_view caption, std::string_view message) override;
  void programEnded(int code) override { m_ended = true; m_exitCode = code; }

  // Lines of text wrapped as measureWrapped wraps them.
  static std::vector<std::string> wrapLines(std::string_view text, int maxChars);

  int beeps() const { return m_beeps; }
  const std::vector<std::string>& actions() const { return m_actions; }
  const std::vector<std::string>& fatalMessages() const { return m_fatal; }
  bool ended() const { return m_ended; }
  int exitCode() const { return m_exitCode; }

 private:
  int m_beeps = 0;
  std::vector<std::string> m_actions;
  std::vector<std::string> m_fatal;
  bool m_ended = false;
  int m_exitCode = 0;
};

}  // namespace linkar::ui
