// Text steps of the import scans.
#include "transfer/field_text.h"

#include "runtime/fixed_text.h"

namespace linkar::transfer {
namespace {

constexpr std::string_view kSchemeEnd = "://";
constexpr std::string_view kNoKeyword = "?";

}  // namespace

std::string_view withoutLeadingBlanks(std::string_view text) { return runtime::trimLeadingBlanks(text); }

std::string_view cutToWidth(std::string_view text, size_t width) {
  if (text.size() <= width) return text;
  return text.substr(0, runtime::utf8SafeCut(text, width));
}

std::string keywordOf(std::string_view location) {
  size_t k = location.find(kSchemeEnd);
  if (k == std::string_view::npos) return std::string(kNoKeyword);
  return std::string(cutToWidth(location.substr(0, k), kKeywordWidth));
}

}  // namespace linkar::transfer
