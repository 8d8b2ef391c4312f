// The course every listing takes:
//   file opened (CheckOpen, its use counter), its record bound for the bands
//   progress window "Generating Report", QUICKSCAN on, batch loop:
//     opened: key order from the first entry, view, first record; none: end
//             (no report); else the report is opened in preview mode
//     timer:  print the record's band, read the next; the end completes
//     Cancel: cancelled, no preview
//   QUICKSCAN off; completed: last page ended, preview, flush if printing
//   report closed (its page files deleted), file released, SharedResponse
#include "reports/listing_reports.h"

#include <cctype>

#include "app/catalogue.h"
#include "app/file_use.h"
#include "app/procedure_frame.h"
#include "app/procedure_registry.h"
#include "app/record_bindings.h"
#include "app/records.h"
#include "app/shared_variables.h"
#include "app/standard_warning.h"
#include "reports/report.h"
#include "reports/report_preview.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/view_engine.h"
#include "transfer/batch_loop.h"
#include "ui/statements.h"

namespace linkar::reports {
namespace {

constexpr const char* kCaption = "Generating Report";
constexpr const char* kActivity = "";
constexpr const char* kDetailBand = "Detail";
constexpr const char* kQuickScanOn = "QUICKSCAN=on";
constexpr const char* kQuickScanOff = "QUICKSCAN=off";
constexpr int kMsgReadError = 35;
constexpr int kMsgViewError = 36;
// A view reads the file; nobody is kept from it.
constexpr int32_t kViewMode = storage::kAccessRead | storage::kDenyNone;
// Each record read counts one towards the progress.
constexpr int64_t kOneRecord = 1;

const ListingKind kListings[] = {
    {"PrintURL:K_Location", "PrintURL:K_LOCATION", &app::LINKAR, &app::URL_K_LOCATION, app::LinkarOpenCount,
     "LINKAR", "PRINTURL:K_LOCATION$REPORT", "PRINTURL:K_LOCATION$PROGRESSWINDOW"},
    {"PrintURL:K_Category", "PrintURL:K_CATEGORY", &app::LINKAR, &app::URL_K_CATEGORY, app::LinkarOpenCount,
     "LINKAR", "PRINTURL:K_CATEGORY$REPORT", "PRINTURL:K_CATEGORY$PROGRESSWINDOW"},
    {"PrintURL:K_Rating", "PrintURL:K_RATING", &app::LINKAR, &app::URL_K_RATING, app::LinkarOpenCount, "LINKAR",
     "PRINTURL:K_RATING$REPORT", "PRINTURL:K_RATING$PROGRESSWINDOW"},
    {"PrintURL:K_Keyword", "PrintURL:K_KEYWORD", &app::LINKAR, &app::URL_K_KEYWORD, app::LinkarOpenCount,
     "LINKAR", "PRINTURL:K_KEYWORD$REPORT", "PRINTURL:K_KEYWORD$PROGRESSWINDOW"},
    {"PrintURL:K_Description", "PrintURL:K_DESCRIPTION", &app::LINKAR, &app::URL_K_DESCRIPTION,
     app::LinkarOpenCount, "LINKAR", "PRINTURL:K_DESCRIPTION$REPORT", "PRINTURL:K_DESCRIPTION$PROGRESSWINDOW"},
    {"PrintCAT:K_Category", "PrintCAT:K_CATEGORY", &app::Categories, &app::CAT_K_CATEGORY,
     app::CategoriesOpenCount, "Categories", "PRINTCAT:K_CATEGORY$REPORT", "PRINTCAT:K_CATEGORY$PROGRESSWINDOW"},
};

ListingCounts g_lastCounts;

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The file's records in key order, each printed as one detail band. The
// report is opened, in preview mode, once the first record is there.
class ListingWork : public transfer::BatchWork {
 public:
  ListingWork(const ListingKind& kind, app::ProcedureFrame& frame, Report& report, PreviewQueue& queue)
      : m_kind(kind), m_frame(frame), m_report(report), m_queue(queue) {
    storage::initView(m_view, m_order, *kind.file);
  }
  ~ListingWork() override {
    runtime::saveError();
    storage::fileClose(m_view);
    runtime::restoreError();
  }

  int64_t total() override { return storage::fileRecords(*m_kind.file); }

  transfer::BatchRead first() override {
    m_order.keys = {m_kind.key};
    storage::fileSetKey(*m_kind.file, *m_kind.key);
    storage::filePropertySet(m_view, 0, "", "");
    storage::fileOpen(m_view, kViewMode);
    if (runtime::errorCode() != 0) app::StandardWarning(kMsgViewError);
    transfer::BatchRead read = next();
    if (read.ok) m_report.open(&m_queue);
    return read;
  }

  void process() override {
    m_report.print(kDetailBand);
    ++m_printed;
  }

  transfer::BatchRead next() override {
    storage::fileNext(m_view);
    const int32_t rc = runtime::errorCode();
    if (rc == 0) return {true, kOneRecord};
    if (rc != runtime::err::kRecordNotAvailable) app::StandardWarning(kMsgReadError, m_kind.fileName);
    return {};
  }

  int64_t printed() const { return m_printed; }

 private:
  const ListingKind& m_kind;
  app::ProcedureFrame& m_frame;
  Report& m_report;
  PreviewQueue& m_queue;
  storage::ViewOrder m_order;
  storage::ViewDescriptor m_view;
  int64_t m_printed = 0;
};

// The finished pages in the preview; printed when the user chose "&Print!".
bool previewAndPrint(Report& report, const PreviewQueue& queue) {
  report.endPage();
  ReportPreview(queue);
  if (app::SharedResponse != app::kResponseCompleted) return false;
  report.setPreviewing(false);
  report.setFlushPreview(1);
  return true;
}

}  // namespace

const ListingKind* listingKinds(size_t* count) {
  *count = std::size(kListings);
  return kListings;
}

const ListingKind* findListing(std::string_view name) {
  for (const ListingKind& kind : kListings)
    if (sameName(name, kind.procedure) || sameName(name, kind.menuUse)) return &kind;
  return nullptr;
}

ListingCounts lastListingCounts() { return g_lastCounts; }

void runListing(const ListingKind& kind) {
  app::ProcedureFrame frame(kind.procedure);
  frame.setResponse(app::kResponseCancelled);
  g_lastCounts = {};
  PreviewQueue queue;
  Report report(app::programCatalogue(), {}, kind.report);
  app::FileUse use(*kind.file, kind.openCount());
  app::bindRecord(*kind.file);
  bool completed = false;
  {
    ListingWork work(kind, frame, report, queue);
    // A listing's window says what it does, and it ends without a
    // completion line: the preview follows at once.
    transfer::BatchLoop loop(frame, {kind.progressWindow, kActivity, kCaption, ""});
    storage::fileSend(*kind.file, kQuickScanOn);
    completed = loop.run(work);
    g_lastCounts.records = work.printed();
  }
  storage::fileSend(*kind.file, kQuickScanOff);
  // The progress window goes before the preview comes.
  if (frame.windowOpen()) ui::closeWindow(frame.window());
  if (completed) g_lastCounts.printed = previewAndPrint(report, queue);
  g_lastCounts.pages = report.pageCount();
  if (report.isOpen()) report.close();
  queue.clear();
  use.release();
  frame.setResponse(completed ? app::kResponseCompleted : app::kResponseCancelled);
  frame.finish();
}

void registerProcedures() {
  for (const ListingKind& kind : kListings) app::registerProcedure(kind.menuUse, [&kind] { runListing(kind); });
}

}  // namespace linkar::reports
