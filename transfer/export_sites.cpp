// The export's site reader.
#include "transfer/export_sites.h"

#include <span>

#include "app/records.h"
#include "app/standard_warning.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "runtime/packed_decimal.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/view_engine.h"

namespace linkar::transfer {
namespace {

constexpr int kMsgReadError = 35;
constexpr int kMsgViewError = 36;
constexpr const char* kReadErrorFile = "LINKAR";
constexpr int32_t kViewMode = storage::kAccessRead | storage::kDenyNone;
constexpr unsigned kRatingPlaces = 0;  // URL:RATING holds whole numbers
constexpr int64_t kOneSite = 1;

}  // namespace

ExportSites::ExportSites() {
  m_order.keys = {&app::URL_K_CATEGORY};
  storage::initView(m_view, m_order, app::LINKAR);
}

ExportSites::~ExportSites() {
  runtime::saveError();
  storage::fileClose(m_view);
  runtime::restoreError();
}

int64_t ExportSites::count() { return storage::fileRecords(app::LINKAR); }

BatchRead ExportSites::first() {
  storage::fileSetKey(app::LINKAR, app::URL_K_CATEGORY);
  storage::filePropertySet(m_view, 0, "", "");
  storage::fileOpen(m_view, kViewMode);
  if (runtime::errorCode() != 0) app::StandardWarning(kMsgViewError);
  return read();
}

BatchRead ExportSites::next() { return read(); }

BatchRead ExportSites::read() {
  storage::fileNext(m_view);
  int32_t rc = runtime::errorCode();
  if (rc == 0) return {true, kOneSite};
  if (rc != runtime::err::kRecordNotAvailable) app::StandardWarning(kMsgReadError, kReadErrorFile);
  return {};
}

ExportSite ExportSites::site() const {
  const app::LinkarRecord& r = app::URL();
  ExportSite s;
  s.location = runtime::fixedView(r.LOCATION, sizeof r.LOCATION);
  s.description = runtime::fixedView(r.DESCRIPTION, sizeof r.DESCRIPTION);
  s.category = runtime::fixedView(r.CATEGORY, sizeof r.CATEGORY);
  s.siteInfo = runtime::fixedView(app::URL_SiteInfo(), app::kSiteInfoSize);
  runtime::unpackInteger(std::span<const uint8_t>(r.RATING, sizeof r.RATING), kRatingPlaces, s.rating);
  return s;
}

}  // namespace linkar::transfer
