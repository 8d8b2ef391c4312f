// The desktop's image control. Its text names the file it shows: a
// recorded report page is replayed as vector drawing scaled to the
// control, so it is crisp at any size, on a sheet of paper with the page's
// proportions; any other file is shown as a picture. An image that fills
// its window (the preview's zoom image) shows the page as wide as the
// control, scrolled up and down with the wheel.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <optional>

#include "ui/page_file.h"

namespace linkar::ui::qt {

class PageImage : public QWidget {
 public:
  explicit PageImage(bool fitWidth, QWidget* parent = nullptr);

  // The file the control shows; nothing when it cannot be read.
  void setSource(const QString& path);
  const QString& source() const { return m_source; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  // Where the sheet of paper lies in the control, in pixels.
  QRectF sheet() const;
  void clampScroll();

  bool m_fitWidth;
  QString m_source;
  std::optional<page_file::PageFile> m_page;
  QPixmap m_picture;   // a file that is not a page
  int m_scroll = 0;    // pixels of the sheet scrolled off the top
};

}  // namespace linkar::ui::qt
