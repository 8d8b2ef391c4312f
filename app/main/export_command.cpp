// The export command.
#include "export_command.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/shared_variables.h"
#include "command_line.h"
#include "headless_session.h"
#include "platform/file_system.h"
#include "runtime/error_texts.h"
#include "transfer/export_procedures.h"

namespace linkar::app::cli {
namespace {

struct ExportArgs {
  std::string file;
  std::string dataDir;
};

bool parse(const std::vector<std::string>& args, ExportArgs* out) {
  CommandArgs a;
  if (!parseArgs(args, {"--data"}, 1, &a)) return false;
  out->file = a.positional[0];
  out->dataDir = a.option("--data");
  return true;
}

int runExportCommand(const std::vector<std::string>& args) {
  ExportArgs a;
  if (!parse(args, &a)) return usageError("export");
  // FILE is named from where the command was given, before --data moves.
  std::string file;
  if (int rc = platform::absolutePath(a.file, &file); rc != 0 || platform::directoryExists(file)) {
    const std::string why = rc != 0 ? std::string(runtime::errorTextFor(rc)) : "it is a folder";
    std::fprintf(stderr, "linkar: cannot write %s: %s\n", a.file.c_str(), why.c_str());
    return kExitNotDone;
  }
  if (file.size() > kPathTextSize) {
    std::fprintf(stderr, "linkar: cannot write %s: its name is longer than %zu bytes\n", a.file.c_str(), kPathTextSize);
    return kExitNotDone;
  }
  if (!useDataFolder(a.dataDir)) return kExitNotDone;
  initSharedVariables();
  TransferFileName = file;
  SharedResponse = kResponseCancelled;
  SessionOutcome outcome = runHeadless(transfer::ExportToHTML, kTransferStack, file);
  if (outcome.runtimeError) return kExitRuntimeError;
  const transfer::ExportCounts counts = transfer::lastExportCounts();
  if (counts.replaced) std::printf("%s\n", transfer::exportSummaryLine(counts, a.file).c_str());
  return !outcome.ended && SharedResponse == kResponseCompleted ? kExitDone : kExitNotDone;
}

}  // namespace

void registerExportCommand() {
  registerCommand({"export", "FILE [--data DIR]",
                   "writes every site of LINKAR.SDF into FILE as one HTML page, grouped by category, with an index",
                   runExportCommand});
}

}  // namespace linkar::app::cli
