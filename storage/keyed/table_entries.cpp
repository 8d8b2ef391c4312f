// Keys and accessors for the non-key entries of a table.
#include "storage/keyed/table_entries.h"

#include <algorithm>

#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {

constexpr std::size_t kBlobLengthBytes = 4;  // total length ahead of a blob's first segment

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

std::string keyWithKind(std::uint32_t table, std::uint8_t kind) {
  std::string k;
  appendBe32(k, table);
  k.push_back(static_cast<char>(kind));
  return k;
}

}  // namespace

SplitName splitFileName(std::string_view name) {
  SplitName out;
  const std::size_t mark = name.find(kTablePartMark);
  if (mark == std::string_view::npos) {
    out.file = std::string(name);
    out.table = std::string(kUnnamedTable);
  } else {
    out.file = std::string(name.substr(0, mark));
    out.table = std::string(name.substr(mark + kTablePartMark.size()));
  }
  const std::size_t slash = out.file.find_last_of("/\\");
  const std::size_t dot = out.file.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  if (!hasExtension && !out.file.empty()) out.file += kDefaultExtension;
  return out;
}

std::string tablePrefix(std::uint32_t table) {
  std::string k;
  appendBe32(k, table);
  return k;
}

std::string recordKey(std::uint32_t table, std::uint32_t record) {
  std::string k = keyWithKind(table, kKindRecord);
  appendBe32(k, record);
  return k;
}

std::string counterKey(std::uint32_t table, std::uint8_t subject) {
  std::string k = keyWithKind(table, kKindCounter);
  k.push_back(static_cast<char>(subject));
  return k;
}

std::string definitionKey(std::uint32_t table, std::uint16_t block) {
  std::string k = keyWithKind(table, kKindDefinition);
  appendLe16(k, block);
  return k;
}

std::string memoPrefix(std::uint32_t table, std::uint32_t record, std::uint8_t memo) {
  std::string k = keyWithKind(table, kKindMemo);
  appendBe32(k, record);
  k.push_back(static_cast<char>(memo));
  return k;
}

std::string memoKey(std::uint32_t table, std::uint32_t record, std::uint8_t memo,
                    std::uint16_t segment) {
  std::string k = memoPrefix(table, record, memo);
  k.push_back(static_cast<char>(segment >> 8));
  k.push_back(static_cast<char>(segment & 0xFF));
  return k;
}

std::string nameKey(std::string_view tableName) {
  std::string k(1, static_cast<char>(kNamePrefix));
  k.append(tableName);
  return k;
}

std::optional<Counter> readCounter(Sdfbt& tree, std::uint32_t table, std::uint8_t subject) {
  const auto e = tree.find(counterKey(table, subject));
  if (!e) return std::nullopt;
  const std::string_view d = e->data();
  SDFBT_CHECK(d.size() == kCounterDataLength);
  return Counter{getLe32(bytesOf(d)), getLe32(bytesOf(d) + 4)};
}

void writeCounter(Sdfbt& tree, std::uint32_t table, std::uint8_t subject, const Counter& c) {
  std::string data;
  appendLe32(data, c.count);
  appendLe32(data, c.outOfDateFrom);
  tree.put(counterKey(table, subject), data);
}

void addToCount(Sdfbt& tree, std::uint32_t table, std::uint8_t subject, int delta) {
  if (delta == 0) return;
  const auto add = [delta](std::uint32_t count) {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(count) + delta);
  };
  const bool present = tree.update(counterKey(table, subject), [&](std::string& data) {
    SDFBT_CHECK(data.size() == kCounterDataLength);
    auto* p = reinterpret_cast<std::uint8_t*>(data.data());
    putLe32(p, add(getLe32(p)));
  });
  if (!present) writeCounter(tree, table, subject, Counter{add(0), 0});
}

std::optional<std::uint32_t> findTable(Sdfbt& tree, std::string_view tableName) {
  const auto e = tree.find(nameKey(tableName));
  if (!e || e->data().size() != kStoredNumberBytes) return std::nullopt;
  return getBe32(bytesOf(e->data()));
}

void writeName(Sdfbt& tree, std::string_view tableName, std::uint32_t table) {
  std::string data;
  appendBe32(data, table);
  tree.put(nameKey(tableName), data);
}

std::size_t erasePrefix(Sdfbt& tree, std::string_view prefix) {
  std::size_t n = 0;
  std::string at(prefix);
  for (auto e = tree.ceiling(at); e && startsWith(e->key(), prefix); e = tree.next(at)) {
    at.assign(e->key());
    if (tree.erase(at)) ++n;
  }
  return n;
}

void eraseMemo(Sdfbt& tree, std::uint32_t table, std::uint32_t record, std::uint8_t memo) {
  erasePrefix(tree, memoPrefix(table, record, memo));
}

void writeMemo(Sdfbt& tree, std::uint32_t table, std::uint32_t record, std::uint8_t memo,
               std::string_view content, bool blob, bool fresh) {
  if (!fresh) eraseMemo(tree, table, record, memo);
  std::string stream;
  if (blob) {
    if (content.empty()) return;
    appendLe32(stream, static_cast<std::uint32_t>(content.size()));
    stream.append(content);
  } else {
    const std::size_t end = content.find_last_not_of(' ');
    if (end == std::string_view::npos) return;
    stream.assign(content.substr(0, end + 1));
  }
  // Segment 0 of a blob holds the length plus a full segment of content.
  std::size_t pos = 0;
  for (std::uint16_t segment = 0; pos < stream.size(); ++segment) {
    const std::size_t take = kMemoSegment + (blob && segment == 0 ? kBlobLengthBytes : 0);
    tree.insert(memoKey(table, record, memo, segment), std::string_view(stream).substr(pos, take));
    pos += take;
  }
}

std::string readMemo(Sdfbt& tree, std::uint32_t table, std::uint32_t record, std::uint8_t memo,
                     bool blob, std::size_t declaredSize) {
  const std::string prefix = memoPrefix(table, record, memo);
  std::string stream;
  // Segments follow each other in key order; stop once the memo is complete.
  const auto complete = [&] {
    if (!blob) return stream.size() >= declaredSize;
    return stream.size() >= kBlobLengthBytes && stream.size() - kBlobLengthBytes >= getLe32(bytesOf(stream));
  };
  tree.walk(prefix, [&](std::string_view key, std::string_view data) {
    if (!startsWith(key, prefix)) return false;
    stream.append(data);
    return !complete();
  });
  if (blob) {
    if (stream.size() < kBlobLengthBytes) return {};
    const std::size_t length = getLe32(bytesOf(stream));
    std::string content = stream.substr(kBlobLengthBytes);
    if (content.size() > length) content.resize(length);
    return content;
  }
  stream.resize(declaredSize, ' ');
  return stream;
}

}  // namespace linkar::keyed
