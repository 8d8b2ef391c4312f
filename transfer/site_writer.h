// Storing what a scan found: the LINKAR record is filled (category,
// keyword, rating 0, site information), a heading category is added to
// Categories when it is new, and the record is added. A location already
// stored (in any letter case) is passed over silently; any other refusal
// goes to the stop handler. Locations starting with "#" are not stored.
//
// The adds of one batch (one timer tick) form one transaction over both
// files, so a batch costs one commit and a crash loses at most the batch.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "transfer/found_site.h"
#include "transfer/import_counts.h"

namespace linkar::transfer {

// Where each site's category comes from.
enum class CategoryRule {
  kChosenOrNew,      // the chosen category, else "NEW"
  kChosenOrHeading,  // the chosen category, else the current heading (added to Categories), else "NEW"
};

class SiteWriter {
 public:
  // Called with the message of a refused add ("<error text> adding
  // location"); returns when the import is to go on.
  using StopHandler = std::function<void(const std::string&)>;

  // `chosen` is the category picked before the import (blank: none). Runs
  // on the thread that has LINKAR and Categories open.
  SiteWriter(std::string_view chosen, CategoryRule rule, StopHandler stop);
  ~SiteWriter();
  SiteWriter(const SiteWriter&) = delete;
  SiteWriter& operator=(const SiteWriter&) = delete;

  void write(const FoundSite& site);
  // The transaction around a batch of writes; endBatch commits it.
  void beginBatch();
  void endBatch();

  const ImportCounts& counts() const { return m_counts; }

 private:
  std::string categoryFor(const FoundSite& site);
  void addCategory(const std::string& category);
  void fillRecord(const FoundSite& site, const std::string& category);
  void add(const FoundSite& site);

  std::string m_chosen;
  CategoryRule m_rule;
  StopHandler m_stop;
  ImportCounts m_counts;
  bool m_inBatch = false;
};

}  // namespace linkar::transfer
