// The import's summary line.
#include "transfer/import_counts.h"

#include "transfer/field_text.h"

namespace linkar::transfer {
namespace {

std::string counted(int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string summaryLine(const ImportCounts& c) {
  std::string line = "imported " + counted(c.added, "site", "sites") + ", " + std::to_string(c.duplicates) +
                     " already stored, " + counted(c.newCategories, "new category", "new categories") + ", " +
                     counted(c.addressesCut, "address", "addresses") + " longer than " +
                     std::to_string(kLocationWidth) + " bytes cut";
  if (c.failed > 0) line += ", " + counted(c.failed, "site", "sites") + " refused";
  return line;
}

}  // namespace linkar::transfer
