// sdfdump FILE [--owner TEXT]: prints a keyed data file in readable form:
// the header, the class regions, the tree's pages and every entry by table.
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "platform/file.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/data_file.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/key_descriptor.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/table_definition.h"
#include "tools/data_file_arguments.h"

namespace {

using namespace linkar::keyed;

constexpr int kExitDone = 0;
constexpr int kExitFault = 1;
using linkar::tools::kExitUsage;
constexpr std::size_t kShownBytes = 64;  // longer data parts are cut in the listing

std::string readable(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < kShownBytes; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (bytes.size() > kShownBytes) out += "...";
  return out;
}

void dumpHeader(const FileHeader& h) {
  std::printf("header: redo start %u, redo end %u, last number %u, changes %u, root page %d\n",
              h.redoStart, h.redoEnd, h.counter, h.changes, h.root);
  std::printf("regions (class: first page .. end, pages):\n");
  for (int k = 1; k < kClassSlots; ++k) {
    if (h.regionStart[k] == h.regionEnd[k]) continue;
    std::printf("  %2d: %u .. %u, %u\n", k, h.regionStart[k], h.regionEnd[k],
                (h.regionEnd[k] - h.regionStart[k]) / k);
  }
  std::printf("data end: %llu\n", static_cast<unsigned long long>(h.dataEnd()));
}

// Pages are listed depth first; a page met twice (a damaged file) is named and
// not entered again, and each child must sit one level below its parent.
void dumpTree(DataFile& file, std::int32_t ref, int depth, std::set<std::int32_t>& seen) {
  if (!seen.insert(ref).second) {
    std::printf("%*spage %d: listed already\n", depth * 2, "", ref);
    return;
  }
  file.beginOperation();
  Page* page = file.fetch(ref);
  std::printf("%*spage %d: class %d, level %u, %zu entries, size bound %u\n", depth * 2, "", ref,
              file.header().classOf(ref), page->level(), page->count(), page->sizeBound());
  if (!page->isBranch()) return;
  std::vector<std::int32_t> children;
  for (PageNode* n = page->first(); n; n = Page::next(n)) {
    file.fetchChild(*page, *n);
    children.push_back(n->child);
  }
  for (const std::int32_t child : children) dumpTree(file, child, depth + 1, seen);
}

void dumpEntry(const Entry& e) {
  const std::string_view key = e.key();
  const std::string_view data = e.data();
  if (key.empty()) {
    std::printf("  (empty entry)\n");
    return;
  }
  const auto* k = bytesOf(key);
  if (k[0] == kMarkerKey) {
    std::printf("transaction marker: %s\n", readable(data).c_str());
    return;
  }
  if (k[0] == kNamePrefix) {
    std::printf("name \"%s\" -> table %u\n", readable(key.substr(1)).c_str(),
                data.size() == 4 ? getBe32(bytesOf(data)) : 0u);
    return;
  }
  if (key.size() < kKeyHeaderLength) {
    std::printf("  ? %s\n", readable(e.bytes).c_str());
    return;
  }
  const std::uint32_t table = getBe32(k);
  const std::uint8_t kind = k[4];
  std::printf("table %u ", table);
  if (kind == kKindRecord && key.size() == kRecordKeyLength) {
    std::printf("record %u: %s\n", getBe32(k + 5), readable(data).c_str());
  } else if (kind == kKindCounter && key.size() == kCounterKeyLength && data.size() == 8) {
    if (k[5] == kKindRecord)
      std::printf("counter: %u records\n", getLe32(bytesOf(data)));
    else
      std::printf("counter of key %u: %u entries, out of date from %u\n", k[5], getLe32(bytesOf(data)),
                  getLe32(bytesOf(data) + 4));
  } else if (kind == kKindDefinition && key.size() == kDefinitionKeyLength) {
    std::printf("definition block %u: %zu bytes\n", getLe16(k + 5), data.size());
  } else if (kind == kKindMemo && key.size() == kMemoKeyLength) {
    std::printf("memo %u of record %u, segment %u: %s\n", k[9], getBe32(k + 5), (k[10] << 8) | k[11],
                readable(data).c_str());
  } else {
    const std::string_view tail = e.bytes.size() >= 4 ? std::string_view(e.bytes).substr(e.bytes.size() - 4) : "";
    std::printf("key %u: %s -> record %u\n", kind, readable(key.substr(5)).c_str(),
                tail.size() == 4 ? getBe32(bytesOf(tail)) : 0u);
  }
}

}  // namespace

int main(int argc, char** argv) {
  linkar::tools::DataFileArguments args;
  if (!linkar::tools::parseDataFileArguments("sdfdump", argc, argv, args)) return kExitUsage;
  const std::string& path = args.path;
  const std::string& owner = args.owner;
  linkar::platform::File os;
  if (!linkar::tools::openReadOnly("sdfdump", path, os)) return kExitUsage;
  std::unique_ptr<DataFile> file;
  int rc = 0;
  const int line = runGuarded([&] {
    rc = DataFile::open(std::make_unique<FileStore>(std::move(os)), owner, file);
    if (rc) return;
    dumpHeader(file->header());
    if (!file->hasTree()) {
      std::printf("no tree\n");
      return;
    }
    std::printf("tree:\n");
    std::set<std::int32_t> seen;
    dumpTree(*file, file->header().root, 1, seen);
    std::printf("entries:\n");
    Sdfbt tree(*file);
    Cursor cursor;
    cursor.setKey({});
    while (auto e = tree.next(cursor)) dumpEntry(*e);
  });
  if (line) {
    std::printf("stopped: %s\n", internalErrorText(line).c_str());
    return kExitFault;
  }
  if (rc) {
    std::fprintf(stderr, "sdfdump: %s is not a data file (error %d)\n", path.c_str(), rc);
    return kExitFault;
  }
  return kExitDone;
}
