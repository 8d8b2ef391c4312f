// The export's output file and its replacement of the old one.
//
// The page is written into ".NAME.XXXXXX" in NAME's folder (platform/
// sibling_file.h). TransferFile carries TransferFileName as its name, so the
// variable names the new file just while TransferFile is opened, and is
// given back at once: an open file keeps the name it was opened under.
// Nobody else knows the new file, so it is opened for writing by us alone
// (others may read) with a large write buffer: the lines reach the system
// in big writes rather than one each, as a shared open would need. After
// the last line: CLOSE (the rest written back), the file made durable, then
// a rename over NAME, which replaces it in one step. Any failure removes
// the new file and leaves NAME alone.
#include "transfer/export_file.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "app/records.h"
#include "app/shared_variables.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/os_error.h"
#include "platform/sibling_file.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"

namespace linkar::transfer {
namespace {

constexpr int32_t kOwnOpenMode = storage::kAccessReadWrite | storage::kDenyWrite;
// The write buffer in the driver's units of 512 bytes: 256 KB.
constexpr const char* kWriteBuffer = "FILEBUFFERS=512";

// Operating-system numbers a driver posts as they are; others + 300.
constexpr int kFirstPlainOsError = 2;
constexpr int kLastPlainOsError = 8;

void postOsError(int os) {
  runtime::setErrorFromCode(os >= kFirstPlainOsError && os <= kLastPlainOsError ? os : os + runtime::err::kOsErrorBase);
}

// TransferFileName set to a name for a while, then given back.
class NameScope {
 public:
  explicit NameScope(const std::string& name) : m_saved(app::TransferFileName.str()) { app::TransferFileName = name; }
  ~NameScope() { app::TransferFileName = m_saved; }
  NameScope(const NameScope&) = delete;
  NameScope& operator=(const NameScope&) = delete;

 private:
  std::string m_saved;
};

}  // namespace

ExportFile::ExportFile(std::string name) : m_name(std::move(name)) {}

ExportFile::~ExportFile() {
  runtime::saveError();
  close();
  runtime::restoreError();
  discard();
}

bool ExportFile::open() {
  if (int rc = platform::absolutePath(m_name, &m_path); rc != 0) {
    postOsError(rc);
    return false;
  }
  if (int rc = platform::makeSiblingFile(m_path, &m_temporary); rc != 0) {
    postOsError(rc);
    return false;
  }
  // TransferFileName must hold the new file's name whole (a name as long as
  // the system allows is Path Not Found too).
  if (m_temporary.size() > app::kPathTextSize) {
    postOsError(platform::kErrorPathNotFound);
    return false;
  }
  // The export runs on a thread of its own: nobody there has the file open.
  int32_t& count = app::TransferFileOpenCount();
  assert(count == 0);
  {
    NameScope scope(m_temporary);
    storage::fileOpen(app::TransferFile, kOwnOpenMode);
    if (runtime::errorCode() != 0) return false;
  }
  ++count;
  m_open = true;
  storage::fileSend(app::TransferFile, kWriteBuffer);
  return true;
}

void ExportFile::line(std::string_view text) {
  if (m_failed) return;
  const size_t n = std::min<size_t>(text.size(), app::kTransferLineSize);
  std::memcpy(app::ASC().LINE, text.data(), n);
  platform::setLastOsError(platform::kErrorNone);
  storage::fileAppendLength(app::TransferFile, static_cast<int32_t>(n));
  if (runtime::errorCode() != 0) noteFailure(runtime::errorCode());
}

void ExportFile::postWriteError() const {
  if (m_osError != 0)
    postOsError(m_osError);
  else
    runtime::setErrorFromCode(m_errorCode);
}

bool ExportFile::replace() {
  if (m_failed || !m_open) return false;
  // CLOSE writes back what the driver still holds; then the page is made
  // durable before it takes the old one's place.
  platform::setLastOsError(platform::kErrorNone);
  if (!close()) {
    noteFailure(runtime::errorCode());
    return false;
  }
  platform::File page;
  int rc = page.open(m_temporary, platform::OpenMode{platform::Access::ReadWrite});
  if (rc == 0) rc = page.flush();
  page.close();
  if (rc != 0) {
    noteFailure(runtime::err::kOsErrorBase + rc);
    return false;
  }
  if (rc = platform::replaceWithSibling(m_temporary, m_path); rc != 0) {
    postOsError(rc);
    return false;
  }
  m_temporary.clear();
  return true;
}

void ExportFile::noteFailure(int errorCode) {
  m_failed = true;
  m_errorCode = errorCode;
  m_osError = platform::lastOsError();
}

bool ExportFile::close() {
  if (!m_open) return true;
  m_open = false;
  int32_t& count = app::TransferFileOpenCount();
  if (--count > 0) return true;
  count = 0;
  storage::fileClose(app::TransferFile);
  return runtime::errorCode() == 0;
}

void ExportFile::discard() {
  if (m_temporary.empty()) return;
  runtime::saveError();
  platform::removeFile(m_temporary);
  runtime::restoreError();
  m_temporary.clear();
}

}  // namespace linkar::transfer
