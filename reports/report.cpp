// The report statements: OPEN, PRINT, ENDPAGE, flush-preview and CLOSE over
// the band layout and the page painter.
#include "reports/report.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>

#include "platform/clock.h"
#include "platform/pause.h"
#include "reports/page_painter.h"
#include "runtime/error_codes.h"
#include "runtime/expr_symbols.h"
#include "runtime/picture_format.h"
#include "runtime/runtime_error.h"
#include "ui/engine.h"
#include "ui/page_file.h"

namespace linkar::reports {

namespace {

// The reports open under a window handle, for the statements by handle.
std::map<int, Report*>& openReports() {
  static std::map<int, Report*> reports;
  return reports;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The value of a variable bound for the expression evaluator.
std::optional<std::string> boundValue(std::string_view use) {
  const runtime::Symbol* s = runtime::currentSymbols().find(use);
  if (!s || s->kind != runtime::SymbolKind::Variable) return std::nullopt;
  return runtime::readVariable(s->variable).asText();
}

constexpr std::string_view kPrintToFileTitle = "Print To File...";
// Printing the queued pages gives the other threads and the desktop a turn
// whenever it has worked this long, so a long report does not freeze them.
constexpr std::int64_t kPrintingSliceMilliseconds = 50;
constexpr std::string_view kPrintToFileFilter = "All files (*.*)|*.*";

[[noreturn]] void programmingError(std::string_view what, std::string_view name) {
  std::cerr << "report: " << what << ' ' << name << '\n';
  std::abort();
}

}  // namespace

Report::Report(const ui::Catalogue& catalogue, std::string_view module, std::string_view label)
    : m_values(boundValue) {
  m_structure = module.empty() ? catalogue.find(label) : catalogue.find(module, label);
  if (!m_structure) programmingError("no structure", label);
  findBands();
}

Report::~Report() {
  // Abandoned without CLOSE (cancelled, or unwound): the page in progress is
  // dropped rather than printed, and every page file goes.
  if (m_open) finishClose(false);
}

void Report::findBands() {
  const auto& controls = m_structure->controls;
  m_pictures.resize(controls.size());
  for (size_t i = 0; i < controls.size(); ++i) {
    const ui::ControlDecl& c = controls[i];
    if (!c.picture.empty()) m_pictures[i] = runtime::compilePicture(c.picture);
    if (c.parent >= 0) continue;
    int index = static_cast<int>(i);
    switch (c.type) {
      case ui::ControlType::Header: m_header = index; break;
      case ui::ControlType::Footer: m_footer = index; break;
      case ui::ControlType::Form: m_form = index; break;
      case ui::ControlType::Detail: m_details.push_back({index, {}}); break;
      default: break;
    }
  }
}

const Report::Band* Report::detailBand(std::string_view use) const {
  for (const Band& b : m_details)
    if (sameName(m_structure->controls[static_cast<size_t>(b.control)].use, use)) return &b;
  return nullptr;
}

void Report::setBandFlags(std::string_view band, const BandFlags& flags) {
  for (Band& b : m_details) {
    if (sameName(m_structure->controls[static_cast<size_t>(b.control)].use, band)) {
      b.flags = flags;
      return;
    }
  }
  programmingError("no detail band", band);
}

void Report::setFieldValues(FieldValues values) { m_values = std::move(values); }

void Report::setPageRange(int first, int last) {
  m_firstPage = first;
  m_lastPage = last;
}

void Report::open(PreviewQueue* queue) {
  if (m_open) runtime::raiseRuntimeError(runtime::err::kReportAlreadyOpen);
  if (ui::Engine* engine = ui::Engine::instance(); engine && engine->thread() > 0 &&
                                                   m_structure->kind == ui::StructureKind::Report) {
    // The hidden report window: another report of this structure open on
    // the same thread is refused there (525 as well).
    m_window = engine->registry().openReport(m_structure->label);
    openReports()[m_window] = this;
  }
  ui::PrinterDevice& printer = ui::printerDevice();
  if (std::string why = printer.failure(); !why.empty())
    runtime::raiseRuntimeError(runtime::err::kPrinterOpenFailed, why);
  m_metrics = printer.metrics();
  if (m_metrics.dpiX <= 0 || m_metrics.dpiY <= 0 || m_metrics.printableWidth <= 0 || m_metrics.printableHeight <= 0)
    runtime::raiseRuntimeError(runtime::err::kPrinterOpenFailed, "the printer has no page size");
  m_open = true;
  m_failed = false;
  m_queue = queue;
  m_previewing = queue != nullptr;
  m_documentStarted = false;
  m_nowhereToPrint = false;
  m_pageNumber = 1;
  m_emitted = 0;
  m_painter = std::make_unique<PagePainter>(*m_structure, m_metrics);
  const ui::Rect& area = m_structure->at;
  PageSink& sink = *this;
  m_layout = std::make_unique<BandLayout>(area.y, area.y + area.height, sink);
}

void Report::print(std::string_view band) {
  if (m_structure->kind != ui::StructureKind::Report) runtime::raiseRuntimeError(runtime::err::kPrintOnlyForReports);
  if (!m_open) return;
  const Band* b = detailBand(band);
  if (!b) programmingError("no detail band", band);
  const ui::ControlDecl& c = m_structure->controls[static_cast<size_t>(b->control)];
  Printed printed{b, {}};
  const auto& controls = m_structure->controls;
  for (size_t i = static_cast<size_t>(b->control) + 1; i < controls.size(); ++i)
    if (controls[i].parent == b->control) printed.texts[static_cast<int>(i)] = controlText(static_cast<int>(i), controls[i]);
  m_printed.push_back(std::move(printed));
  ui::Rect at = c.at.value_or(ui::Rect{});
  m_layout->add(&m_printed.back(), at.height, at.y, b->flags);
  // Nothing is held once no group is open: every printed band is drawn.
  if (m_layout->depth() == 0) m_printed.clear();
}

void Report::endPage() {
  if (m_structure->kind != ui::StructureKind::Report) runtime::raiseRuntimeError(runtime::err::kEndPageOnlyForReports);
  if (!m_open) return;
  m_layout->endPage();
  m_printed.clear();
}

void Report::setFlushPreview(int on) {
  // Only the pages of a finished preview are printed.
  if (on != 1 || !m_open || !m_queue || m_previewing) return;
  flushQueue();
}

bool Report::askPrintToFile() {
  ui::Engine* engine = ui::Engine::instance();
  if (!engine || engine->thread() == 0) return false;
  ui::FileDialogRequest request;
  request.title = std::string(kPrintToFileTitle);
  request.filters = std::string(kPrintToFileFilter);
  request.save = true;
  request.mustExist = false;
  std::string chosen;
  if (!engine->dialogs().fileDialog(std::move(request), &chosen) || chosen.empty()) return false;
  m_printToFile = chosen;
  return true;
}

// Begins the print document on the printer or in the print-to-file file.
// False when there is nowhere to print (not a failure) or it cannot begin.
bool Report::startDocument() {
  ui::PrinterDevice& printer = ui::printerDevice();
  if (m_printToFile.empty() && !printer.available() && !askPrintToFile()) {
    m_nowhereToPrint = true;
    return false;
  }
  bool ok = (m_printToFile.empty() || printer.printToFile(m_printToFile)) && printer.beginDocument(m_structure->title);
  if (!ok) m_failed = true;
  return ok;
}

void Report::flushQueue() {
  ui::PrinterDevice& printer = ui::printerDevice();
  if (!startDocument()) return;
  std::int64_t sliceStart = platform::monotonicMilliseconds();
  for (const std::string& page : *m_queue) {
    if (!printer.printPageFile(page)) m_failed = true;
    if (platform::monotonicMilliseconds() - sliceStart >= kPrintingSliceMilliseconds) {
      platform::pauseBetweenTries(0);
      sliceStart = platform::monotonicMilliseconds();
    }
  }
  if (!printer.endDocument()) m_failed = true;
}

void Report::close() {
  if (m_open) finishClose(true);
}

void Report::finishClose(bool completeLastPage) {
  if (completeLastPage) m_layout->endPage();
  m_printed.clear();
  if (m_documentStarted && !ui::printerDevice().endDocument()) m_failed = true;
  m_documentStarted = false;
  deletePageFiles();
  if (m_queue) m_queue->clear();
  m_queue = nullptr;
  m_layout.reset();
  m_painter.reset();
  m_open = false;
  if (m_window != 0) {
    openReports().erase(m_window);
    ui::Engine* engine = ui::Engine::instance();
    if (engine && engine->window(m_window)) engine->registry().closeWindow(m_window);
    m_window = 0;
  }
}

void Report::deletePageFiles() {
  for (const std::string& path : m_pageFiles) std::remove(path.c_str());
  m_pageFiles.clear();
}

// ---- pages ----

bool Report::pageInRange() const {
  if (m_firstPage <= 0 && m_lastPage <= 0) return true;
  return m_pageNumber >= m_firstPage && (m_lastPage <= 0 || m_pageNumber <= m_lastPage);
}

void Report::startPage() {
  // A page outside the range is laid out but not recorded.
  if (!pageInRange()) return;
  m_painter->begin();
  if (m_header >= 0) drawFixedBand(m_header);
}

void Report::drawBand(const void* band, int y) {
  if (!m_painter->recording()) return;
  const Printed& p = *static_cast<const Printed*>(band);
  const ui::ControlDecl& c = m_structure->controls[static_cast<size_t>(p.band->control)];
  int x = m_structure->at.x + (c.at ? c.at->x : 0);
  m_painter->drawBand(p.band->control, x, y, [&p, this](int i, const ui::ControlDecl& d) {
    auto it = p.texts.find(i);
    return it != p.texts.end() ? it->second : controlText(i, d);
  });
}

void Report::drawFixedBand(int control) {
  const ui::ControlDecl& c = m_structure->controls[static_cast<size_t>(control)];
  ui::Rect at = c.at.value_or(ui::Rect{});
  m_painter->drawBand(control, at.x, at.y, [this](int i, const ui::ControlDecl& d) { return controlText(i, d); });
}

void Report::finishPage() {
  if (m_painter->recording()) {
    if (m_footer >= 0) drawFixedBand(m_footer);
    if (m_form >= 0 && m_drawForm) drawFixedBand(m_form);
    outputPage(m_painter->finish());
    ++m_emitted;
  }
  ++m_pageNumber;
}

void Report::outputPage(const std::string& bytes) {
  std::string error;
  std::string path = ui::page_file::writeTemporaryPageFile(bytes, &error);
  if (path.empty()) {
    std::cerr << "report: " << error << '\n';
    m_failed = true;
    return;
  }
  if (m_queue) {
    m_pageFiles.push_back(path);
    m_queue->push_back(path);
    return;
  }
  // Printed at once: the page file only carries the page to the printer.
  ui::PrinterDevice& printer = ui::printerDevice();
  if (!m_documentStarted && !m_nowhereToPrint && !m_failed) m_documentStarted = startDocument();
  if (m_documentStarted && !printer.printPageFile(path)) m_failed = true;
  std::remove(path.c_str());
}

std::string Report::controlText(int index, const ui::ControlDecl& c) {
  std::optional<std::string> value;
  if (sameName(c.use, kPageNumberName)) value = std::to_string(m_pageNumber);
  else if (!c.use.empty() && m_values) value = m_values(c.use);
  if (!value) {
    if (c.picture.empty() || c.use.empty()) return c.text;
    value = std::string();
  }
  const runtime::CompiledPicture& picture = m_pictures[static_cast<size_t>(index)];
  return picture.valid() ? runtime::formatText(picture, *value) : *value;
}

// ---- statements by handle ----

void printBand(int handle, std::string_view band) {
  auto it = openReports().find(handle);
  if (it == openReports().end()) runtime::raiseRuntimeError(runtime::err::kPrintOnlyForReports);
  it->second->print(band);
}

void endPage(int handle) {
  auto it = openReports().find(handle);
  if (it == openReports().end()) runtime::raiseRuntimeError(runtime::err::kEndPageOnlyForReports);
  it->second->endPage();
}

}  // namespace linkar::reports
