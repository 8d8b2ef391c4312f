// The program's three files: the site table LINKAR, the category table
// Categories and the TransferFile of the imports and the export, with their
// record buffers, keys and memo, as declared to the file-statement layer.
#pragma once

#include <cstdint>

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

// TransferFile: one text line (512 bytes).
struct TransferRecord {
    char LINE[512];
};
#pragma pack(pop)

static_assert(sizeof(LinkarRecord) == 215);
static_assert(sizeof(CategoriesRecord) == 15);
static_assert(sizeof(TransferRecord) == 512);

constexpr int32_t kSiteInfoSize = 500;  // URL:SiteInfo, the site's free text

// Record buffers.
extern LinkarRecord URL;
extern CategoriesRecord CAT;
extern TransferRecord ASC;
extern char URL_SiteInfo[kSiteInfoSize];

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
