// The data file object: header, page loading, placement of dirty pages in
// class regions and the write of changes.
#include "storage/keyed/data_file.h"

#include <cstring>

#include "storage/keyed/commit.h"
#include "storage/keyed/recovery.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/page_image.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {

DataFile::DataFile(std::unique_ptr<BlockStore> store, std::string_view owner)
    : m_store(std::move(store)) {
  if (!owner.empty()) m_cipher.emplace(owner);
}

DataFile::~DataFile() = default;

int DataFile::open(std::unique_ptr<BlockStore> store, std::string_view owner,
                   std::unique_ptr<DataFile>& out) {
  std::unique_ptr<DataFile> file(new DataFile(std::move(store), owner));
  bool isNew = false;
  if (const int rc = file->readHeader(isNew)) return rc;
  if (file->m_header.redoStart != file->m_header.redoEnd) {
    if (const int rc = recoverPendingCommit(*file, nullptr)) return rc;
  }
  out = std::move(file);
  return 0;
}

int DataFile::readHeader(bool& isNew) {
  std::uint64_t size = 0;
  if (const int rc = m_store->size(&size)) return rc;
  m_header = FileHeader{};
  m_committed = m_header;
  ++m_committedVersion;
  m_replay.clear();
  forgetReads();
  isNew = size == 0;
  if (isNew) {
    m_hasTree = false;
    return 0;
  }
  if (size < kHeaderSize) return runtime::err::kInvalidDataFile;
  std::string bytes;
  std::size_t got = 0;
  if (const int rc = readBlocks(0, bytes, kHeaderSize, &got)) return rc;
  if (got != kHeaderSize) return runtime::err::kInvalidDataFile;
  if (!FileHeader::read(bytesOf(bytes), m_header)) return runtime::err::kInvalidDataFile;
  SDFBT_CHECK(m_header.regionsSound());
  m_hasTree = m_header.changes != 0;
  if (m_hasTree) SDFBT_CHECK(m_header.classOf(m_header.root) > 0);
  m_committed = m_header;
  ++m_committedVersion;
  return 0;
}

void DataFile::forgetReads() {
  m_images.clear();
  m_branches.clear();
}

void DataFile::requireWritable() const { SDFBT_CHECK(writable()); }

int DataFile::readBlocks(std::uint64_t offset, std::string& out, std::size_t length,
                         std::size_t* got) {
  SDFBT_CHECK(offset % kIoBlock == 0 && length % kIoBlock == 0);
  // Only what the read does not reach needs clearing.
  out.resize(length);
  *got = 0;
  const int rc = m_store->read(offset, out.data(), length, got);
  if (*got < length) std::memset(out.data() + *got, 0, length - *got);
  if (rc) return rc;
  if (m_cipher) {
    const std::size_t whole = *got - *got % kIoBlock;
    m_cipher->decipher(reinterpret_cast<std::uint8_t*>(out.data()), whole);
  }
  return 0;
}

int DataFile::writeRaw(std::uint64_t offset, std::string_view bytes) {
  forgetReads();
  return m_store->write(offset, bytes.data(), bytes.size());
}

int DataFile::writeBlocks(std::uint64_t offset, std::string_view data) {
  SDFBT_CHECK(offset % kIoBlock == 0 && data.size() % kIoBlock == 0);
  forgetReads();
  if (!m_cipher) return m_store->write(offset, data.data(), data.size());
  std::string copy(data);
  m_cipher->encipher(reinterpret_cast<std::uint8_t*>(copy.data()), copy.size());
  return m_store->write(offset, copy.data(), copy.size());
}

std::uint32_t DataFile::issueNumber() {
  requireWritable();
  SDFBT_CHECK(m_header.counter + 1 < kNumberLimit);
  ++m_header.counter;
  m_dirty = true;
  return m_header.counter;
}

Page* DataFile::rootPage() { return m_hasTree ? fetch(m_header.root) : nullptr; }

Page* DataFile::ensureTree() {
  if (m_hasTree) return rootPage();
  requireWritable();
  Page* root = createPage(0);
  root->insert(std::string(), 0, 0);
  root->setSizeBound(root->sizeBound() + root->entryCost(0));
  m_header.root = root->ref();
  m_hasTree = true;
  return root;
}

Page* DataFile::fetch(std::int32_t ref, bool keepImage) {
  if (Page* p = m_cache.find(ref)) {
    m_cache.access(p);
    return p;
  }
  SDFBT_CHECK(ref >= 0);
  if (std::unique_ptr<Page> kept = m_branches.take(ref); kept && !keepImage) {
    Page* p = m_cache.add(std::move(kept));
    m_cache.access(p);
    return p;
  }
  const int k = m_header.classOf(ref);
  SDFBT_CHECK(k > 0);
  const std::size_t length = static_cast<std::size_t>(k) * kUnit;
  std::uint64_t at = pageOffset(ref);
  if (const auto it = m_replay.find(at); it != m_replay.end()) at = it->second;
  std::shared_ptr<const PageContent> content = keepImage ? nullptr : m_images.find(at, length);
  if (!content) {
    std::size_t got = 0;
    const int rc = readBlocks(at, m_pageBuffer, length, &got);
    SDFBT_CHECK(rc == 0 && got == length);
    content = std::make_shared<const PageContent>(decodePageImage(m_pageBuffer, ref));
    m_images.put(at, length, content);
  }
  Page* p = m_cache.add(pageFromContent(*content, ref, ++m_serials));
  if (keepImage) {
    p->image.assign(m_pageBuffer);
    p->preparedClass = k;
  }
  m_cache.access(p);
  return p;
}

Page* DataFile::fetchChild(const Page& parent, const PageNode& entry) {
  SDFBT_CHECK(parent.isBranch());
  Page* child = fetch(entry.child);
  SDFBT_CHECK(child->level() + 1 == parent.level());
  return child;
}

Page* DataFile::createPage(std::uint8_t level) {
  requireWritable();
  auto page = std::make_unique<Page>(temporaryRef(), level, ++m_serials);
  page->dirty = true;
  m_dirty = true;
  Page* p = m_cache.add(std::move(page));
  m_cache.access(p);
  return p;
}

void DataFile::markDirty(Page* page) {
  requireWritable();
  page->touch();
  m_cache.setDirty(page, true);
  m_dirty = true;
}

void DataFile::releasePage(Page* page) {
  requireWritable();
  SDFBT_CHECK(page->empty() && page->ref() != m_header.root);
  const std::int32_t ref = page->ref();
  m_cache.remove(page);
  m_dirty = true;
  if (ref >= 0) RegionTable(m_header, *this).release(ref);
}

void DataFile::beginOperation() { m_cache.evict(&m_branches); }

void DataFile::relink(Page* page, std::int32_t oldRef, std::int32_t newRef) {
  if (m_header.root == oldRef) {
    m_header.root = newRef;
  } else {
    SDFBT_CHECK(!page->empty() && m_hasTree);
    const std::string key(page->first()->key());
    Page* parent = fetch(m_header.root);
    while (parent->level() > page->level() + 1) {
      const PageNode* n = parent->floor(key);
      SDFBT_CHECK(n);
      parent = fetchChild(*parent, *n);
    }
    SDFBT_CHECK(parent->level() == page->level() + 1);
    PageNode* n = parent->floor(key);
    SDFBT_CHECK(n && n->child == oldRef);
    n->child = newRef;
    // The child array is filled at write time; the serialised body stays valid.
    m_cache.setDirty(parent, true);
  }
  m_cache.rekey(page, newRef);
  m_dirty = true;
}

void DataFile::movePage(std::int32_t from, std::int32_t to) {
  // A page moved as it stands keeps the image it was read with: there is no
  // need to encode and compress it again to write it at its new place.
  Page* page = fetch(from, true);
  relink(page, from, to);
  m_cache.setDirty(page, true);
}

int DataFile::prepare(Page* page) {
  if (page->preparedClass == 0) page->preparedClass = buildPageImage(*page, page->image);
  return page->preparedClass;
}

void DataFile::placePages() {
  RegionTable regions(m_header, *this);
  for (bool moved = true; moved;) {
    moved = false;
    for (Page* page : m_cache.dirtyPages()) {
      // Earlier placements may have moved this page; look at it afresh.
      const int k = prepare(page);
      const int current = page->ref() < 0 ? 0 : m_header.classOf(page->ref());
      if (current == k) continue;
      moved = true;
      if (page->ref() >= 0) {
        // Resize: detach under a temporary reference, free the old place.
        const std::int32_t old = page->ref();
        relink(page, old, temporaryRef());
        regions.release(old);
      }
      const std::int32_t placed = regions.allocate(k);
      relink(page, page->ref(), placed);
    }
  }
}

std::vector<Page*> DataFile::placeDirtyPages() {
  // Compaction can load pages whose fresh image needs another class, so
  // placing and compacting repeat until every dirty page sits in its class.
  constexpr int kMaxRounds = 8;
  std::vector<Page*> dirty;
  for (int round = 0;; ++round) {
    SDFBT_CHECK(round < kMaxRounds);
    placePages();
    RegionTable(m_header, *this).compact();
    dirty = m_cache.dirtyPages();
    bool placed = true;
    for (Page* page : dirty)
      placed = placed && page->ref() >= 0 && m_header.classOf(page->ref()) == prepare(page);
    if (placed) break;
  }
  return dirty;
}

void DataFile::finishCommit(const std::vector<Page*>& pages, const FileHeader& header) {
  for (Page* page : pages) {
    m_cache.setDirty(page, false);
    page->image.clear();
    page->image.shrink_to_fit();
    page->preparedClass = 0;
  }
  m_header = header;
  m_committed = header;
  ++m_committedVersion;
  m_replay.clear();
  m_dirty = false;
  m_temporaries = 0;
  // The pages just written are clean now: a large commit leaves thousands,
  // and the next statement should not pay for letting them go.
  m_cache.evict(&m_branches);
}

void DataFile::adoptHeader(const FileHeader& header) {
  m_cache.clear();
  forgetReads();
  m_replay.clear();
  m_dirty = false;
  m_temporaries = 0;
  m_header = header;
  m_committed = header;
  ++m_committedVersion;
  m_hasTree = m_header.changes != 0;
}

int DataFile::writeChanges() {
  if (!m_dirty) return 0;
  requireWritable();
  return commitChanges(*this, nullptr);
}

int DataFile::close() {
  if (!writable()) return 0;
  if (const int rc = writeChanges()) return rc;
  std::uint64_t size = 0;
  if (const int rc = m_store->size(&size)) return rc;
  const std::uint64_t end = m_header.dataEnd();
  forgetReads();
  if (size > end) return m_store->setSize(end);
  return 0;
}

int DataFile::discardChanges() {
  m_cache.clear();
  forgetReads();
  m_dirty = false;
  m_temporaries = 0;
  bool isNew = false;
  return readHeader(isNew);
}

}  // namespace linkar::keyed
