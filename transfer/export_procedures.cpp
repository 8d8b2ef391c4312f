// Export and ExportToHTML.
//
// ExportToHTML:
//   the new file beside the named one, TransferFile and LINKAR opened
//   progress window; on its opening the head of the page and the first site
//   timer ticks: each site's lines, until the last site or Cancel
//   the end of the page, QUICKSCAN off, files released
//   page flushed and put in place of the named file; a failed write or
//   replacement is shown (message 35 naming the file) and the named file
//   keeps what it held
#include "transfer/export_procedures.h"

#include "app/file_use.h"
#include "app/procedure_frame.h"
#include "app/procedure_registry.h"
#include "app/records.h"
#include "app/shared_variables.h"
#include "app/standard_warning.h"
#include "platform/file_system.h"
#include "runtime/date.h"
#include "runtime/fixed_text.h"
#include "runtime/picture.h"
#include "runtime/picture_format.h"
#include "storage/layer/file_statements.h"
#include "transfer/batch_loop.h"
#include "transfer/export_file.h"
#include "transfer/export_page.h"
#include "transfer/export_sites.h"
#include "ui/statements.h"

namespace linkar::transfer {
namespace {

constexpr const char* kExportProcedure = "Export";
constexpr const char* kExportWindow = "EXPORT$WINDOW";
constexpr const char* kWriterProcedure = "ExportToHTML";
constexpr const char* kProgressWindow = "EXPORTTOHTML$PROGRESSWINDOW";
constexpr const char* kActivity = "";
constexpr const char* kDatePicture = "@D4";
constexpr const char* kQuickScanOn = "QUICKSCAN=on";
constexpr const char* kQuickScanOff = "QUICKSCAN=off";
constexpr int kMsgWriteError = 35;

constexpr const char* kNameUse = "TransferFileName";
constexpr const char* kLookupUse = "LookupFile";
constexpr const char* kOkUse = "OK";
constexpr const char* kCancelUse = "Cancel";
constexpr const char* kDialogTitle = "Choose a File";
constexpr const char* kDialogFilters = "All Files|*.*|Hypertext Markup files|*.htm|HTML files|*.html";
constexpr size_t kDialogNameWidth = 80;

ExportCounts g_lastCounts;

std::string today() {
  return std::string(runtime::trimLeadingBlanks(
      runtime::formatNumber(runtime::compilePicture(kDatePicture), runtime::todayDayNumber())));
}

// The sites of LINKAR into the page, one a work item.
class ExportWork final : public BatchWork {
 public:
  ExportWork(ExportPage& page, const ExportFile& file) : m_page(page), m_file(file) {}
  int64_t total() override { return m_sites.count(); }
  BatchRead first() override {
    BatchRead read = m_sites.first();
    m_page.header(today());
    return read;
  }
  void process() override { m_page.site(m_sites.site()); }
  // A failed write ends the run: nothing after it could reach the page.
  BatchRead next() override { return m_file.failed() ? BatchRead{} : m_sites.next(); }

 private:
  ExportPage& m_page;
  const ExportFile& m_file;
  ExportSites m_sites;
};

// Runs the batch loop over the sites into the open file; true when every
// site was written.
bool writeSites(app::ProcedureFrame& frame, ExportFile& file, ExportPage& page) {
  app::FileUse sites(app::LINKAR, app::LinkarOpenCount());
  bool completed = false;
  {
    ExportWork work(page, file);
    BatchLoop loop(frame, {kProgressWindow, kActivity});
    storage::fileSend(app::LINKAR, kQuickScanOn);
    completed = loop.run(work);
    page.trailer();
    storage::fileSend(app::LINKAR, kQuickScanOff);
  }
  return completed;
}

// Writes the page; returns the response.
int32_t exportPage(app::ProcedureFrame& frame, const std::string& name) {
  ExportFile file(name);
  if (!file.open()) {
    app::StandardWarning(kMsgWriteError, name);
    return app::kResponseCancelled;
  }
  ExportPage page(file);
  bool completed = writeSites(frame, file, page);
  g_lastCounts.sites = page.sites();
  g_lastCounts.categories = page.categories();
  if (file.failed()) {
    file.postWriteError();
    app::StandardWarning(kMsgWriteError, name);
    return app::kResponseCancelled;
  }
  if (!file.replace()) {
    if (file.failed()) file.postWriteError();
    app::StandardWarning(kMsgWriteError, name);
    return app::kResponseCancelled;
  }
  g_lastCounts.replaced = true;
  return completed ? app::kResponseCompleted : app::kResponseCancelled;
}

// Working directory and LastFileDirectory as the window leaves them.
void backToStartupDirectory() {
  std::string here;
  if (platform::currentDirectory(&here) == 0) app::LastFileDirectory = here;
  platform::changeCurrentDirectory(app::StartupDirectory.str());
}

void lookupFile() {
  std::string name = app::TransferFileName.str();
  if (name.empty()) name = app::LastFileDirectory.str();
  name = name.substr(0, std::min(name.size(), kDialogNameWidth));
  if (ui::fileDialog(kDialogTitle, name, kDialogFilters)) {
    app::TransferFileName = name;
    ui::display();
  }
}

void bindName(int window) {
  ui::Window& w = *ui::engine().window(window);
  w.bind(w.fieldOf(kNameUse), ui::Binding{[] { return std::string(app::TransferFileName.view()); },
                                          [](std::string_view text) { app::TransferFileName = text; }});
}

}  // namespace

ExportCounts lastExportCounts() { return g_lastCounts; }

std::string exportSummaryLine(const ExportCounts& c, const std::string& name) {
  return "exported " + std::to_string(c.sites) + (c.sites == 1 ? " site" : " sites") + " in " +
         std::to_string(c.categories) + (c.categories == 1 ? " category" : " categories") + " to " + name;
}

void ExportToHTML() {
  app::ProcedureFrame frame(kWriterProcedure);
  g_lastCounts = {};
  const std::string name = app::TransferFileName.str();
  frame.setResponse(exportPage(frame, name));
  frame.finish();
}

void Export() {
  app::ProcedureFrame frame(kExportProcedure);
  frame.setResponse(app::kResponseCancelled);
  const int window = frame.openWindow(kExportWindow);
  bindName(window);
  ui::Window& w = *ui::engine().window(window);
  const int lookup = w.fieldOf(kLookupUse);
  const int ok = w.fieldOf(kOkUse);
  const int cancel = w.fieldOf(kCancelUse);
  while (ui::acceptEvent()) {
    if (frame.handleCommonEvent([] { ui::display(); }, [] { ui::display(); })) continue;
    if (ui::event() != ui::Event::Accepted) continue;
    const int field = ui::field();
    if (field == lookup) {
      lookupFile();
    } else if (field == ok) {
      ui::update();
      ExportToHTML();
      backToStartupDirectory();
      ui::post(ui::Event::CloseWindow);
    } else if (field == cancel) {
      backToStartupDirectory();
      ui::post(ui::Event::CloseWindow);
    }
  }
  frame.setResponse(app::kResponseCancelled);
  frame.finish();
}

void registerExportProcedures() {
  app::registerProcedure(kExportProcedure, Export);
  app::registerProcedure(kWriterProcedure, ExportToHTML);
}

}  // namespace linkar::transfer
