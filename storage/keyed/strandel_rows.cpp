// The precondition rows of the keyed driver: for each operation code the
// state bits required and forbidden, and those set and cleared after it.
#include "storage/keyed/strandel_rows.h"

#include <array>
#include <initializer_list>

#include "storage/layer/driver_instance.h"
#include "storage/layer/op_codes.h"

namespace linkar::keyed {
namespace {

using storage::PreconditionRow;
namespace op = storage::op;

constexpr std::uint32_t kOpen = storage::kStateOpen;
constexpr std::uint32_t kCurrent = storage::kStateCurrent;
constexpr std::uint32_t kTransaction = storage::kStateTransaction;
constexpr std::uint32_t kStream = storage::kStateStream;
constexpr std::uint32_t kLocked = storage::kStateLocked;
constexpr std::uint32_t kSequence = storage::kStateSequence;
constexpr std::uint32_t kWrite = storage::kStateWrite;
constexpr std::uint32_t kExclusive = storage::kStateExclusive;
constexpr std::uint32_t kClear = storage::kAfterClearError;
constexpr std::uint32_t kDiscard = storage::kAfterDiscard;
constexpr std::uint32_t kRemember = storage::kAfterRemember;

struct Table {
  std::array<PreconditionRow, op::kHighest> rows{};

  void put(std::initializer_list<std::int32_t> codes, PreconditionRow row) {
    for (std::int32_t code : codes) rows[static_cast<std::size_t>(code - 1)] = row;
  }

  Table() {
    put({op::kAdd}, {kClear, kOpen | kWrite, 0, kCurrent, 0, 0});
    put({op::kAppend, op::kDuplicateAny, op::kAppendLengthWritable}, {kClear, kOpen | kWrite, 0, 0, 0, 0});
    put({op::kDelete}, {kClear, kOpen | kCurrent | kWrite, 0, 0, kCurrent, 0});
    put({op::kPut}, {kClear, kOpen | kCurrent | kWrite, 0, 0, 0, 0});
    put({op::kPutPosition, op::kPutPositionLength}, {kClear, kOpen | kWrite, 0, 0, 0, kCurrent});
    put({op::kBuild, op::kBuildKey}, {kClear, kWrite | kExclusive, kTransaction, 0, 0, 0});
    put({op::kPack}, {kClear, kWrite | kExclusive, kTransaction, 0, kCurrent | kSequence, kCurrent | kSequence});
    put({op::kEmpty}, {kClear, kOpen | kWrite | kExclusive, kTransaction, 0, 0, 0});
    put({op::kBuildKeyWithText, op::kBuildKeyWithTwoTexts}, {kClear, kOpen, kTransaction, 0, 0, 0});
    put({op::kClose}, {kClear | kDiscard, kOpen, kTransaction, 0, kOpen, 0});
    put({op::kCopy, op::kCreate, op::kRemove, op::kRename}, {kClear | kDiscard, 0, kOpen, 0, 0, 0});
    put({op::kOpen, op::kShare}, {kClear, 0, kOpen, kOpen, 0, 0});
    put({op::kLogout}, {kClear, kOpen, kTransaction, kTransaction, 0, 0});
    put({op::kCommit, op::kRollback}, {kClear, kOpen | kTransaction, 0, 0, kTransaction, 0});
    put({op::kLock, op::kLockTimed}, {kClear, kOpen, kLocked, kLocked | kExclusive, 0, 0});
    put({op::kUnlock}, {kClear, kOpen | kLocked, kTransaction, 0, kLocked, 0});
    put({op::kStream}, {kClear, kOpen, kStream, kStream, 0, 0});
    put({op::kFlush}, {kClear, kOpen | kStream, 0, 0, kStream, 0});
    put({op::kGetByKey, op::kGetByPosition, op::kGetByPositionVariant, op::kGetPositionLength},
        {kClear, kOpen, 0, kCurrent, 0, kCurrent});
    put({op::kNext, op::kPrevious}, {kClear | kRemember, kOpen | kSequence, 0, kCurrent, 0, kCurrent});
    put({op::kSkip}, {kClear | kRemember, kOpen | kSequence, 0, 0, kCurrent, kCurrent});
    put({op::kBof, op::kEof}, {0, kOpen | kSequence, 0, 0, 0, 0});
    put({op::kSetFile, op::kSetFurther42, op::kSetFilePointer, op::kSetKey, op::kSetKeyValues, op::kSetFurther46,
         op::kSetFurther47, op::kReset, op::kResetKey},
        {kClear | kRemember, kOpen, 0, kSequence, 0, kSequence});
    put({op::kReget, op::kRegetKey}, {kClear, kOpen, 0, kCurrent, 0, 0});
    put({op::kPointer, op::kPointerVariant}, {0, kOpen | kCurrent, 0, 0, 0, 0});
    put({op::kPosition, op::kPositionKey}, {kClear, kOpen | kCurrent, 0, 0, 0, 0});
    put({op::kRecords, op::kRecordsKey, op::kNoOperation, op::kCurrentOrder, op::kMemoSize}, {0, kOpen, 0, 0, 0, 0});
    put({op::kHold, op::kHoldTimed, op::kRelease, op::kAppendLength, op::kBytes, op::kDuplicateKey, op::kWatch, 68,
         69, 70, op::kMemoSliceSet, op::kMemoSlice, op::kMemoPropertySet, op::kMemoPropertyGet},
        {kClear, kOpen, 0, 0, 0, 0});
    put({op::kSend}, {kClear, 0, 0, 0, 0, 0});
  }
};

const Table& table() {
  static const Table t;
  return t;
}

// The codes handled, the frequent record statements first.
constexpr std::uint8_t kCapabilities[] = {
    op::kNext, op::kPrevious, op::kGetByKey, op::kGetByPosition, op::kGetByPositionVariant, op::kGetPositionLength,
    op::kAdd, op::kPut, op::kDelete, op::kSetFile, op::kSetFurther42, op::kSetFilePointer, op::kSetKey,
    op::kSetKeyValues, op::kSetFurther46, op::kSetFurther47, op::kPosition, op::kPositionKey, op::kReset,
    op::kResetKey, op::kReget, op::kRegetKey, op::kSkip, op::kBof, op::kEof, op::kRecords, op::kRecordsKey,
    op::kPointer, op::kPointerVariant, op::kBytes, op::kHold, op::kHoldTimed, op::kRelease, op::kWatch,
    op::kDuplicateAny, op::kDuplicateKey, op::kAppend, op::kPutPosition, op::kOpen, op::kShare, op::kClose,
    op::kCreate, op::kRemove, op::kCopy, op::kRename, op::kEmpty, op::kPack, op::kBuild, op::kBuildKey,
    op::kBuildKeyWithText, op::kBuildKeyWithTwoTexts, op::kLogout, op::kCommit, op::kRollback, op::kLock,
    op::kLockTimed, op::kUnlock, op::kStream, op::kFlush, op::kSend, op::kName, op::kNoOperation,
    op::kCurrentOrder, op::kViewEngine, op::kMemoSliceSet, op::kMemoSlice, op::kMemoSize, op::kMemoPropertySet,
    op::kMemoPropertyGet,
};

}  // namespace

const storage::PreconditionRow* strandelRows() { return table().rows.data(); }
std::int32_t strandelRowCount() { return op::kHighest; }
const std::uint8_t* strandelCapabilities() { return kCapabilities; }
std::size_t strandelCapabilityCount() { return sizeof(kCapabilities); }

}  // namespace linkar::keyed
