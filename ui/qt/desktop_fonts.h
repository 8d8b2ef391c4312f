// The declared fonts of the windows and reports mapped to fonts the Linux
// desktop has, and the dialog units of a font: the base the declared
// positions and sizes are measured in.
#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>

#include "ui/backend.h"
#include "ui/catalogue.h"

namespace linkar::ui::qt {

// The desktop font standing in for a declared face and point size. Faces
// are matched without regard to case; an unknown face keeps its name and
// falls back to the desktop's sans-serif family.
QFont desktopFont(const FontDescription& wanted);
QFont desktopFont(const Structure& s);

// The families tried, in order, for a declared face.
QStringList desktopFamilies(const QString& declaredFace);

// Pixel bases of one dialog unit: x * charWidth / 4, y * charHeight / 8.
struct DialogUnits {
  int charWidth = 6;
  int charHeight = 13;

  int toPixelsX(int units) const { return units * charWidth / 4; }
  int toPixelsY(int units) const { return units * charHeight / 8; }
  // Back from pixels, rounded to the nearest unit.
  int toUnitsX(int pixels) const { return (pixels * 4 + charWidth / 2) / charWidth; }
  int toUnitsY(int pixels) const { return (pixels * 8 + charHeight / 2) / charHeight; }
  QRect toPixels(const Rect& r) const {
    return QRect(toPixelsX(r.x), toPixelsY(r.y), toPixelsX(r.width), toPixelsY(r.height));
  }
};

// The font's average character width (the 52 letters' width / 26, plus 1,
// halved) and its line height.
DialogUnits dialogUnits(const QFont& font);

}  // namespace linkar::ui::qt
