// Drawing the image control.
#include "ui/qt/page_image.h"

#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "ui/qt/page_player.h"

namespace linkar::ui::qt {
namespace {

// Space around the sheet, in pixels, so that its edge shows.
constexpr int kMargin = 3;
// The sheet's shadow, in pixels, down and to the right.
constexpr int kShadow = 2;
// Pixels one notch of the wheel scrolls.
constexpr int kWheelStep = 60;
constexpr int kWheelNotch = 120;   // angle delta of one notch

}  // namespace

PageImage::PageImage(bool fitWidth, QWidget* parent) : QWidget(parent), m_fitWidth(fitWidth) {}

void PageImage::setSource(const QString& path) {
  if (path == m_source) return;
  m_source = path;
  m_page.reset();
  m_picture = QPixmap();
  m_scroll = 0;
  if (!path.isEmpty()) {
    std::string error;
    m_page = page_file::readPageFile(path.toStdString(), &error);
    if (!m_page) m_picture = QPixmap(path);
  }
  update();
}

QRectF PageImage::sheet() const {
  const page_file::PlaceableHeader& h = m_page->header;
  const double pageWidth = std::max(1, h.right - h.left);
  const double pageHeight = std::max(1, h.bottom - h.top);
  const QRectF room = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin - kShadow, -kMargin - kShadow);
  double scale = room.width() / pageWidth;
  if (!m_fitWidth) scale = std::min(scale, room.height() / pageHeight);
  const QSizeF size(pageWidth * scale, pageHeight * scale);
  double top = m_fitWidth ? room.top() - m_scroll : room.top() + (room.height() - size.height()) / 2;
  return QRectF(QPointF(room.left() + (room.width() - size.width()) / 2, top), size);
}

void PageImage::clampScroll() {
  if (!m_page || !m_fitWidth) {
    m_scroll = 0;
    return;
  }
  const int saved = m_scroll;
  m_scroll = 0;
  const int overflow = static_cast<int>(sheet().height()) + 2 * kMargin + kShadow - height();
  m_scroll = std::clamp(saved, 0, std::max(0, overflow));
}

void PageImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (m_page) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF paper = sheet();
    painter.fillRect(paper.translated(kShadow, kShadow), palette().color(QPalette::Dark));
    painter.fillRect(paper, Qt::white);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(paper);
    painter.save();
    playPage(painter, *m_page, paper);
    painter.restore();
  } else if (!m_picture.isNull()) {
    painter.drawPixmap(rect(), m_picture);
  }
}

void PageImage::wheelEvent(QWheelEvent* e) {
  if (!m_page || !m_fitWidth) {
    QWidget::wheelEvent(e);
    return;
  }
  m_scroll -= e->angleDelta().y() * kWheelStep / kWheelNotch;
  clampScroll();
  update();
  e->accept();
}

void PageImage::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  clampScroll();
}

}  // namespace linkar::ui::qt
