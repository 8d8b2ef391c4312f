// The six listings of the "&Reports" menu, one family: each reads one file
// in the order of one key under its progress window, prints one detail band
// a record into its report in preview mode, shows the finished pages in the
// print preview and prints them when the user asks for it.
//
//   PrintURL:K_Location     LINKAR by URL:K_LOCATION     "Print Locations"
//   PrintURL:K_Category     LINKAR by URL:K_CATEGORY     "Print Locations by Category"
//   PrintURL:K_Rating       LINKAR by URL:K_RATING       "Print Locations by Rating"
//   PrintURL:K_Keyword      LINKAR by URL:K_KEYWORD      "Print Locations by Keyword"
//   PrintURL:K_Description  LINKAR by URL:K_DESCRIPTION  "Report Locations by Description"
//   PrintCAT:K_Category     Categories by CAT:K_CATEGORY "Print Categories"
//
// On return SharedResponse is completed when every record was printed into
// the report, cancelled otherwise (an empty file, Cancel); whether the user
// then printed the pages does not change it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/layer/declarations.h"

namespace linkar::reports {

struct ListingKind {
  const char* procedure;        // "PrintURL:K_Location"
  const char* menuUse;          // the frame's item that starts it
  storage::FileDecl* file;      // the file read
  storage::KeyDecl* key;        // in the order of this key
  int32_t& (*openCount)();      // the file's use counter
  const char* fileName;         // the file as message 35 names it
  const char* report;           // "PRINTURL:K_LOCATION$REPORT"
  const char* progressWindow;   // "PRINTURL:K_LOCATION$PROGRESSWINDOW"
};

// The family, in the order of the table above; `count` receives its size.
const ListingKind* listingKinds(size_t* count);
// The member whose procedure or frame item is `name` (case-blind), or null.
const ListingKind* findListing(std::string_view name);

// Runs one listing on the current procedure thread.
void runListing(const ListingKind& kind);

// What the last listing did: records printed into its report and pages
// emitted, and whether the user chose to print them.
struct ListingCounts {
  int64_t records = 0;
  int pages = 0;
  bool printed = false;
};
ListingCounts lastListingCounts();

// Registers the six procedures under the frame's names for them.
void registerProcedures();

}  // namespace linkar::reports
