// How the controls of a list window follow the window when the user sizes
// it: the list takes up the change and the sheet around it grows with it;
// controls beside the list keep their distance from the right edge and
// controls under it keep theirs from the bottom edge. A row of buttons under
// the list that ends where the list ends stays aligned with its right edge;
// one that starts at the left stays there. A window without a list keeps
// every control where it is declared.
#pragma once

#include <QRect>
#include <vector>

#include "ui/catalogue.h"

namespace linkar::ui::qt {

class StretchLayout {
 public:
  explicit StretchLayout(const Structure& s);

  // Whether the controls follow the window's size at all.
  bool follows() const { return m_list >= 0; }
  // Declaration index of the list that takes up the change, or -1.
  int stretchedList() const { return m_list; }

  // Where control `index` goes, from its designed place in pixels, when the
  // window's client area is `grown` pixels larger (smaller when negative)
  // than designed.
  QRect place(size_t index, QRect designed, QSize grown) const;

 private:
  struct Follow {
    bool stretchX = false, stretchY = false;  // grows with the window
    bool moveX = false, moveY = false;        // keeps its distance from the far edge
  };

  void anchorControls(const Structure& s);
  // Rows of controls under the list that end at its right edge move right.
  void anchorButtonRows(const Structure& s, const Rect& list);

  int m_list = -1;
  std::vector<Follow> m_follow;  // parallel to the declaration's controls
};

}  // namespace linkar::ui::qt
