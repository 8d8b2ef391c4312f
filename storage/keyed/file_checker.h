// Verification of a whole data file: header, an unfinished commit, regions,
// every page and entry, counters, every table's key entries recomputed from
// its records and definition, and memo segments. Used by the sdfcheck tool,
// by tests and by the fuzz targets; faults are reported, never raised, and
// the file is never changed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/keyed/block_store.h"

namespace linkar::keyed {

struct CheckReport {
  std::vector<std::string> faults;       // every fault, in the order found
  std::size_t structuralFaults = 0;      // of them: header, regions, pages and entry order
  std::size_t pages = 0;    // pages reached from the root
  std::size_t entries = 0;  // entries seen in the leaves, the empty entry included
  std::size_t tables = 0;   // name entries
  std::size_t records = 0;  // data records
  bool newFile = false;     // no bytes at all: a data file whose header and tree come with the first table
  bool commitPending = false;  // the redo area holds a commit not yet applied

  bool sound() const { return faults.empty(); }
  // The tree itself is sound, whatever its entries mean.
  bool structureSound() const { return structuralFaults == 0; }
};

// Checks the data file held by `store`, enciphered with `owner` when that is
// not empty. Never ends the program: structural faults become report lines.
// An unfinished commit is a fault; the rest of the file is then checked as
// the next open would settle it, without writing. `path`, when given, is
// where the file lies, against which a transaction control file named in
// the pending commit is found.
CheckReport checkDataFile(std::unique_ptr<BlockStore> store, std::string_view owner,
                          std::string_view path = {});

}  // namespace linkar::keyed
