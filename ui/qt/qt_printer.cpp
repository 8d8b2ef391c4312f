// Reports' printer over Qt PrintSupport.
#include "ui/qt/qt_printer.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinterInfo>

#include "ui/qt/page_player.h"

namespace linkar::ui::qt {

namespace {

constexpr int kPdfDpi = 600;
// Page files hold 16-bit coordinates in printer pixels: finer resolutions
// would not fit a page (and add nothing to vector drawing).
constexpr int kMaxDpi = 1200;
constexpr double kPdfMarginInches = 0.25;   // the headless device's unprintable edge

std::unique_ptr<QtPrinter> g_installed;

void setUpPdf(QPrinter& printer) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(kPdfDpi);
  printer.setPageSize(QPageSize(localePaperIsLetter() ? QPageSize::Letter : QPageSize::A4));
  printer.setPageMargins(QMarginsF(kPdfMarginInches, kPdfMarginInches, kPdfMarginInches, kPdfMarginInches),
                         QPageLayout::Inch);
}

// The kept printer is checked at each use: a system printer that has gone
// away gives way to the default printer, or to the PDF printer.
void revalidate(QPrinter& printer) {
  if (printer.outputFormat() != QPrinter::NativeFormat) return;
  if (QPrinterInfo::availablePrinterNames().contains(printer.printerName())) return;
  QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) setUpPdf(printer);
  else printer.setPrinterName(info.printerName());
}

}  // namespace

std::unique_ptr<QPrinter> makeSystemPrinter() {
  QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    setUpPdf(*printer);
    return printer;
  }
  auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  if (printer->resolution() > kMaxDpi) printer->setResolution(kMaxDpi);
  return printer;
}

QtPrinter::QtPrinter(std::function<QPrinter&()> printer) : m_printer(std::move(printer)) {}

QtPrinter::QtPrinter(std::unique_ptr<QPrinter> printer) : m_owned(std::move(printer)) {
  m_printer = [this]() -> QPrinter& { return *m_owned; };
}

QtPrinter::~QtPrinter() {
  if (m_painter) m_painter->end();
}

bool QtPrinter::available() {
  return printer().outputFormat() == QPrinter::NativeFormat || !printer().outputFileName().isEmpty();
}

bool QtPrinter::printToFile(const std::string& path) {
  if (m_painter) return false;
  m_toFile = path;
  return true;
}

PageMetrics QtPrinter::metrics() {
  QPrinter& p = printer();
  revalidate(p);
  PageMetrics m;
  m.dpiX = p.logicalDpiX();
  m.dpiY = p.logicalDpiY();
  QRectF page = p.pageRect(QPrinter::DevicePixel);
  m.printableWidth = static_cast<int>(page.width());
  m.printableHeight = static_cast<int>(page.height());
  m.marginLeft = static_cast<int>(page.left());
  m.marginTop = static_cast<int>(page.top());
  return m;
}

std::string QtPrinter::failure() {
  if (!printer().isValid()) return "the printer " + printer().printerName().toStdString() + " cannot be used";
  return {};
}

bool QtPrinter::beginDocument(std::string_view title) {
  if (m_painter) return false;
  if (!m_toFile.empty()) {
    // The pages were laid out for the printer: the file gets its paper.
    m_filePrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_filePrinter->setOutputFormat(QPrinter::PdfFormat);
    m_filePrinter->setResolution(printer().resolution());
    m_filePrinter->setPageLayout(printer().pageLayout());
    m_filePrinter->setOutputFileName(QString::fromStdString(m_toFile));
    m_toFile.clear();
  }
  QPrinter& p = target();
  p.setDocName(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
  m_painter = std::make_unique<QPainter>();
  if (!m_painter->begin(&p)) {
    m_painter.reset();
    m_filePrinter.reset();
    return false;
  }
  m_firstPage = true;
  return true;
}

bool QtPrinter::printPageFile(const std::string& pagePath) {
  if (!m_painter) return false;
  auto page = page_file::readPageFile(pagePath, nullptr);
  if (!page) return false;
  QPrinter& p = target();
  if (!m_firstPage && !p.newPage()) return false;
  m_firstPage = false;
  // The painter's origin is the printable area's corner: the recorded page
  // covers the paper, so it starts the unprintable margins before it.
  QRectF paper = p.paperRect(QPrinter::DevicePixel);
  QRectF printable = p.pageRect(QPrinter::DevicePixel);
  QRectF target(-printable.left(), -printable.top(), paper.width(), paper.height());
  return playPage(*m_painter, *page, target);
}

bool QtPrinter::endDocument() {
  if (!m_painter) return false;
  bool ok = m_painter->end();
  m_painter.reset();
  m_filePrinter.reset();
  return ok;
}

std::unique_ptr<PrinterDevice> makePdfPrinter(const std::string& pdfPath) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  setUpPdf(*printer);
  printer->setOutputFileName(QString::fromStdString(pdfPath));
  return std::make_unique<QtPrinter>(std::move(printer));
}

void installQtPrinter(std::function<QPrinter&()> printer) {
  g_installed = std::make_unique<QtPrinter>(std::move(printer));
  setPrinterDevice(g_installed.get());
}

void uninstallQtPrinter() {
  setPrinterDevice(nullptr);
  g_installed.reset();
}

}  // namespace linkar::ui::qt
