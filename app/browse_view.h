// The view a browse reads through: one view over the browse's file in the
// order of one key, with the order's filter. Opening it starts the key at
// the beginning of the order, at the key values in the record buffer, or at
// the key entry of the file's current record; reads pass over records the
// filter rejects; the view's position texts are what the page queue keeps.
#pragma once

#include <cstdint>
#include <string>

#include "storage/layer/declarations.h"
#include "storage/layer/view_descriptor.h"

namespace linkar::app {

class BrowseView {
 public:
  // Where an opened view starts.
  enum class Start {
    kBeginning,     // the order's first record forward, its last backward
    kBufferValues,  // the key values in the record buffer
    kCurrentEntry,  // the file's current record's own entry in the key
  };

  // `file` must outlive the view.
  explicit BrowseView(storage::FileDecl& file);
  ~BrowseView();
  BrowseView(const BrowseView&) = delete;
  BrowseView& operator=(const BrowseView&) = delete;

  // Closes the view, starts `key` as told, sets the filter (empty: none) and
  // opens the view. Returns false when the view could not be opened (message
  // 36 is then the caller's to show); a start at the current entry that the
  // file cannot give falls back to the buffer's values.
  bool open(storage::KeyDecl& key, const std::string& filter, Start start);
  void close();

  // NEXT or PREVIOUS through the view; returns the error code (0 with a
  // record in the buffer, 33 at the end of the order or of the filter).
  int32_t read(bool forward);
  // The position text of the record last read.
  std::string position();
  // RESET to a position text: the next read in either direction reads
  // that record first.
  void reset(const std::string& position);
  // WATCH, then REGET by a position text (record and memos).
  int32_t reget(const std::string& position);

 private:
  storage::FileDecl& m_file;
  storage::ViewOrder m_order;
  storage::ViewDescriptor m_view;
};

}  // namespace linkar::app
