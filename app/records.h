// The program's three files: the site table LINKAR, the category table
// Categories and the TransferFile of the imports and the export, with their
// record buffers, keys and memo, as declared to the file-statement layer.
//
// All three are threaded: every procedure thread has its own record buffer,
// memo buffer and open of each (storage/layer/thread_files.h). URL(), CAT(),
// ASC() and URL_SiteInfo() are the current thread's buffers, the very ones
// the thread's file statements read and write; a procedure called on the
// thread (a form, a lookup) sees the same ones, a procedure started on
// another thread its own. Take them afresh after any wait for the user
// rather than keeping a reference across threads.
#pragma once

#include <cstdint>
#include <string_view>

#include "storage/layer/declarations.h"

namespace linkar::app {

#pragma pack(push, 1)
// LINKAR: one site (215 bytes).
struct LinkarRecord {
    char LOCATION[128];    // the address
    char DESCRIPTION[60];
    char CATEGORY[15];     // names a CAT:Category
    uint8_t RATING[2];     // packed decimal, three digits, no places
    char KEYWORD[10];
};

// Categories: one category name (15 bytes).
struct CategoriesRecord {
    char Category[15];
};

// TransferFile: one text line, as long as the text driver's longest record
// (65,535 bytes), so that bookmark lines with inline icons arrive whole.
constexpr uint32_t kTransferLineSize = 65535;
struct TransferRecord {
    char LINE[kTransferLineSize];
};
#pragma pack(pop)

static_assert(sizeof(LinkarRecord) == 215);
static_assert(sizeof(CategoriesRecord) == 15);
static_assert(sizeof(TransferRecord) == kTransferLineSize);

constexpr int32_t kSiteInfoSize = 500;  // URL:SiteInfo, the site's free text

// One site's fields as the program handles them outside the record.
struct SiteFields {
  std::string_view location;
  std::string_view description;
  std::string_view category;
  int rating = 0;
  std::string_view keyword;
};

// Record buffers of the current procedure thread.
LinkarRecord& URL();
CategoriesRecord& CAT();
TransferRecord& ASC();
char* URL_SiteInfo();  // kSiteInfoSize bytes

// Clears the current thread's LINKAR record (CLEAR) and puts the site's
// fields into it, each cut to its width.
void putSite(const SiteFields& site);

// Files.
extern storage::FileDecl LINKAR;
extern storage::FileDecl Categories;
extern storage::FileDecl TransferFile;

// Keys.
extern storage::KeyDecl URL_K_LOCATION;
extern storage::KeyDecl URL_K_DESCRIPTION;
extern storage::KeyDecl URL_K_CATEGORY;
extern storage::KeyDecl URL_K_RATING;
extern storage::KeyDecl URL_K_KEYWORD;
extern storage::KeyDecl CAT_K_CATEGORY;

// Memo.
extern storage::MemoDecl URL_SITEINFO;

}  // namespace linkar::app
