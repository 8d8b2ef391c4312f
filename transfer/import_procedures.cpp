// The three imports: how each differs from the shared course.
#include "transfer/import_procedures.h"

#include <memory>

#include "app/procedure_registry.h"
#include "transfer/ascii_scan.h"
#include "transfer/export_procedures.h"
#include "transfer/html_scan.h"
#include "transfer/import_run.h"
#include "transfer/other_scan.h"

namespace linkar::transfer {
namespace {

const ImportKind kHtml{"ImportHTML", "IMPORTHTML$PROGRESSWINDOW", CategoryLookup::kSelectCategory, true,
                       CategoryRule::kChosenOrHeading};
const ImportKind kAscii{"ImportASCII", "IMPORTASCII$PROGRESSWINDOW", CategoryLookup::kSelectCategories, true,
                        CategoryRule::kChosenOrNew};
const ImportKind kOther{"ImportOther", "IMPORTOTHER$PROGRESSWINDOW", CategoryLookup::kNone, false,
                        CategoryRule::kChosenOrNew};

}  // namespace

void ImportHTML() {
  runImport(kHtml, [] {
    auto scan = std::make_shared<HtmlScan>();
    return [scan](std::string_view line, const SiteSink& sink) { scan->scanLine(line, sink); };
  });
}

void ImportASCII() {
  runImport(kAscii, [] { return LineScan(scanAsciiLine); });
}

void ImportOther() {
  runImport(kOther, [] {
    auto scan = std::make_shared<OtherScan>();
    return [scan](std::string_view line, const SiteSink& sink) { scan->scanLine(line, sink); };
  });
}

void registerProcedures() {
  app::registerProcedure("ImportHTML", ImportHTML);
  app::registerProcedure("ImportASCII", ImportASCII);
  app::registerProcedure("ImportOther", ImportOther);
  registerExportProcedures();
}

}  // namespace linkar::transfer
