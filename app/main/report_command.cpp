// The report command.
#include "report_command.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/main_frame.h"
#include "app/shared_variables.h"
#include "command_line.h"
#include "headless_session.h"
#include "platform/file_system.h"
#include "reports/listing_reports.h"
#include "runtime/error_texts.h"
#include "ui/printer.h"

#ifdef LINKAR_WITH_QT
#include <QGuiApplication>

#include "ui/qt/qt_printer.h"
#endif

namespace linkar::app::cli {
namespace {

constexpr const char* kUsage =
    "location|category|rating|keyword|description|categories --pdf FILE [--data DIR]";
constexpr const char* kPreviewLabel = "REPORTPREVIEW$PREVIEWWINDOW";
constexpr const char* kPrintUse = "PrintReport";  // "&Print!"

struct ReportChoice {
  const char* kind;
  const char* procedure;
  const char* thing;    // what one record of the listing is, in the summary
  const char* things;
};

const ReportChoice kReports[] = {
    {"location", "PrintURL:K_Location", "site", "sites"},
    {"category", "PrintURL:K_Category", "site", "sites"},
    {"rating", "PrintURL:K_Rating", "site", "sites"},
    {"keyword", "PrintURL:K_Keyword", "site", "sites"},
    {"description", "PrintURL:K_Description", "site", "sites"},
    {"categories", "PrintCAT:K_Category", "category", "categories"},
};

struct ReportArgs {
  std::string kind;
  std::string pdf;
  std::string dataDir;
};

bool parse(const std::vector<std::string>& args, ReportArgs* out) {
  CommandArgs a;
  if (!parseArgs(args, {"--pdf", "--data"}, 1, &a) || a.option("--pdf").empty()) return false;
  out->kind = a.positional[0];
  out->pdf = a.option("--pdf");
  out->dataDir = a.option("--data");
  return true;
}

// The PDF's path, made absolute before --data changes the folder, and
// checked to be writable so that a bad name is told before any work.
[[maybe_unused]] bool pdfPath(const std::string& given, std::string* out) {
  if (platform::absolutePath(given, out) != 0 || !std::ofstream(*out)) {
    std::fprintf(stderr, "linkar: cannot write %s\n", given.c_str());
    return false;
  }
  return true;
}

int runReportCommand(const std::vector<std::string>& args) {
  ReportArgs a;
  if (!parse(args, &a)) return usageError("report");
  const ReportChoice* choice = nullptr;
  for (const ReportChoice& c : kReports)
    if (a.kind == c.kind) choice = &c;
  if (!choice) return usageError("report");
#ifdef LINKAR_WITH_QT
  std::string pdf;
  if (!pdfPath(a.pdf, &pdf)) return kExitNotDone;
  if (!useDataFolder(a.dataDir)) {
    std::filesystem::remove(pdf);
    return kExitNotDone;
  }
  // The page player measures and draws text with the desktop's fonts; no
  // window is ever shown.
  int argc = 1;
  char name[] = "linkar";
  char* argv[] = {name, nullptr};
  std::optional<QGuiApplication> application;
  if (!QCoreApplication::instance()) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    application.emplace(argc, argv);
  }
  std::unique_ptr<ui::PrinterDevice> printer = ui::qt::makePdfPrinter(pdf);
  ui::setPrinterDevice(printer.get());
  initSharedVariables();
  const reports::ListingKind& kind = *reports::findListing(choice->procedure);
  SessionOutcome outcome = runHeadless([&kind] { reports::runListing(kind); }, kBrowseStack, {},
                                       {{kPreviewLabel, kPrintUse}});
  ui::setPrinterDevice(nullptr);
  printer.reset();
  const reports::ListingCounts counts = reports::lastListingCounts();
  std::error_code ec;
  const bool written = std::filesystem::file_size(pdf, ec) > 0 && !ec;
  // The empty file made to try the name goes again when nothing was printed.
  if (!written) std::filesystem::remove(pdf, ec);
  if (outcome.runtimeError) return kExitRuntimeError;
  if (outcome.ended) return kExitNotDone;
  if (!counts.printed) {
    std::fprintf(stderr, "linkar: nothing printed: there are no %s\n", choice->things);
    return kExitNotDone;
  }
  if (!written) {
    std::fprintf(stderr, "linkar: the PDF could not be written to %s\n", a.pdf.c_str());
    return kExitRuntimeError;
  }
  std::printf("printed %lld %s on %d %s to %s\n", static_cast<long long>(counts.records),
              counts.records == 1 ? choice->thing : choice->things, counts.pages, counts.pages == 1 ? "page" : "pages",
              a.pdf.c_str());
  return kExitDone;
#else
  std::fprintf(stderr, "linkar: this build has no Qt 6, which writes the PDF; install qt6-base-dev and build again\n");
  return kExitNotDone;
#endif
}

}  // namespace

void registerReportCommand() {
  registerCommand({"report", kUsage,
                   "prints one of the six listings (sites by location, category, rating, keyword or description, "
                   "or the categories) to a PDF file",
                   runReportCommand});
}

}  // namespace linkar::app::cli
