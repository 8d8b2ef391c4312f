// What the three imports share: the start-up (file dialog, category
// lookup), the files they open, the batch loop over TransferFile's lines
// with one scan per line, and the end (files released, SharedResponse set,
// the summary shown in the frame's status bar). Each import says only how
// it differs.
#pragma once

#include <functional>
#include <string_view>

#include "transfer/found_site.h"
#include "transfer/import_counts.h"
#include "transfer/site_writer.h"

namespace linkar::transfer {

// A scan of one line (without its trailing blanks).
using LineScan = std::function<void(std::string_view line, const SiteSink& sink)>;

enum class CategoryLookup { kSelectCategory, kSelectCategories, kNone };

struct ImportKind {
  const char* procedure;      // the procedure's name ("ImportHTML")
  const char* window;         // its progress window
  CategoryLookup lookup;
  // The file dialog opens in LastFileDirectory (else in the working
  // directory, LastFileDirectory neither used nor updated).
  bool dialogInLastDirectory;
  CategoryRule rule;
};

// Runs one import; `makeScan` gives a fresh scan for the run.
void runImport(const ImportKind& kind, const std::function<LineScan()>& makeScan);

// The counts of the last import that read its file (for the command line).
ImportCounts lastImportCounts();

}  // namespace linkar::transfer
