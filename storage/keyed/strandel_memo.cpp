// Movable memory blocks for blob memos and the memo statements 75 to 79.
#include "storage/keyed/strandel_memo.h"

#include <algorithm>
#include <map>

#include "runtime/error_codes.h"
#include "storage/keyed/strandel_table.h"

namespace linkar::keyed {

namespace err = runtime::err;

namespace {

struct BlockList {
  std::map<std::uint32_t, std::string> blocks;
  std::uint32_t lastHandle = 0;
};

BlockList& blockList() {
  static auto* list = new BlockList();
  return *list;
}

TableMemo* memoOf(StrandelTable& table, std::int32_t number) {
  if (number < 1 || number > static_cast<std::int32_t>(table.m_memos.size())) return nullptr;
  return &table.m_memos[static_cast<std::size_t>(number - 1)];
}

}  // namespace

std::uint32_t allocateMemoryBlock(std::size_t length) {
  BlockList& list = blockList();
  do {
    ++list.lastHandle;
  } while (list.lastHandle == 0 || list.blocks.count(list.lastHandle));
  list.blocks[list.lastHandle] = std::string(length, '\0');
  return list.lastHandle;
}

void freeMemoryBlock(std::uint32_t handle) { blockList().blocks.erase(handle); }

bool memoryBlockExists(std::uint32_t handle) { return blockList().blocks.count(handle) != 0; }

std::string memoryBlockContent(std::uint32_t handle) {
  const auto& blocks = blockList().blocks;
  auto it = blocks.find(handle);
  return it == blocks.end() ? std::string() : it->second;
}

void setMemoryBlockContent(std::uint32_t handle, std::string_view content) {
  auto& blocks = blockList().blocks;
  auto it = blocks.find(handle);
  if (it != blocks.end()) it->second.assign(content);
}

std::uint64_t digitsValue(std::string_view text) {
  std::uint64_t value = 0;
  constexpr std::uint64_t kCap = 0xFFFFFFFFull;  // memo lengths and handles are 32-bit
  for (char c : text) {
    if (c < '0' || c > '9') continue;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kCap) value = kCap;
  }
  return value;
}

// Slices count bytes from 0. A memo never grows past its declared size:
// a slice or a length beyond it is cut there, so no operand can make the
// driver ask for more memory than the declaration allows.
storage::OpOutcome memoSliceSet(StrandelTable& table, storage::OpCall& call) {
  TableMemo* memo = memoOf(table, call.args.memo);
  if (!memo) return storage::OpOutcome::fail(err::kInvalidNumberOfParameters);
  const std::int32_t first = call.args.first;
  const std::int32_t last = call.args.last;
  if (first < 0 || last < first) return storage::OpOutcome::ok();
  const auto at = static_cast<std::size_t>(first);
  if (at >= memo->size) return storage::OpOutcome::ok();
  const std::size_t end = std::min<std::size_t>(static_cast<std::size_t>(last) + 1, memo->size);
  std::string content = table.memoContent(*memo);
  // A text memo is as long as its size already; a blob grows to the slice.
  if (end > content.size()) content.resize(end, '\0');
  std::string piece = call.texts[0];
  piece.resize(end - at, ' ');
  content.replace(at, piece.size(), piece);
  table.setMemoContent(*memo, content);
  return storage::OpOutcome::ok();
}

storage::OpOutcome memoSlice(StrandelTable& table, storage::OpCall& call) {
  TableMemo* memo = memoOf(table, call.args.memo);
  if (!memo) return storage::OpOutcome::fail(err::kInvalidNumberOfParameters);
  const std::int32_t first = call.args.first;
  const std::int32_t last = call.args.last;
  const std::string content = table.memoContent(*memo);
  if (first < 0 || last < first || static_cast<std::size_t>(first) >= content.size())
    return storage::OpOutcome::okText(std::string());
  const std::size_t end = std::min(content.size(), static_cast<std::size_t>(last) + 1);
  return storage::OpOutcome::okText(content.substr(static_cast<std::size_t>(first), end - first));
}

storage::OpOutcome memoSize(StrandelTable& table, storage::OpCall& call) {
  TableMemo* memo = memoOf(table, call.args.memo);
  if (!memo) return storage::OpOutcome::fail(err::kInvalidNumberOfParameters);
  return storage::OpOutcome::ok(static_cast<std::int32_t>(table.memoContent(*memo).size()));
}

storage::OpOutcome memoPropertySet(StrandelTable& table, storage::OpCall& call) {
  TableMemo* memo = memoOf(table, call.args.memo);
  if (!memo) return storage::OpOutcome::fail(err::kInvalidNumberOfParameters);
  const std::uint64_t property = digitsValue(call.texts[0]);
  const std::uint64_t value = digitsValue(call.texts[1]);
  if (property == kMemoPropertyLength) {
    std::string content = table.memoContent(*memo);
    if (memo->blob()) {
      content.resize(static_cast<std::size_t>(std::min<std::uint64_t>(value, memo->size)), '\0');
      table.setMemoContent(*memo, content);
    }
    return storage::OpOutcome::ok();
  }
  if (property == kMemoPropertyHandle) {
    if (!memo->blob()) return storage::OpOutcome::ok();
    const auto handle = static_cast<std::uint32_t>(value);
    if (handle == 0) {
      table.setMemoContent(*memo, std::string_view());
      return storage::OpOutcome::ok();
    }
    // The block itself becomes the memo's memory; an unknown handle is
    // refused rather than trusted.
    if (!memoryBlockExists(handle)) return storage::OpOutcome::fail(err::kInvalidNumberOfParameters);
    if (memo->block && memo->block != handle) freeMemoryBlock(memo->block);
    memo->block = handle;
    return storage::OpOutcome::ok();
  }
  return storage::OpOutcome::ok();
}

storage::OpOutcome memoPropertyGet(StrandelTable& table, storage::OpCall& call) {
  TableMemo* memo = memoOf(table, call.args.memo);
  if (!memo) return storage::OpOutcome::fail(err::kInvalidNumberOfParameters);
  const std::uint64_t property = digitsValue(call.texts[0]);
  if (property == kMemoPropertyLength)
    return storage::OpOutcome::okText(std::to_string(table.memoContent(*memo).size()));
  if (property == kMemoPropertyHandle)
    return storage::OpOutcome::okText(std::to_string(memo->blob() ? memo->block : 0));
  return storage::OpOutcome::okText(std::string());
}

}  // namespace linkar::keyed
