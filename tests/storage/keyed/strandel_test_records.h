// The application's two keyed files, declared as the program declares them
// (same labels, field lists, key attributes and components, a 500-byte
// memo), bound to a file name of the test's choosing, with record helpers.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/error_state.h"
#include "runtime/packed_decimal.h"
#include "storage/keyed/strandel_driver.h"
#include "storage/layer/declarations.h"
#include "storage/layer/field_list.h"
#include "storage/layer/file_statements.h"

namespace linkar::test {

// A text and a number joined (kept out of line of operator+, which one
// compiler release warns about wrongly).
inline std::string textNumber(std::string_view text, long number, std::string_view tail = {}) {
  std::string out(text);
  out += std::to_string(number);
  out += tail;
  return out;
}

inline constexpr uint32_t kLinkarRecordLength = 215;
inline constexpr int32_t kSiteInfoSize = 500;
inline constexpr int32_t kOpenShared = 0x42;  // read and write, deny none
inline constexpr int32_t kOpenReadOnly = 0x40;
inline constexpr int32_t kOpenDenyWrite = 0x22;

// Byte offsets of the LINKAR record.
inline constexpr size_t kLocation = 0, kLocationSize = 128;
inline constexpr size_t kDescription = 128, kDescriptionSize = 60;
inline constexpr size_t kCategory = 188, kCategorySize = 15;
inline constexpr size_t kRating = 203, kRatingSize = 2;
inline constexpr size_t kKeyword = 205, kKeywordSize = 10;

class LinkarFiles {
 public:
  // `linkarName` and `categoriesName` are the NAME texts (e.g. a path in a
  // temporary folder, with or without ".SDF").
  LinkarFiles(std::string linkarName, std::string categoriesName)
      : m_linkarName(std::move(linkarName)), m_categoriesName(std::move(categoriesName)) {
    using storage::FieldListBuilder;
    m_linkarFields = FieldListBuilder()
                         .text("URL:LOCATION", kLocation, kLocationSize)
                         .text("URL:DESCRIPTION", kDescription, kDescriptionSize)
                         .text("URL:CATEGORY", kCategory, kCategorySize)
                         .decimal("URL:RATING", kRating, kRatingSize, 0)
                         .text("URL:KEYWORD", kKeyword, kKeywordSize)
                         .build();
    m_categoriesFields = FieldListBuilder().text("CAT:CATEGORY", 0, 15).build();
    key(K_LOCATION, "URL:K_LOCATION", 0x06, kLocationParts, 1, LINKAR);
    key(K_DESCRIPTION, "URL:K_DESCRIPTION", 0x07, kDescriptionParts, 1, LINKAR);
    key(K_CATEGORY, "URL:K_CATEGORY", 0x05, kCategoryParts, 2, LINKAR);
    key(K_RATING, "URL:K_RATING", 0x05, kRatingParts, 2, LINKAR);
    key(K_KEYWORD, "URL:K_KEYWORD", 0x05, kKeywordParts, 2, LINKAR);
    key(CAT_K_CATEGORY, "CAT:K_CATEGORY", 0x06, kCatParts, 1, Categories);
    SITEINFO.label = "URL:SITEINFO";
    SITEINFO.number = 1;
    SITEINFO.size = kSiteInfoSize;
    SITEINFO.buffer = m_siteInfo;
    std::memset(m_siteInfo, ' ', sizeof(m_siteInfo));

    LINKAR.entry = &keyed::strandelDriverEntry;
    LINKAR.name = m_linkarName.c_str();
    LINKAR.nameLength = storage::kTextNulTerminated;
    LINKAR.attributeBits = 0x14;
    LINKAR.keyCount = 5;
    LINKAR.memoCount = 1;
    LINKAR.recordLength = kLinkarRecordLength;
    LINKAR.fieldList = m_linkarFields.data();
    LINKAR.keys = m_linkarKeys;
    LINKAR.memos = m_linkarMemos;
    LINKAR.record = m_url;

    Categories.entry = &keyed::strandelDriverEntry;
    Categories.name = m_categoriesName.c_str();
    Categories.nameLength = storage::kTextNulTerminated;
    Categories.attributeBits = 0x14;
    Categories.keyCount = 1;
    Categories.recordLength = 15;
    Categories.fieldList = m_categoriesFields.data();
    Categories.keys = m_categoriesKeys;
    Categories.record = m_cat;
    clearSite();
    std::memset(m_cat, ' ', sizeof(m_cat));
  }
  LinkarFiles(const LinkarFiles&) = delete;
  LinkarFiles& operator=(const LinkarFiles&) = delete;

  storage::FileDecl LINKAR;
  storage::FileDecl Categories;
  storage::KeyDecl K_LOCATION, K_DESCRIPTION, K_CATEGORY, K_RATING, K_KEYWORD, CAT_K_CATEGORY;
  storage::MemoDecl SITEINFO;

  storage::KeyDecl* linkarKey(int i) { return m_linkarKeys[i]; }

  void clearSite() {
    std::memset(m_url, ' ', sizeof(m_url));
    setRating(0);
    std::memset(m_siteInfo, ' ', sizeof(m_siteInfo));
  }
  void setSite(std::string_view location, std::string_view description, std::string_view category,
               int rating, std::string_view keyword, std::string_view info = {}) {
    clearSite();
    put(kLocation, kLocationSize, location);
    put(kDescription, kDescriptionSize, description);
    put(kCategory, kCategorySize, category);
    setRating(rating);
    put(kKeyword, kKeywordSize, keyword);
    setInfo(info);
  }
  void setLocation(std::string_view v) { put(kLocation, kLocationSize, v); }
  void setDescription(std::string_view v) { put(kDescription, kDescriptionSize, v); }
  void setCategory(std::string_view v) { put(kCategory, kCategorySize, v); }
  void setKeyword(std::string_view v) { put(kKeyword, kKeywordSize, v); }
  void setInfo(std::string_view v) {
    std::memset(m_siteInfo, ' ', sizeof(m_siteInfo));
    if (!v.empty()) std::memcpy(m_siteInfo, v.data(), std::min(v.size(), sizeof(m_siteInfo)));
  }
  void setRating(int rating) {
    runtime::packInteger(std::span<uint8_t>(m_url + kRating, kRatingSize), 0, rating);
  }
  std::string location() const { return get(kLocation, kLocationSize); }
  std::string description() const { return get(kDescription, kDescriptionSize); }
  std::string category() const { return get(kCategory, kCategorySize); }
  std::string keyword() const { return get(kKeyword, kKeywordSize); }
  std::string info() const { return trim(std::string(m_siteInfo, sizeof(m_siteInfo))); }
  int rating() const {
    int64_t v = 0;
    runtime::unpackInteger(std::span<const uint8_t>(m_url + kRating, kRatingSize), 0, v);
    return static_cast<int>(v);
  }
  std::string siteBytes() const { return std::string(reinterpret_cast<const char*>(m_url), sizeof(m_url)); }

  void setCat(std::string_view v) {
    std::memset(m_cat, ' ', sizeof(m_cat));
    std::memcpy(m_cat, v.data(), std::min(v.size(), sizeof(m_cat)));
  }
  std::string cat() const { return trim(std::string(reinterpret_cast<const char*>(m_cat), sizeof(m_cat))); }

  // Adds a site; returns the error code.
  int addSite(std::string_view location, std::string_view description, std::string_view category, int rating,
              std::string_view keyword, std::string_view info = {}) {
    setSite(location, description, category, rating, keyword, info);
    storage::fileAdd(LINKAR);
    return runtime::errorCode();
  }

  static std::string trim(std::string s) {
    const size_t end = s.find_last_not_of(' ');
    s.resize(end == std::string::npos ? 0 : end + 1);
    return s;
  }

 private:
  void put(size_t offset, size_t size, std::string_view v) {
    std::memset(m_url + offset, ' ', size);
    std::memcpy(m_url + offset, v.data(), std::min(v.size(), size));
  }
  std::string get(size_t offset, size_t size) const {
    return trim(std::string(reinterpret_cast<const char*>(m_url + offset), size));
  }
  void key(storage::KeyDecl& k, const char* label, uint32_t attributes, const int32_t* parts, uint8_t count,
           storage::FileDecl& file) {
    k.label = label;
    k.attributes = attributes;
    k.componentCount = count;
    k.components = parts;
    k.file = &file;
  }

  static constexpr int32_t kLocationParts[] = {1};
  static constexpr int32_t kDescriptionParts[] = {2};
  static constexpr int32_t kCategoryParts[] = {3, 1};
  static constexpr int32_t kRatingParts[] = {4, 1};
  static constexpr int32_t kKeywordParts[] = {5, 1};
  static constexpr int32_t kCatParts[] = {1};

  std::string m_linkarName;
  std::string m_categoriesName;
  std::vector<uint8_t> m_linkarFields;
  std::vector<uint8_t> m_categoriesFields;
  storage::KeyDecl* m_linkarKeys[5] = {&K_LOCATION, &K_DESCRIPTION, &K_CATEGORY, &K_RATING, &K_KEYWORD};
  storage::KeyDecl* m_categoriesKeys[1] = {&CAT_K_CATEGORY};
  storage::MemoDecl* m_linkarMemos[1] = {&SITEINFO};
  uint8_t m_url[kLinkarRecordLength];
  uint8_t m_cat[15];
  char m_siteInfo[kSiteInfoSize];
};

}  // namespace linkar::test
