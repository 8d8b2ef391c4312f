// The headless printer and the program's current printer device.
#include "ui/printer.h"

#include <array>
#include <cstdlib>
#include <memory>

namespace linkar::ui {

namespace {

constexpr int kDefaultDpi = 600;
// Paper sizes in thousandths of an inch.
constexpr int kLetterWidth = 8500, kLetterHeight = 11000;
constexpr int kA4Width = 8268, kA4Height = 11693;  // 210 x 297 mm
constexpr int kDefaultMargin = 250;                // quarter inch
constexpr int kMilsPerInch = 1000;

// Territories whose paper is letter.
constexpr std::array<std::string_view, 9> kLetterTerritories = {"US", "CA", "MX", "PH", "CL",
                                                                "CO", "VE", "PR", "GT"};

PrinterDevice* g_device = nullptr;

RecordingPrinter& headless() {
  static RecordingPrinter printer;
  return printer;
}

}  // namespace

bool localePaperIsLetter() {
  const char* value = nullptr;
  for (const char* name : {"LC_ALL", "LC_PAPER", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) {
      value = v;
      break;
    }
  }
  if (!value) return false;
  std::string_view locale(value);
  size_t underscore = locale.find('_');
  if (underscore == std::string_view::npos) return false;
  std::string_view territory = locale.substr(underscore + 1, 2);
  for (auto t : kLetterTerritories)
    if (t == territory) return true;
  return false;
}

PageMetrics defaultPageMetrics() {
  bool letter = localePaperIsLetter();
  int width = letter ? kLetterWidth : kA4Width;
  int height = letter ? kLetterHeight : kA4Height;
  PageMetrics m;
  m.dpiX = m.dpiY = kDefaultDpi;
  m.marginLeft = m.marginTop = kDefaultMargin * kDefaultDpi / kMilsPerInch;
  m.printableWidth = width * kDefaultDpi / kMilsPerInch - 2 * m.marginLeft;
  m.printableHeight = height * kDefaultDpi / kMilsPerInch - 2 * m.marginTop;
  return m;
}

RecordingPrinter::RecordingPrinter() : m_metrics(defaultPageMetrics()) {}

bool RecordingPrinter::printToFile(const std::string& path) {
  m_files.push_back(path);
  return true;
}

bool RecordingPrinter::beginDocument(std::string_view title) {
  m_titles.emplace_back(title);
  return true;
}

bool RecordingPrinter::printPageFile(const std::string& pagePath) {
  m_pages.push_back(pagePath);
  return true;
}

bool RecordingPrinter::endDocument() {
  ++m_ended;
  return true;
}

void setPrinterDevice(PrinterDevice* device) { g_device = device; }

PrinterDevice& printerDevice() { return g_device ? *g_device : headless(); }

}  // namespace linkar::ui
