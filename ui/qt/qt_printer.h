// The program's printer over Qt PrintSupport: the system's default printer
// (CUPS), or with no printer at all a PDF printer of the locale's paper at
// 600 dpi, so reports still lay out and preview. Pages are replayed from
// their page files with the page player.
#pragma once

#include <QPrinter>
#include <QPainter>
#include <functional>
#include <memory>
#include <string>

#include "ui/printer.h"

namespace linkar::ui::qt {

// A printer set up as reports want it: the default printer at its own
// resolution, else a PDF printer (locale's paper, 600 dpi).
std::unique_ptr<QPrinter> makeSystemPrinter();

class QtPrinter : public PrinterDevice {
 public:
  // The printer is fetched at every use, so the print set-up dialog's
  // changes apply to the next report.
  explicit QtPrinter(std::function<QPrinter&()> printer);
  // Owns its printer.
  explicit QtPrinter(std::unique_ptr<QPrinter> printer);
  ~QtPrinter() override;

  bool available() override;
  PageMetrics metrics() override;
  std::string failure() override;
  bool printToFile(const std::string& path) override;
  bool beginDocument(std::string_view title) override;
  bool printPageFile(const std::string& pagePath) override;
  bool endDocument() override;

  QPrinter& printer() { return m_printer(); }
  // The printer the open document goes to.
  QPrinter& target() { return m_filePrinter ? *m_filePrinter : m_printer(); }

 private:
  std::unique_ptr<QPrinter> m_owned;
  std::function<QPrinter&()> m_printer;
  std::string m_toFile;                  // the next document's file, if named
  std::unique_ptr<QPrinter> m_filePrinter;  // writes that document
  std::unique_ptr<QPainter> m_painter;   // while a document is open
  bool m_firstPage = true;
};

// A printer that writes a PDF file (locale's paper, 600 dpi).
std::unique_ptr<PrinterDevice> makePdfPrinter(const std::string& pdfPath);

// Makes a QtPrinter over `printer` the program's printer device until
// uninstallQtPrinter().
void installQtPrinter(std::function<QPrinter&()> printer);
void uninstallQtPrinter();

}  // namespace linkar::ui::qt
