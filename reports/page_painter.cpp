// Recording a report page's bands.
#include "reports/page_painter.h"

#include <algorithm>

namespace linkar::reports {

namespace pf = ui::page_file;

pf::PlaceableHeader placeableHeaderFor(const ui::PageMetrics& m) {
  int units = std::max(m.dpiX, m.dpiY);
  int width = m.printableWidth + 2 * m.marginLeft;
  int height = m.printableHeight + 2 * m.marginTop;
  pf::PlaceableHeader h;
  h.right = static_cast<int16_t>(std::min<long long>(32767, static_cast<long long>(width) * units / std::max(1, m.dpiX)));
  h.bottom = static_cast<int16_t>(std::min<long long>(32767, static_cast<long long>(height) * units / std::max(1, m.dpiY)));
  h.unitsPerInch = static_cast<uint16_t>(units);
  return h;
}

PagePainter::PagePainter(const ui::Structure& report, const ui::PageMetrics& metrics)
    : m_report(report), m_metrics(metrics), m_children(report.controls.size()) {
  for (size_t i = 0; i < report.controls.size(); ++i) {
    int parent = report.controls[i].parent;
    if (parent >= 0) m_children[static_cast<size_t>(parent)].push_back(static_cast<int>(i));
  }
}

int PagePainter::toPixelsX(int mils) const {
  return static_cast<int>(static_cast<long long>(mils) * m_metrics.dpiX / kMilsPerInch);
}

int PagePainter::toPixelsY(int mils) const {
  return static_cast<int>(static_cast<long long>(mils) * m_metrics.dpiY / kMilsPerInch);
}

void PagePainter::begin() {
  m_recorder.emplace(placeableHeaderFor(m_metrics));
  m_bandY.reset();
  pf::PageRecorder& r = *m_recorder;
  r.setMapModeText();
  r.setWindowOrg(-m_metrics.marginLeft, -m_metrics.marginTop);
  r.setWindowExt(m_metrics.printableWidth + 2 * m_metrics.marginLeft,
                 m_metrics.printableHeight + 2 * m_metrics.marginTop);
  pf::FontSpec font;
  font.face = m_report.fontFace.empty() ? std::string(kDefaultFontFace) : m_report.fontFace;
  int points = m_report.fontSize > 0 ? m_report.fontSize : kDefaultFontPoints;
  font.height = points * m_metrics.dpiY / kPointsPerInch;
  font.weight = m_report.fontBold ? pf::kFontWeightBold : pf::kFontWeightNormal;
  r.selectObject(r.createFont(font));
  // Box outlines half a point wide.
  r.selectObject(r.createPen(pf::kPenSolid, std::max(1, m_metrics.dpiX / (2 * kPointsPerInch)), pf::kBlack));
  r.selectObject(r.createBrush(pf::kBrushNull, pf::kBlack));
  r.setTextColor(pf::kBlack);
  r.setBkTransparent();
  r.setTextAlign(pf::kTextAlignTopLeft);
}

void PagePainter::drawBand(int band, int x, int y, const ControlText& text) {
  if (!m_recorder) return;
  int px = toPixelsX(x), py = toPixelsY(y);
  // The band origin places the band's pictures.
  if (m_bandY && py >= *m_bandY) m_recorder->bandDown(py - *m_bandY);
  else m_recorder->bandOrigin(px, py);
  m_bandY = py;
  m_bandX = px;
  for (int index : m_children[static_cast<size_t>(band)]) {
    const ui::ControlDecl& c = m_report.controls[static_cast<size_t>(index)];
    if (c.hidden || !c.at) continue;
    drawControl(c, x, y, text(index, c));
  }
}

void PagePainter::drawControl(const ui::ControlDecl& c, int x, int y, const std::string& text) {
  pf::PageRecorder& r = *m_recorder;
  int left = toPixelsX(x + c.at->x), top = toPixelsY(y + c.at->y);
  int right = left + toPixelsX(c.at->width), bottom = top + toPixelsY(c.at->height);
  switch (c.type) {
    case ui::ControlType::Box:
      r.rectangle(left, top, right, bottom);
      break;
    case ui::ControlType::Image:
      r.picture(left - m_bandX, top - *m_bandY, right - left, bottom - top, text);
      break;
    default:
      if (text.find_first_not_of(' ') == std::string::npos) break;
      r.saveDc();
      r.intersectClipRect(left, top, right, bottom);
      r.textOut(left, top, text);
      r.restoreDc();
      break;
  }
}

std::string PagePainter::finish() {
  if (!m_recorder) return {};
  std::string bytes = m_recorder->finish();
  m_recorder.reset();
  return bytes;
}

}  // namespace linkar::reports
