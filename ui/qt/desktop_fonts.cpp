// Font mapping: the faces the windows declare were made for another desktop;
// each is replaced by the closest family installed here, trying metric-
// compatible families first, and keeps its declared point size.

#include "ui/qt/desktop_fonts.h"

#include <QFontMetrics>

namespace linkar::ui::qt {
namespace {

// The letters whose width gives the average character width.
constexpr const char* kAverageSample = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kAverageSampleHalf = 26;

struct FaceMapping {
  const char* declared;
  const char* families;  // tried in order, separated by ','
  QFont::StyleHint hint;
};

// Proportional dialog faces go to the desktop's sans-serif families; the
// report faces to the families drawn to the same widths.
const FaceMapping kFaces[] = {
    {"MS Sans Serif", "Liberation Sans,Arimo,DejaVu Sans,Sans Serif", QFont::SansSerif},
    {"MS Shell Dlg", "Liberation Sans,Arimo,DejaVu Sans,Sans Serif", QFont::SansSerif},
    {"Helv", "Liberation Sans,Arimo,DejaVu Sans,Sans Serif", QFont::SansSerif},
    {"Helvetica", "Liberation Sans,Arimo,DejaVu Sans,Sans Serif", QFont::SansSerif},
    {"Arial", "Liberation Sans,Arimo,DejaVu Sans,Sans Serif", QFont::SansSerif},
    {"Times New Roman", "Liberation Serif,Tinos,DejaVu Serif,Serif", QFont::Serif},
    {"Courier New", "Liberation Mono,Cousine,DejaVu Sans Mono,Monospace", QFont::Monospace},
    {"System", "DejaVu Sans,Sans Serif", QFont::SansSerif},
};

// Point size when a structure declares none.
constexpr int kDefaultPoints = 8;

}  // namespace

QStringList desktopFamilies(const QString& declaredFace) {
  for (const FaceMapping& m : kFaces)
    if (declaredFace.compare(QLatin1String(m.declared), Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(m.families).split(QLatin1Char(','));
  QStringList out;
  if (!declaredFace.isEmpty()) out << declaredFace;
  out << QStringLiteral("DejaVu Sans") << QStringLiteral("Sans Serif");
  return out;
}

QFont desktopFont(const FontDescription& wanted) {
  QFont font;
  QString face = QString::fromStdString(wanted.face);
  font.setFamilies(desktopFamilies(face));
  font.setStyleHint(QFont::SansSerif);
  for (const FaceMapping& m : kFaces)
    if (face.compare(QLatin1String(m.declared), Qt::CaseInsensitive) == 0) font.setStyleHint(m.hint);
  font.setPointSize(wanted.points > 0 ? wanted.points : kDefaultPoints);
  font.setBold(wanted.bold);
  return font;
}

QFont desktopFont(const Structure& s) {
  return desktopFont(FontDescription{s.fontFace, s.fontSize, s.fontBold});
}

DialogUnits dialogUnits(const QFont& font) {
  QFontMetrics metrics(font);
  int sample = metrics.horizontalAdvance(QLatin1String(kAverageSample));
  DialogUnits u;
  u.charWidth = std::max(1, (sample / kAverageSampleHalf + 1) / 2);
  u.charHeight = std::max(1, metrics.height());
  return u;
}

}  // namespace linkar::ui::qt
