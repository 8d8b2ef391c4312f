// A report: a declared structure of bands that a report procedure prints
// one detail band at a time. The report lays the bands out on pages (page
// header, detail bands top-down in the detail area, page footer and form),
// numbers the pages and either prints each finished page at once or, when
// previewed, records it in a page file whose name joins the preview queue.
//
// Lifecycle: closed -> open() -> print()/endPage() -> close(). Page files
// live until close(); the destructor closes an open report without
// completing its last page, so an abandoned report prints nothing more and
// leaves no page file behind.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/picture.h"
#include "reports/band_layout.h"
#include "ui/catalogue.h"
#include "ui/printer.h"

namespace linkar::reports {

// Page file names in page order.
using PreviewQueue = std::vector<std::string>;

// The text a band field shows for the variable its `use` names (before its
// picture is applied); nullopt when the name denotes nothing.
using FieldValues = std::function<std::optional<std::string>(std::string_view use)>;

class PagePainter;

// The name a page-footer field uses to show the page number.
inline constexpr std::string_view kPageNumberName = "ReportPageNumber";

class Report : private PageSink {
 public:
  // `label` names a report structure of the catalogue, e.g.
  // "PRINTURL:K_LOCATION$REPORT"; the catalogue must outlive the report.
  Report(const ui::Catalogue& catalogue, std::string_view module, std::string_view label);
  ~Report();
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  // OPEN: runtime error 525 when already open. With a queue the report is
  // previewed: each page goes to a page file named in the queue.
  void open(PreviewQueue* queue = nullptr);
  // PRINT one band, found by its `use` name ("Detail"); its fields show the
  // current values of the variables they use. Runtime error 538 when the
  // structure is not a report.
  void print(std::string_view band = "Detail");
  // ENDPAGE: finishes the current page. Runtime error 539 when the
  // structure is not a report.
  void endPage();
  // 1: prints the queued pages through printerDevice(), once the report is
  // no longer previewing (setPreviewing(false)); nothing otherwise.
  void setFlushPreview(int on);
  // CLOSE: completes the last page, deletes every page file written and
  // ends the print document if one was begun.
  void close();

  // Only pages first..last are output (numbered as in the whole report).
  void setPageRange(int first, int last);
  // Where the fields' values come from; by default the names bound for the
  // expression evaluator (a file's record fields under their labels).
  void setFieldValues(FieldValues values);
  // Ends previewing (the preview has been shown): flush-preview may then
  // print the queue. Pages completed afterwards still go to the queue.
  void setPreviewing(bool on) { m_previewing = on; }
  // How a detail band (by its `use` name) is laid out: no vertical space,
  // absolute placement, opening or closing a keep-together group.
  void setBandFlags(std::string_view band, const BandFlags& flags);
  // Printing goes to this file (PDF) instead of the printer; empty: the
  // printer. With no printer and no file, printing asks for a file in the
  // "Print To File..." dialog (inside a procedure thread); cancelling it
  // prints nothing.
  void setPrintToFile(std::string path) { m_printToFile = std::move(path); }
  const std::string& printToFile() const { return m_printToFile; }
  // Whether the form band is drawn on each page (it is by default).
  void setDrawForm(bool on) { m_drawForm = on; }

  bool isOpen() const { return m_open; }
  bool failed() const { return m_failed; }
  int pageCount() const { return m_emitted; }   // pages emitted
  int pageNumber() const { return m_pageNumber; }
  const std::vector<std::string>& pageFiles() const { return m_pageFiles; }
  const ui::Structure& structure() const { return *m_structure; }
  // The hidden report window's handle while open inside a procedure
  // thread, else 0.
  int handle() const { return m_window; }

 private:
  struct Band {
    int control = -1;                  // index into the structure's controls
    BandFlags flags;
  };
  // A printed band with its fields' texts as they were at PRINT: a band
  // held in a keep-together group is drawn later.
  struct Printed {
    const Band* band = nullptr;
    std::map<int, std::string> texts;  // by control index
  };

  // ---- PageSink ----
  void startPage() override;
  void drawBand(const void* band, int y) override;
  void finishPage() override;

  void findBands();
  const Band* detailBand(std::string_view use) const;
  void drawFixedBand(int control);
  std::string controlText(int index, const ui::ControlDecl& c);
  bool pageInRange() const;
  void outputPage(const std::string& bytes);
  void flushQueue();
  void finishClose(bool completeLastPage);
  bool startDocument();
  bool askPrintToFile();
  void deletePageFiles();

  const ui::Structure* m_structure = nullptr;
  std::vector<Band> m_details;
  int m_header = -1, m_footer = -1, m_form = -1;
  std::vector<runtime::CompiledPicture> m_pictures;   // by control index
  std::unique_ptr<PagePainter> m_painter;
  std::unique_ptr<BandLayout> m_layout;
  std::deque<Printed> m_printed;       // bands not yet drawn, and the one being drawn
  ui::PageMetrics m_metrics;
  FieldValues m_values;
  PreviewQueue* m_queue = nullptr;
  std::string m_printToFile;
  bool m_nowhereToPrint = false;             // no printer and the user named no file
  std::vector<std::string> m_pageFiles;
  int m_firstPage = 0, m_lastPage = 0;       // 0: no range
  int m_pageNumber = 1;
  int m_emitted = 0;
  int m_window = 0;                          // the hidden report window, when inside a procedure thread
  bool m_open = false;
  bool m_previewing = false;
  bool m_documentStarted = false;
  bool m_failed = false;
  bool m_drawForm = true;
};

// PRINT and ENDPAGE as procedures write them, on a window handle: the
// report open under that handle, else runtime error 538 or 539.
void printBand(int handle, std::string_view band = "Detail");
void endPage(int handle);

}  // namespace linkar::reports
