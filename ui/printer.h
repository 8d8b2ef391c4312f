// The program's printer as the report engine sees it: its page metrics in
// device pixels, and a print document made of recorded pages. The desktop
// installs a device over the system's printers; without one, a headless
// device of the locale's paper at 600 dpi lays reports out and prints nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace linkar::ui {

// Device pixels; the margins are the unprintable edges of the paper, and the
// printable area starts at (marginLeft, marginTop) on the paper.
struct PageMetrics {
  int dpiX = 0, dpiY = 0;
  int printableWidth = 0, printableHeight = 0;
  int marginLeft = 0, marginTop = 0;
};

class PrinterDevice {
 public:
  virtual ~PrinterDevice() = default;
  // False when there is nowhere to print: the system has no printer and no
  // file was named. Reports still lay out, with the metrics of a PDF printer.
  virtual bool available() = 0;
  virtual PageMetrics metrics() = 0;
  // Empty when the printer can be used; otherwise why it cannot (a failure
  // other than a missing printer).
  virtual std::string failure() { return {}; }
  // The next document goes to this file, as PDF, instead of the printer;
  // false when the device cannot write files.
  virtual bool printToFile(const std::string& path) {
    (void)path;
    return false;
  }
  virtual bool beginDocument(std::string_view title) = 0;
  // Replays one recorded page file as one printed page.
  virtual bool printPageFile(const std::string& pagePath) = 0;
  virtual bool endDocument() = 0;
};

// The headless device: the locale's paper (letter or A4) at 600 dpi with a
// quarter-inch unprintable edge; it takes every page, keeps the names of the
// pages and files it is given and prints nothing.
class RecordingPrinter : public PrinterDevice {
 public:
  RecordingPrinter();
  explicit RecordingPrinter(const PageMetrics& metrics) : m_metrics(metrics) {}

  bool available() override { return true; }
  PageMetrics metrics() override { return m_metrics; }
  bool printToFile(const std::string& path) override;
  bool beginDocument(std::string_view title) override;
  bool printPageFile(const std::string& pagePath) override;
  bool endDocument() override;

  // The documents begun and the pages printed, in order.
  const std::vector<std::string>& titles() const { return m_titles; }
  const std::vector<std::string>& pages() const { return m_pages; }
  const std::vector<std::string>& files() const { return m_files; }
  int documentsEnded() const { return m_ended; }

 private:
  PageMetrics m_metrics;
  std::vector<std::string> m_titles;
  std::vector<std::string> m_pages;
  std::vector<std::string> m_files;
  int m_ended = 0;
};

// Whether the locale's paper is letter (the territories that use it) rather
// than A4; LC_ALL, LC_PAPER and LANG are read in that order.
bool localePaperIsLetter();
// The headless metrics of the locale's paper at 600 dpi.
PageMetrics defaultPageMetrics();

// The device reports print to. `device` is not owned and must outlive its
// use; null restores the headless default.
void setPrinterDevice(PrinterDevice* device);
PrinterDevice& printerDevice();

}  // namespace linkar::ui
