// Draws a recorded page file onto a QPainter by replaying its records as
// vector drawing, so a page is crisp at any size: in the preview, on a
// printer and in a PDF.
#pragma once

#include <QRectF>
#include <string>

#include "ui/page_file.h"

class QPainter;

namespace linkar::ui::qt {

// Draws the page scaled into target, keeping its aspect and centred; the
// whole bounding box (paper with its margins) fills the target. Returns
// false (and draws nothing) when the file cannot be read.
bool playPageFile(QPainter& painter, const std::string& path, const QRectF& target);
bool playPage(QPainter& painter, const page_file::PageFile& page, const QRectF& target);

}  // namespace linkar::ui::qt
