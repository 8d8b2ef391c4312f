// The browse's view over its file.
#include "app/browse_view.h"

#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/view_engine.h"

namespace linkar::app {
namespace {

// A view is opened for reading and writing, denying others the writes.
constexpr int32_t kViewMode = storage::kAccessReadWrite | storage::kDenyWrite;  // 0x22

}  // namespace

BrowseView::BrowseView(storage::FileDecl& file) : m_file(file) { storage::initView(m_view, m_order, file); }

BrowseView::~BrowseView() { close(); }

void BrowseView::close() {
  runtime::saveError();
  storage::fileClose(m_view);
  runtime::restoreError();
}

bool BrowseView::open(storage::KeyDecl& key, const std::string& filter, Start start) {
  close();
  m_order.keys = {&key};
  bool started = false;
  if (start == Start::kCurrentEntry) {
    std::string entry = storage::filePositionKey(m_file, key);
    if (runtime::errorCode() == 0) {
      storage::fileResetKey(m_file, key, entry);
      started = runtime::errorCode() == 0;
    }
    if (!started) start = Start::kBufferValues;
  }
  if (!started) {
    if (start == Start::kBufferValues)
      storage::fileSetKeyValues(m_file, key, key);
    else
      storage::fileSetKey(m_file, key);
  }
  storage::filePropertySet(m_view, 0, "", filter);
  storage::fileOpen(m_view, kViewMode);
  return runtime::errorCode() == 0;
}

int32_t BrowseView::read(bool forward) {
  forward ? storage::fileNext(m_view) : storage::filePrevious(m_view);
  return runtime::errorCode();
}

std::string BrowseView::position() { return storage::filePosition(m_view); }

void BrowseView::reset(const std::string& position) { storage::fileReset(m_view, position); }

int32_t BrowseView::reget(const std::string& position) {
  storage::fileWatch(m_view);
  storage::fileReget(m_view, position);
  return runtime::errorCode();
}

}  // namespace linkar::app
