// What the import-scan fuzzers share: a scratch folder with LINKAR and
// Categories, the input's lines through one scan, every site found checked
// (each field a start of its source text, within its width, never ending
// inside a UTF-8 sequence) and stored through the import's site writer.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <unistd.h>

#include "app/check_open.h"
#include "app/records.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"
#include "transfer/field_text.h"
#include "transfer/found_site.h"
#include "transfer/site_writer.h"

namespace linkar::fuzz {

inline void require(bool ok) {
  if (!ok) __builtin_trap();
}

inline bool validUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (static_cast<uint8_t>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    size_t n = runtime::utf8SequenceLength(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// Whether the line being scanned is valid UTF-8: then every field cut from
// it (at ASCII delimiters, decoded, cut to width) must be valid too.
inline bool g_lineValid = false;

inline void checkWholeCharacters(std::string_view kept, size_t width) {
  require(kept.size() <= width);
  if (g_lineValid) require(validUtf8(kept));
}

inline void checkSite(const transfer::FoundSite& s) {
  checkWholeCharacters(s.location, transfer::kLocationWidth);
  checkWholeCharacters(s.description, transfer::kDescriptionWidth);
  checkWholeCharacters(s.siteInfo, transfer::kSiteInfoWidth);
  // The heading may come from an earlier line, which need not be valid.
  require(s.heading.size() <= transfer::kHeadingWidth);
  std::string keyword = transfer::keywordOf(s.location);
  checkWholeCharacters(keyword, transfer::kKeywordWidth);
}

// Opens the scratch files once for the fuzzer's life. The fuzzer works in
// the scratch folder from then on: give it its corpus by absolute path.
inline void openScratchFiles() {
  static bool opened = false;
  if (opened) return;
  char dir[] = "/tmp/linkar-fuzz-XXXXXX";
  require(::mkdtemp(dir) != nullptr);
  require(::chdir(dir) == 0);
  for (storage::FileDecl* f : {&app::LINKAR, &app::Categories}) {
    storage::fileCreate(*f);
    storage::fileOpen(*f, app::kCheckOpenMode);
    require(runtime::errorCode() == 0);
  }
  opened = true;
}

// Every line of the input through `scan`, its sites checked and stored.
template <typename Scan>
void runScan(const uint8_t* data, size_t size, Scan&& scan, transfer::CategoryRule rule) {
  openScratchFiles();
  transfer::SiteWriter writer("", rule, [](const std::string&) { require(false); });
  writer.beginBatch();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  transfer::SiteSink sink = [&](const transfer::FoundSite& site) {
    checkSite(site);
    writer.write(site);
  };
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    g_lineValid = validUtf8(line);
    scan(runtime::trimTrailingBlanks(line), sink);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
  }
  writer.endBatch();
}

}  // namespace linkar::fuzz
