// The shared course of an import:
//   file dialog -> cancelled or blank: end, nothing read, cancelled
//   category lookup (when the import has one)
//   TransferFile, Categories, LINKAR opened (CheckOpen, open counters)
//   progress window, QUICKSCAN on, batch loop over the lines
//   QUICKSCAN off, files released, SharedResponse, summary in the status bar
#include "transfer/import_run.h"

#include <string>

#include "app/file_use.h"
#include "app/procedure_frame.h"
#include "app/records.h"
#include "app/shared_variables.h"
#include "platform/file_system.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"
#include "transfer/batch_loop.h"
#include "transfer/category_lookups.h"
#include "transfer/transfer_lines.h"
#include "ui/statements.h"

namespace linkar::transfer {
namespace {

constexpr const char* kDialogTitle = "Select File";
constexpr const char* kDialogFilters = "All Files|*.*|HTML Files (*.htm)|*.htm|Text Files (*.txt)|*.txt";
constexpr const char* kActivity = "Reading File";
constexpr const char* kQuickScanOn = "QUICKSCAN=on";
constexpr const char* kQuickScanOff = "QUICKSCAN=off";
constexpr int kSummaryZone = 1;

ImportCounts g_lastCounts;

// The file dialog over TransferFileName; false when nothing was chosen.
bool chooseFile(const ImportKind& kind) {
  if (kind.dialogInLastDirectory) platform::changeCurrentDirectory(app::LastFileDirectory.str());
  std::string name(app::TransferFileName.str());
  bool chosen = ui::fileDialog(kDialogTitle, name, kDialogFilters);
  chosen = chosen && !runtime::trimTrailingBlanks(name).empty();
  if (chosen) app::TransferFileName = name;
  if (!chosen && kind.dialogInLastDirectory) {
    std::string here;
    if (platform::currentDirectory(&here) == 0) app::LastFileDirectory = here;
  }
  platform::changeCurrentDirectory(app::StartupDirectory.str());
  return chosen;
}

// The category picked in the lookup, or blank.
std::string chosenCategory(CategoryLookup lookup) {
  if (lookup == CategoryLookup::kNone) return {};
  app::SharedRequest = app::kRequestSelect;
  const CategoryLookups& lookups = categoryLookups();
  const auto& call = lookup == CategoryLookup::kSelectCategory ? lookups.selectCategory : lookups.selectCategories;
  if (call) call();
  std::string chosen;
  if (app::SharedResponse == app::kResponseCompleted) chosen = runtime::fixedView(app::CAT().Category, sizeof app::CAT().Category);
  app::SharedResponse = app::kResponseCancelled;
  return chosen;
}

// The lines of TransferFile through one scan into the site writer.
class ImportWork : public BatchWork {
 public:
  ImportWork(LineScan scan, SiteWriter& writer) : m_scan(std::move(scan)), m_writer(writer) {
    m_sink = [this](const FoundSite& site) { m_writer.write(site); };
  }
  int64_t total() override { return m_lines.fileSize(); }
  BatchRead first() override { return m_lines.first(); }
  void process() override { m_scan(m_lines.line(), m_sink); }
  BatchRead next() override { return m_lines.next(); }
  void beginPortion() override { m_writer.beginBatch(); }
  void endPortion() override { m_writer.endBatch(); }

 private:
  TransferLines m_lines;
  LineScan m_scan;
  SiteWriter& m_writer;
  SiteSink m_sink;
};

void showSummary(const std::string& summary) {
  for (ui::Window* w : ui::engine().registry().windows()) {
    if (w->kind() != ui::WindowKind::Application) continue;
    w->setStatusText(kSummaryZone, summary);
    ui::engine().backend().windowChanged(*w);
  }
}

// The files are open from here to the end of the run.
bool readFile(const ImportKind& kind, app::ProcedureFrame& frame, const std::string& chosen, const LineScan& scan) {
  app::FileUse transfer(app::TransferFile, app::TransferFileOpenCount());
  app::FileUse categories(app::Categories, app::CategoriesOpenCount());
  app::FileUse sites(app::LINKAR, app::LinkarOpenCount());
  SiteWriter writer(chosen, kind.rule, [](const std::string& message) { ui::stop(message); });
  bool completed = false;
  {
    ImportWork work(scan, writer);
    BatchLoop loop(frame, {kind.window, kActivity});
    storage::fileSend(app::TransferFile, kQuickScanOn);
    completed = loop.run(work);
    storage::fileSend(app::TransferFile, kQuickScanOff);
  }
  writer.endBatch();
  g_lastCounts = writer.counts();
  return completed;
}

}  // namespace

ImportCounts lastImportCounts() { return g_lastCounts; }

void runImport(const ImportKind& kind, const std::function<LineScan()>& makeScan) {
  app::ProcedureFrame frame(kind.procedure);
  frame.setResponse(app::kResponseCancelled);
  g_lastCounts = {};
  if (chooseFile(kind)) {
    std::string chosen = chosenCategory(kind.lookup);
    bool completed = readFile(kind, frame, chosen, makeScan());
    frame.setResponse(completed ? app::kResponseCompleted : app::kResponseCancelled);
    showSummary(summaryLine(g_lastCounts));
  }
  frame.finish();
}

}  // namespace linkar::transfer
