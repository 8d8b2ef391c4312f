// Draws a report's bands onto recorded pages: the report's font, text in
// the printer's pixels (positions given in thousandths of an inch), each
// field clipped to its control's box, boxes as outlines and images as the
// engine's picture comments. The recorded page uses the printer's
// coordinate space: its window starts the unprintable margins before the
// printable area and spans the paper.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/catalogue.h"
#include "ui/page_file.h"
#include "ui/printer.h"

namespace linkar::reports {

inline constexpr int kMilsPerInch = 1000;
inline constexpr int kPointsPerInch = 72;
// The font of a report that declares none.
inline constexpr std::string_view kDefaultFontFace = "Arial";
inline constexpr int kDefaultFontPoints = 10;

// The text a control shows (its own text, or its variable under its picture).
using ControlText = std::function<std::string(int controlIndex, const ui::ControlDecl& control)>;

// The placeable header of a page for these printer metrics: the paper in
// square units of the larger resolution.
ui::page_file::PlaceableHeader placeableHeaderFor(const ui::PageMetrics& metrics);

class PagePainter {
 public:
  // The structure must outlive the painter.
  PagePainter(const ui::Structure& report, const ui::PageMetrics& metrics);

  // Starts recording a fresh page.
  void begin();
  // Draws the band (an index into the structure's controls) with its
  // corner at (x, y) on the page.
  void drawBand(int band, int x, int y, const ControlText& text);
  // Ends the page: the page file's bytes.
  std::string finish();
  bool recording() const { return m_recorder.has_value(); }

  int toPixelsX(int mils) const;
  int toPixelsY(int mils) const;

 private:
  void drawControl(const ui::ControlDecl& c, int x, int y, const std::string& text);

  const ui::Structure& m_report;
  ui::PageMetrics m_metrics;
  std::vector<std::vector<int>> m_children;   // by control index: the controls inside it
  std::optional<ui::page_file::PageRecorder> m_recorder;
  std::optional<int> m_bandY;                 // the last band origin recorded on this page
  int m_bandX = 0;
};

}  // namespace linkar::reports
