// The declaration records of the program's three files.
#include "app/records.h"

#include <cstddef>
#include <span>
#include <vector>

#include "app/shared_variables.h"
#include "runtime/fixed_text.h"
#include "runtime/packed_decimal.h"
#include "storage/ascii/ascii_driver.h"
#include "storage/keyed/strandel_driver.h"
#include "storage/layer/field_list.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/thread_files.h"

namespace linkar::app {

using storage::FieldListBuilder;
using storage::FileDecl;
using storage::KeyDecl;
using storage::MemoDecl;

FileDecl LINKAR;
FileDecl Categories;
FileDecl TransferFile;

KeyDecl URL_K_LOCATION;
KeyDecl URL_K_DESCRIPTION;
KeyDecl URL_K_CATEGORY;
KeyDecl URL_K_RATING;
KeyDecl URL_K_KEYWORD;
KeyDecl CAT_K_CATEGORY;

MemoDecl URL_SITEINFO;

namespace {

// Attribute bits of all three files: may be created, registered before use.
constexpr uint8_t kFileAttributes = storage::kAttrCreate | storage::kAttrRegister;

// Key attribute words.
constexpr uint32_t kUniqueNoBlanksNoCase = storage::kKeyOptional | storage::kKeyNoCase;                      // 0x06
constexpr uint32_t kDupsNoBlanksNoCase = storage::kKeyDuplicates | storage::kKeyOptional | storage::kKeyNoCase;  // 0x07
constexpr uint32_t kDupsNoCase = storage::kKeyDuplicates | storage::kKeyNoCase;                              // 0x05

// Field numbers from 1 in the LINKAR field list.
constexpr int32_t kLocation = 1, kDescription = 2, kCategory = 3, kRating = 4, kKeyword = 5;

const int32_t kLocationComponents[] = {kLocation};
const int32_t kDescriptionComponents[] = {kDescription};
const int32_t kCategoryComponents[] = {kCategory, kLocation};
const int32_t kRatingComponents[] = {kRating, kLocation};
const int32_t kKeywordComponents[] = {kKeyword, kLocation};
const int32_t kCatCategoryComponents[] = {1};

const std::vector<uint8_t> kLinkarFields = FieldListBuilder()
                                               .text("URL:LOCATION", offsetof(LinkarRecord, LOCATION), 128)
                                               .text("URL:DESCRIPTION", offsetof(LinkarRecord, DESCRIPTION), 60)
                                               .text("URL:CATEGORY", offsetof(LinkarRecord, CATEGORY), 15)
                                               .decimal("URL:RATING", offsetof(LinkarRecord, RATING), 2, 0)
                                               .text("URL:KEYWORD", offsetof(LinkarRecord, KEYWORD), 10)
                                               .build();
const std::vector<uint8_t> kCategoriesFields = FieldListBuilder().text("CAT:CATEGORY", 0, 15).build();
const std::vector<uint8_t> kTransferFields = FieldListBuilder().text("ASC:LINE", 0, kTransferLineSize).build();

KeyDecl* const kLinkarKeys[] = {&URL_K_LOCATION, &URL_K_DESCRIPTION, &URL_K_CATEGORY, &URL_K_RATING, &URL_K_KEYWORD};
KeyDecl* const kCategoriesKeys[] = {&CAT_K_CATEGORY};
MemoDecl* const kLinkarMemos[] = {&URL_SITEINFO};

template <size_t N>
void declareKey(KeyDecl& key, const char* label, uint32_t attributes, const int32_t (&components)[N], FileDecl& file)
{
    key.label = label;
    key.attributes = attributes;
    key.componentCount = static_cast<uint8_t>(N);
    key.components = components;
    key.file = &file;
}

void declareFiles()
{
    LINKAR.entry = &keyed::strandelDriverEntry;
    LINKAR.name = "LINKAR";
    LINKAR.nameLength = 6;
    LINKAR.attributeBits = kFileAttributes;
    LINKAR.keyCount = 5;
    LINKAR.memoCount = 1;
    LINKAR.recordLength = sizeof(LinkarRecord);
    LINKAR.fieldList = kLinkarFields.data();
    LINKAR.keys = kLinkarKeys;
    LINKAR.memos = kLinkarMemos;
    LINKAR.threaded = true;

    Categories.entry = &keyed::strandelDriverEntry;
    Categories.name = "CATEGORIES";
    Categories.nameLength = 10;
    Categories.attributeBits = kFileAttributes;
    Categories.keyCount = 1;
    Categories.recordLength = sizeof(CategoriesRecord);
    Categories.fieldList = kCategoriesFields.data();
    Categories.keys = kCategoriesKeys;
    Categories.threaded = true;

    TransferFile.entry = &ascii::asciiDriverEntry;
    TransferFile.name = TransferFileName.data();  // the variable, not a constant
    TransferFile.nameLength = static_cast<int32_t>(kPathTextSize);
    TransferFile.attributeBits = kFileAttributes;
    TransferFile.recordLength = sizeof(TransferRecord);
    TransferFile.fieldList = kTransferFields.data();
    TransferFile.threaded = true;

    declareKey(URL_K_LOCATION, "URL:K_LOCATION", kUniqueNoBlanksNoCase, kLocationComponents, LINKAR);
    declareKey(URL_K_DESCRIPTION, "URL:K_DESCRIPTION", kDupsNoBlanksNoCase, kDescriptionComponents, LINKAR);
    declareKey(URL_K_CATEGORY, "URL:K_CATEGORY", kDupsNoCase, kCategoryComponents, LINKAR);
    declareKey(URL_K_RATING, "URL:K_RATING", kDupsNoCase, kRatingComponents, LINKAR);
    declareKey(URL_K_KEYWORD, "URL:K_KEYWORD", kDupsNoCase, kKeywordComponents, LINKAR);
    declareKey(CAT_K_CATEGORY, "CAT:K_CATEGORY", kUniqueNoBlanksNoCase, kCatCategoryComponents, Categories);

    URL_SITEINFO.label = "URL:SITEINFO";
    URL_SITEINFO.number = 1;
    URL_SITEINFO.size = kSiteInfoSize;
}

// The declarations are constant for the program's life: made once, before main.
const bool kDeclared = (declareFiles(), true);

}  // namespace

LinkarRecord& URL() { return *reinterpret_cast<LinkarRecord*>(storage::recordOf(LINKAR)); }
CategoriesRecord& CAT() { return *reinterpret_cast<CategoriesRecord*>(storage::recordOf(Categories)); }
TransferRecord& ASC() { return *reinterpret_cast<TransferRecord*>(storage::recordOf(TransferFile)); }
char* URL_SiteInfo() { return storage::memoBufferOf(LINKAR, URL_SITEINFO.number); }

void putSite(const SiteFields& site) {
  storage::fileClear(LINKAR);
  LinkarRecord& url = URL();
  runtime::assignFixed(url.LOCATION, sizeof url.LOCATION, site.location);
  runtime::assignFixed(url.DESCRIPTION, sizeof url.DESCRIPTION, site.description);
  runtime::assignFixed(url.CATEGORY, sizeof url.CATEGORY, site.category);
  runtime::packInteger(std::span<uint8_t>(url.RATING, sizeof url.RATING), 0, site.rating);
  runtime::assignFixed(url.KEYWORD, sizeof url.KEYWORD, site.keyword);
}

}  // namespace linkar::app
