// The site file the command benchmarks run over: LINKAR.SDF made afresh in
// the current folder and filled with generated sites, stored in
// transactions of kSitesPerCommit so that the load costs one flush each.
#pragma once

#include <functional>

#include "app/check_open.h"
#include "app/records.h"
#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"

namespace linkar::bench {

inline constexpr int kSitesPerCommit = 5000;

// fill(i) puts site i into the LINKAR record buffer (and its memo). False
// on the first error.
inline bool storeSites(int sites, const std::function<void(int)>& fill) {
  storage::fileCreate(app::LINKAR);
  storage::fileOpen(app::LINKAR, app::kCheckOpenMode);
  if (runtime::errorCode() != 0) return false;
  for (int i = 0; i < sites; ++i) {
    if (i % kSitesPerCommit == 0) storage::fileLogout(app::LINKAR);
    fill(i);
    storage::fileAdd(app::LINKAR);
    if (runtime::errorCode() != 0) return false;
    if ((i + 1) % kSitesPerCommit == 0 || i + 1 == sites) storage::fileCommit(app::LINKAR);
  }
  storage::fileClose(app::LINKAR);
  return true;
}

}  // namespace linkar::bench
