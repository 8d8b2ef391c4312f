// Reading LINKAR for the export: through a sequential view in the order of
// URL:K_CATEGORY (category, then location, letter case ignored), one site
// with its site information at a time. A view that cannot be opened is
// reported with standard message 36, a read error other than the end with
// message 35 naming LINKAR.
#pragma once

#include <cstdint>

#include "storage/layer/view_descriptor.h"
#include "transfer/batch_loop.h"
#include "transfer/export_page.h"

namespace linkar::transfer {

class ExportSites {
 public:
  // LINKAR must be open on this thread for the object's life.
  ExportSites();
  ~ExportSites();
  ExportSites(const ExportSites&) = delete;
  ExportSites& operator=(const ExportSites&) = delete;

  // The number of sites stored.
  int64_t count();
  // Sets the order from its start, opens the view and reads the first site.
  BatchRead first();
  BatchRead next();
  // The site last read; its texts stay valid until the next read.
  ExportSite site() const;

 private:
  BatchRead read();

  storage::ViewOrder m_order;
  storage::ViewDescriptor m_view;
};

}  // namespace linkar::transfer
