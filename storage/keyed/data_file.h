// One open data file: its block store, cached header, page cache and the
// placement of pages in class regions. The B-tree (sdfbt) works through it.
//
// Writing: every change marks pages dirty in memory; writeChanges() is the one
// place that sizes, places and writes dirty pages and then the header.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/error_codes.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/branch_store.h"
#include "storage/keyed/file_header.h"
#include "storage/keyed/image_cache.h"
#include "storage/keyed/page.h"
#include "storage/keyed/page_cache.h"
#include "storage/keyed/page_cipher.h"
#include "storage/keyed/regions.h"

namespace linkar::keyed {

// What an open of bytes that are no data file returns.

class DataFile final : private PageMover {
 public:
  // Opens the data file held by `store`, enciphered with `owner` when that is
  // not empty. Returns 0, 36 when the bytes are not a data file, or the
  // operating-system error of the header read. Structural faults of the
  // header regions are internal errors.
  static int open(std::unique_ptr<BlockStore> store, std::string_view owner,
                  std::unique_ptr<DataFile>& out);
  ~DataFile() override;
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;

  bool writable() const { return m_store->writable(); }
  // Changing operations call this first: a read-only file is an internal error.
  void requireWritable() const;
  const FileHeader& header() const { return m_header; }
  bool hasTree() const { return m_hasTree; }
  bool dirty() const { return m_dirty; }
  BlockStore& store() { return *m_store; }

  // Issues the next table or record number from the file's counter.
  std::uint32_t issueNumber();

  // The root page, or null while the file has no tree.
  Page* rootPage();
  // Creates the tree (a root leaf holding the empty entry) when there is none.
  Page* ensureTree();
  // With `keepImage`, a page read from the file keeps its image for writing.
  Page* fetch(std::int32_t ref, bool keepImage = false);
  // The child page under `entry` of branch page `parent`; its level must be one less.
  Page* fetchChild(const Page& parent, const PageNode& entry);
  // A new empty page with a temporary reference, dirty.
  Page* createPage(std::uint8_t level);
  // The page's entries changed.
  void markDirty(Page* page);
  // Frees an empty page whose parent entry is already gone.
  void releasePage(Page* page);
  // Points the root reference at `page` (root splits keep the reference).
  void setRoot(std::int32_t ref) { m_header.root = ref; }

  // Start of every tree operation: clean pages are evicted here and at the
  // end of a commit only, so page pointers stay valid for one operation.
  void beginOperation();

  // Commits every change through the redo area (commit.h): both phases.
  // Returns 0 or the operating-system error; on error the changes are dropped.
  int writeChanges();
  // Writes the changes and cuts the file to its data end.
  int close();
  // Forgets every change not yet written and re-reads the header.
  int discardChanges();

  // Commit and recovery support (commit.h, recovery.h, file_access.h).
  // The header as it stands committed on disk.
  const FileHeader& committedHeader() const { return m_committed; }
  // Changes whenever the committed header does.
  std::uint64_t committedVersion() const { return m_committedVersion; }
  // Takes `header` as both the committed and the working header, dropping
  // every cached page, change and replay entry.
  void adoptHeader(const FileHeader& header);
  // Sizes and places every dirty page (placement, then compaction) and
  // returns them with their images built; the working header follows.
  std::vector<Page*> placeDirtyPages();
  // A commit has made `header` the committed header and written `pages`.
  void finishCommit(const std::vector<Page*>& pages, const FileHeader& header);
  // Committed pages to read from elsewhere (a finished commit's redo area
  // seen by a read-only open): home offset -> offset to read instead.
  void setReplayMap(std::unordered_map<std::uint64_t, std::uint64_t> map) {
    m_replay = std::move(map);
  }

  PageCache& cache() { return m_cache; }
  const BranchStore& branches() const { return m_branches; }
  std::uint64_t dataEnd() const { return m_header.dataEnd(); }

  // Raw block I/O (multiples of 64 bytes at multiples of 64), deciphered.
  int readBlocks(std::uint64_t offset, std::string& out, std::size_t length, std::size_t* got);
  int writeBlocks(std::uint64_t offset, std::string_view data);
  // Writes bytes exactly as given (already enciphered where that applies).
  int writeRaw(std::uint64_t offset, std::string_view bytes);

 private:
  DataFile(std::unique_ptr<BlockStore> store, std::string_view owner);
  int readHeader(bool& isNew);
  void movePage(std::int32_t from, std::int32_t to) override;
  void relink(Page* page, std::int32_t oldRef, std::int32_t newRef);
  std::int32_t temporaryRef() { return -(++m_temporaries); }
  int prepare(Page* page);
  // The file's bytes changed, or may have: forget what was read of them.
  void forgetReads();
  void placePages();

  std::unique_ptr<BlockStore> m_store;
  std::optional<PageCipher> m_cipher;
  FileHeader m_header;
  FileHeader m_committed;
  std::uint64_t m_committedVersion = 0;
  std::unordered_map<std::uint64_t, std::uint64_t> m_replay;
  ImageCache m_images;       // recently read page images
  BranchStore m_branches;    // branch pages the page cache let go
  std::string m_pageBuffer;  // the image of the page being loaded, reused
  PageCache m_cache;
  bool m_hasTree = false;
  bool m_dirty = false;
  std::int32_t m_temporaries = 0;
  std::uint64_t m_serials = 0;
};

}  // namespace linkar::keyed
