// Filling and adding the LINKAR record of a found site.
#include "transfer/site_writer.h"

#include "app/records.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"
#include "transfer/field_text.h"

namespace linkar::transfer {
namespace {

using runtime::err::kCreatesDuplicateKey;
using runtime::err::kRecordNotAvailable;
using runtime::err::kRecordNotFound;

constexpr std::string_view kNewCategory = "NEW";
constexpr char kFragmentMark = '#';
constexpr std::string_view kAddingLocation = " adding location";

template <size_t N>
void assign(char (&field)[N], std::string_view text) {
  runtime::assignFixed(field, N, text);
}

}  // namespace

SiteWriter::SiteWriter(std::string_view chosen, CategoryRule rule, StopHandler stop)
    : m_chosen(runtime::trimTrailingBlanks(chosen)), m_rule(rule), m_stop(std::move(stop)) {}

SiteWriter::~SiteWriter() { endBatch(); }

void SiteWriter::beginBatch() {
  if (m_inBatch) return;
  runtime::saveError();
  storage::fileLogout(app::LINKAR);
  if (m_rule == CategoryRule::kChosenOrHeading) storage::fileLogout(app::Categories);
  runtime::restoreError();
  m_inBatch = true;
}

void SiteWriter::endBatch() {
  if (!m_inBatch) return;
  runtime::saveError();
  storage::fileCommit(app::LINKAR);
  runtime::restoreError();
  m_inBatch = false;
}

std::string SiteWriter::categoryFor(const FoundSite& site) {
  if (!m_chosen.empty()) return m_chosen;
  std::string_view heading = runtime::trimTrailingBlanks(site.heading);
  if (m_rule != CategoryRule::kChosenOrHeading || heading.empty()) return std::string(kNewCategory);
  std::string category(cutToWidth(heading, kCategoryWidth));
  addCategory(category);
  return category;
}

// A heading category is added when Categories lacks it; the outcome of the
// add is not examined (a category another import added meanwhile is fine).
void SiteWriter::addCategory(const std::string& category) {
  assign(app::CAT().Category, category);
  storage::fileGet(app::Categories, app::CAT_K_CATEGORY);
  int32_t rc = runtime::errorCode();
  if (rc != kRecordNotFound && rc != kRecordNotAvailable) return;
  assign(app::CAT().Category, category);
  storage::fileAdd(app::Categories);
  if (runtime::errorCode() == 0) ++m_counts.newCategories;
}

void SiteWriter::fillRecord(const FoundSite& site, const std::string& category) {
  storage::fileClear(app::LINKAR);
  app::LinkarRecord& r = app::URL();
  assign(r.LOCATION, site.location);
  assign(r.DESCRIPTION, site.description);
  assign(r.CATEGORY, category);
  assign(r.KEYWORD, keywordOf(site.location));
  runtime::assignFixed(app::URL_SiteInfo(), app::kSiteInfoSize, site.siteInfo);
}

void SiteWriter::write(const FoundSite& site) {
  std::string category = categoryFor(site);
  if (!site.location.empty() && site.location.front() == kFragmentMark) return;
  fillRecord(site, category);
  add(site);
}

void SiteWriter::add(const FoundSite& site) {
  storage::fileAdd(app::LINKAR);
  int32_t rc = runtime::errorCode();
  if (rc == 0) {
    ++m_counts.added;
    if (site.locationCut) ++m_counts.addressesCut;
    return;
  }
  if (rc == kCreatesDuplicateKey) {
    ++m_counts.duplicates;
    return;
  }
  ++m_counts.failed;
  std::string message = std::string(runtime::trimTrailingBlanks(runtime::errorText())) + std::string(kAddingLocation);
  // What the batch stored so far stays, whatever the user answers.
  bool wasInBatch = m_inBatch;
  endBatch();
  m_stop(message);
  if (wasInBatch) beginBatch();
}

}  // namespace linkar::transfer
