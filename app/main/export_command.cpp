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
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--data" && i + 1 < args.size()) {
      out->dataDir = args[++i];
    } else if (args[i].starts_with("--")) {
      return false;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 1) return false;
  out->file = positional[0];
  return true;
}

int usageError() {
  std::fprintf(stderr, "usage: linkar export FILE [--data DIR]\n");
  return kExitNotDone;
}

int runExportCommand(const std::vector<std::string>& args) {
  ExportArgs a;
  if (!parse(args, &a)) return usageError();
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
  if (int rc = platform::changeCurrentDirectory(a.dataDir); rc != 0) {
    const std::string why(runtime::errorTextFor(rc));
    std::fprintf(stderr, "linkar: cannot use the data folder %s: %s\n", a.dataDir.c_str(), why.c_str());
    return kExitNotDone;
  }
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
