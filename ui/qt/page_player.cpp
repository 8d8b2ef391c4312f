// The page player: the records of a page file onto a QPainter. The
// painter's world transform maps the page's logical units onto the target,
// so text and lines stay vectors at any size.
#include "ui/qt/page_player.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <variant>
#include <vector>

#include "ui/qt/desktop_fonts.h"
#include "ui/qt/display_text.h"

namespace linkar::ui::qt {

namespace pf = page_file;

namespace {

QColor colorOf(uint16_t low, uint16_t high) {
  uint32_t ref = low | static_cast<uint32_t>(high) << 16;
  return QColor(static_cast<int>(ref & 0xFF), static_cast<int>(ref >> 8 & 0xFF), static_cast<int>(ref >> 16 & 0xFF));
}

using Object = std::variant<std::monostate, QFont, QPen, QBrush>;

// What a saved state holds besides the painter's own.
struct DrawState {
  QFont font;
  double ascent = 0;              // of the font on the painter's device
  QPen pen{Qt::black};
  QBrush brush{Qt::NoBrush};
  QColor textColor{Qt::black};
  uint16_t textAlign = pf::kTextAlignTopLeft;
  QPointF position;
  QPointF bandOrigin;
};

class Player {
 public:
  Player(QPainter& painter, const pf::PageFile& page, const QRectF& target)
      : m_painter(painter), m_page(page), m_base(painter.worldTransform()), m_objects(page.objects) {
    const pf::PlaceableHeader& h = page.header;
    double width = h.right - h.left, height = h.bottom - h.top;
    double scale = std::min(target.width() / width, target.height() / height);
    m_fitted = QRectF(0, 0, width * scale, height * scale);
    m_fitted.moveCenter(target.center());
    m_ext = QSizeF(width, height);
    m_org = QPointF(h.left, h.top);
  }

  void run() {
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
    applyTransform();
    for (const pf::Record& r : m_page.records) play(r);
    while (!m_saved.empty()) restore();
    m_painter.restore();
  }

 private:
  void applyTransform() {
    QTransform local;
    local.translate(m_fitted.left(), m_fitted.top());
    local.scale(m_fitted.width() / m_ext.width(), m_fitted.height() / m_ext.height());
    local.translate(-m_org.x(), -m_org.y());
    m_painter.setWorldTransform(local * m_base);
  }

  void store(Object object) {
    auto free = std::find_if(m_objects.begin(), m_objects.end(),
                             [](const Object& o) { return std::holds_alternative<std::monostate>(o); });
    if (free != m_objects.end()) *free = std::move(object);
    else m_objects.push_back(std::move(object));
  }

  void select(int16_t slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= m_objects.size()) return;
    const Object& o = m_objects[static_cast<size_t>(slot)];
    if (auto* font = std::get_if<QFont>(&o)) {
      m_state.font = *font;
      m_state.ascent = QFontMetricsF(*font, m_painter.device()).ascent();
    }
    else if (auto* pen = std::get_if<QPen>(&o)) m_state.pen = *pen;
    else if (auto* brush = std::get_if<QBrush>(&o)) m_state.brush = *brush;
  }

  static QFont fontOf(const pf::Record& r) {
    std::string face = r.params.substr(pf::kFontFaceOffset, pf::kFontFaceSize);
    face.resize(std::min(face.size(), face.find('\0')));
    QFont font;
    font.setFamilies(desktopFamilies(QString::fromStdString(face)));
    font.setPixelSize(std::max(1, std::abs(static_cast<int>(r.word(0)))));
    font.setWeight(r.word(pf::kFontWeightWord) >= pf::kFontWeightBold ? QFont::Bold : QFont::Normal);
    font.setItalic(r.params[pf::kFontItalicOffset] != 0);
    font.setUnderline(r.params[pf::kFontUnderlineOffset] != 0);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
  }

  void textOut(const pf::Record& r) {
    size_t length = static_cast<uint16_t>(r.word(0));
    if (2 + length > r.params.size()) return;
    size_t at = 1 + (length + 1) / 2;
    QPointF p(r.word(at + 1), r.word(at));
    QString text = toDisplay(std::string_view(r.params).substr(2, length));
    if (m_state.textAlign != pf::kTextAlignBaseline) p.ry() += m_state.ascent;
    if (m_painter.font() != m_state.font) m_painter.setFont(m_state.font);
    if (m_painter.pen() != QPen(m_state.textColor)) m_painter.setPen(m_state.textColor);
    m_painter.drawText(p, text);
  }

  void comment(const pf::Record& r) {
    if (static_cast<uint16_t>(r.word(0)) != pf::kEscapeComment) return;
    size_t count = static_cast<uint16_t>(r.word(1));
    if (count < pf::kCommentHeaderBytes || pf::kEscapeHeaderBytes + count > r.params.size()) return;
    if (static_cast<uint16_t>(r.word(2)) != pf::kCommentTag) return;
    switch (static_cast<uint16_t>(r.word(3))) {
      case pf::kCommentBandOrigin:
        m_state.bandOrigin = QPointF(r.word(4), r.word(5));
        break;
      case pf::kCommentBandDown:
        m_state.bandOrigin.ry() += r.word(4);
        break;
      case pf::kCommentPicture: {
        const size_t nameAt = pf::kEscapeHeaderBytes + pf::kCommentHeaderBytes + pf::kPictureValueBytes;
        if (pf::kEscapeHeaderBytes + count < nameAt) return;
        QRectF box(m_state.bandOrigin.x() + r.word(4), m_state.bandOrigin.y() + r.word(5), r.word(6), r.word(7));
        QImage image(QString::fromStdString(r.params.substr(nameAt, pf::kEscapeHeaderBytes + count - nameAt)));
        if (!image.isNull()) m_painter.drawImage(box, image);
        break;
      }
      default:
        break;
    }
  }

  void restore() {
    if (m_saved.empty()) return;
    m_state = m_saved.back();
    m_saved.pop_back();
    m_painter.restore();
  }

  void play(const pf::Record& r) {
    switch (r.function) {
      case pf::kRecordSetWindowOrg:
        m_org = QPointF(r.word(1), r.word(0));
        applyTransform();
        break;
      case pf::kRecordSetWindowExt:
        if (r.word(0) != 0 && r.word(1) != 0) m_ext = QSizeF(r.word(1), r.word(0));
        applyTransform();
        break;
      case pf::kRecordCreateFont:
        store(r.params.size() >= pf::kFontRecordParams ? Object(fontOf(r)) : Object(QFont()));
        break;
      case pf::kRecordCreatePen: {
        QPen pen(colorOf(static_cast<uint16_t>(r.word(3)), static_cast<uint16_t>(r.word(4))));
        pen.setWidthF(std::max<int16_t>(1, r.word(1)));
        if (r.word(0) == pf::kPenNull) pen.setStyle(Qt::NoPen);
        store(pen);
        break;
      }
      case pf::kRecordCreateBrush:
        store(r.word(0) == pf::kBrushNull
                  ? QBrush(Qt::NoBrush)
                  : QBrush(colorOf(static_cast<uint16_t>(r.word(1)), static_cast<uint16_t>(r.word(2)))));
        break;
      case pf::kRecordSelectObject:
        select(r.word(0));
        break;
      case pf::kRecordDeleteObject:
        if (r.word(0) >= 0 && static_cast<size_t>(r.word(0)) < m_objects.size())
          m_objects[static_cast<size_t>(r.word(0))] = std::monostate{};
        break;
      case pf::kRecordSetTextColor:
        m_state.textColor = colorOf(static_cast<uint16_t>(r.word(0)), static_cast<uint16_t>(r.word(1)));
        break;
      case pf::kRecordSetTextAlign:
        m_state.textAlign = static_cast<uint16_t>(r.word(0));
        break;
      case pf::kRecordTextOut:
        textOut(r);
        break;
      case pf::kRecordMoveTo:
        m_state.position = QPointF(r.word(1), r.word(0));
        break;
      case pf::kRecordLineTo: {
        QPointF to(r.word(1), r.word(0));
        m_painter.setPen(m_state.pen);
        m_painter.drawLine(m_state.position, to);
        m_state.position = to;
        break;
      }
      case pf::kRecordRectangle:
        m_painter.setPen(m_state.pen);
        m_painter.setBrush(m_state.brush);
        m_painter.drawRect(QRectF(QPointF(r.word(3), r.word(2)), QPointF(r.word(1), r.word(0))));
        break;
      case pf::kRecordSaveDc:
        m_saved.push_back(m_state);
        m_painter.save();
        break;
      case pf::kRecordRestoreDc:
        restore();
        break;
      case pf::kRecordIntersectClipRect:
        m_painter.setClipRect(QRectF(QPointF(r.word(3), r.word(2)), QPointF(r.word(1), r.word(0))),
                              m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        break;
      case pf::kRecordEscape:
        comment(r);
        break;
      default:
        break;  // the mapping mode and background mode need nothing here
    }
  }

  QPainter& m_painter;
  const pf::PageFile& m_page;
  QTransform m_base;
  std::vector<Object> m_objects;
  QRectF m_fitted;
  QSizeF m_ext;
  QPointF m_org;
  DrawState m_state;
  std::vector<DrawState> m_saved;
};

}  // namespace

bool playPage(QPainter& painter, const pf::PageFile& page, const QRectF& target) {
  const pf::PlaceableHeader& h = page.header;
  if (h.right <= h.left || h.bottom <= h.top || target.isEmpty()) return false;
  Player(painter, page, target).run();
  return true;
}

bool playPageFile(QPainter& painter, const std::string& path, const QRectF& target) {
  auto page = pf::readPageFile(path, nullptr);
  return page && playPage(painter, *page, target);
}

}  // namespace linkar::ui::qt
