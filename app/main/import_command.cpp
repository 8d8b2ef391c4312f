// The import command.
#include "import_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/file_use.h"
#include "app/main_frame.h"
#include "app/records.h"
#include "app/select_categories.h"
#include "app/shared_variables.h"
#include "command_line.h"
#include "headless_session.h"
#include "platform/file_system.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/error_texts.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"
#include "transfer/category_lookups.h"
#include "transfer/import_procedures.h"
#include "transfer/import_run.h"

namespace linkar::app::cli {
namespace {

struct ImportArgs {
  std::string kind;
  std::string file;
  std::string category;
  bool hasCategory = false;
  std::string dataDir;
};

struct ImportChoice {
  const char* kind;
  ui::Procedure procedure;
};

const ImportChoice kImports[] = {
    {"html", transfer::ImportHTML},
    {"text", transfer::ImportASCII},
    {"scan", transfer::ImportOther},
};

bool parse(const std::vector<std::string>& args, ImportArgs* out) {
  CommandArgs a;
  if (!parseArgs(args, {"--category", "--data"}, 2, &a)) return false;
  out->kind = a.positional[0];
  out->file = a.positional[1];
  out->category = a.option("--category");
  out->hasCategory = a.has("--category");
  out->dataDir = a.option("--data");
  return true;
}

// The command line has no other way to make a category: NAME is added to
// Categories when it is not there yet.
void addCategory(const std::string& name) {
  FileUse categories(Categories, CategoriesOpenCount());
  runtime::assignFixed(CAT().Category, sizeof CAT().Category, name);
  storage::fileGet(Categories, CAT_K_CATEGORY);
  int32_t rc = runtime::errorCode();
  if (rc == runtime::err::kRecordNotFound || rc == runtime::err::kRecordNotAvailable) {
    runtime::assignFixed(CAT().Category, sizeof CAT().Category, name);
    storage::fileAdd(Categories);
  }
}

// The lookups themselves run, and the session answers their windows: with
// NAME, the lookup opens on it and "&Select" takes it; without, "Best
// Guess" and "Close" choose no category.
std::vector<WindowAnswer> answerLookupsWith(const ImportArgs& a) {
  if (!a.hasCategory) {
    transfer::categoryLookups() = {SelectCategory, SelectCategories};
    return {{"SELECTCATEGORY$QUICKWINDOW", "BestGuess"}, {"SELECTCATEGORIES$QUICKWINDOW", "Close"}};
  }
  auto openOn = [name = a.category](void (*lookup)()) {
    return [name, lookup] {
      const int32_t request = SharedRequest;
      addCategory(name);
      runtime::assignFixed(CAT().Category, sizeof CAT().Category, name);
      SharedRequest = request;
      lookup();
    };
  };
  transfer::categoryLookups() = {openOn(SelectCategory), openOn(SelectCategories)};
  return {{"SELECTCATEGORY$QUICKWINDOW", "Select"}, {"SELECTCATEGORIES$QUICKWINDOW", "Select"}};
}

int runImportCommand(const std::vector<std::string>& args) {
  ImportArgs a;
  if (!parse(args, &a)) return usageError("import");
  const ImportChoice* choice = nullptr;
  for (const ImportChoice& c : kImports)
    if (a.kind == c.kind) choice = &c;
  if (!choice) return usageError("import");
  std::string file;
  if (platform::absolutePath(a.file, &file) != 0 || !std::ifstream(file) || platform::directoryExists(file)) {
    std::fprintf(stderr, "linkar: cannot read %s: %s\n", a.file.c_str(),
                 platform::directoryExists(file) ? "it is a folder" : std::strerror(errno ? errno : ENOENT));
    return kExitNotDone;
  }
  if (!useDataFolder(a.dataDir)) return kExitNotDone;
  initSharedVariables();
  const std::vector<WindowAnswer> answers = answerLookupsWith(a);
  SharedResponse = kResponseCancelled;
  SessionOutcome outcome = runHeadless(choice->procedure, kTransferStack, file, answers);
  if (outcome.runtimeError) return kExitRuntimeError;
  std::printf("%s\n", transfer::summaryLine(transfer::lastImportCounts()).c_str());
  return !outcome.ended && SharedResponse == kResponseCompleted ? kExitDone : kExitNotDone;
}

}  // namespace

void registerImportCommand() {
  registerCommand({"import", "html|text|scan FILE [--category NAME] [--data DIR]",
                   "adds the sites of a bookmark file (html), of quoted \"location\",\"description\",\"information\" "
                   "lines (text) or every address written in any text (scan) to LINKAR.SDF",
                   runImportCommand});
}

}  // namespace linkar::app::cli
