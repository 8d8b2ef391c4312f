// The import's line reader.
#include "transfer/transfer_lines.h"

#include <algorithm>

#include "app/records.h"
#include "app/standard_warning.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/view_engine.h"

namespace linkar::transfer {
namespace {

constexpr int kMsgReadError = 35;
constexpr int kMsgViewError = 36;
constexpr const char* kReadErrorFile = "LINKAR";
// A view reads the file; nobody is kept from it.
constexpr int32_t kViewMode = storage::kAccessRead | storage::kDenyNone;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// The driver expands a TAB to at most this many blanks, so a line holds at
// most this many bytes for each byte it took in the file.
constexpr int64_t kLongestTabExpansion = 8;

}  // namespace

TransferLines::TransferLines() { storage::initView(m_view, m_order, app::TransferFile); }

TransferLines::~TransferLines() {
  runtime::saveError();
  storage::fileClose(m_view);
  runtime::restoreError();
}

int64_t TransferLines::fileSize() { return storage::fileBytes(app::TransferFile); }

BatchRead TransferLines::first() {
  storage::fileSet(app::TransferFile);
  storage::filePropertySet(m_view, 0, "", "");
  storage::fileOpen(m_view, kViewMode);
  if (runtime::errorCode() != 0) app::StandardWarning(kMsgViewError);
  m_atStart = true;
  return read();
}

BatchRead TransferLines::next() { return read(); }

BatchRead TransferLines::read() {
  storage::fileNext(m_view);
  int32_t rc = runtime::errorCode();
  if (rc != 0) {
    if (rc != runtime::err::kRecordNotAvailable) app::StandardWarning(kMsgReadError, kReadErrorFile);
    m_line = {};
    return {};
  }
  int64_t bytes = storage::fileBytes(app::TransferFile);
  size_t limit = static_cast<size_t>(std::min<int64_t>(app::kTransferLineSize, bytes * kLongestTabExpansion));
  m_line = runtime::trimTrailingBlanks(std::string_view(app::ASC().LINE, limit));
  if (m_atStart && m_line.starts_with(kByteOrderMark)) m_line.remove_prefix(kByteOrderMark.size());
  m_atStart = false;
  return {true, bytes};
}

}  // namespace linkar::transfer
