// Operation codes by which file statements name their operation to a driver.
// The numbers are fixed: drivers keep one precondition row per code (row =
// code - 1) and publish the codes they handle in their capability lists.
#pragma once

#include <cstdint>

namespace linkar::storage::op {

constexpr int32_t kAdd = 1;                    // ADD
constexpr int32_t kBof = 2;                    // BOF
constexpr int32_t kBuild = 3;                  // BUILD (whole file)
constexpr int32_t kAppend = 4;                 // APPEND
constexpr int32_t kBuildKeyWithText = 5;       // BUILD (key) with a text
constexpr int32_t kBuildKey = 6;               // BUILD (key)
constexpr int32_t kClose = 7;                  // CLOSE
constexpr int32_t kCommit = 8;                 // COMMIT
constexpr int32_t kCopy = 9;                   // COPY to a new name
constexpr int32_t kCreate = 10;                // CREATE
constexpr int32_t kDelete = 11;                // DELETE
constexpr int32_t kDuplicateAny = 12;          // duplicate check, any key
constexpr int32_t kEmpty = 13;                 // EMPTY
constexpr int32_t kEof = 14;                   // EOF
constexpr int32_t kGetByKey = 15;              // GET by key
constexpr int32_t kGetByPosition = 16;         // GET by position
constexpr int32_t kGetByPositionVariant = 17;  // GET by position (variant)
constexpr int32_t kHold = 18;                  // HOLD
constexpr int32_t kHoldTimed = 19;             // HOLD with time limit
constexpr int32_t kLock = 20;                  // LOCK
constexpr int32_t kLockTimed = 21;             // LOCK with time limit
constexpr int32_t kLogout = 22;                // LOGOUT (begin transaction)
constexpr int32_t kName = 23;                  // NAME
constexpr int32_t kNext = 24;                  // NEXT
constexpr int32_t kOpen = 25;                  // OPEN
constexpr int32_t kPack = 26;                  // PACK
constexpr int32_t kPointer = 27;               // POINTER
constexpr int32_t kPointerVariant = 28;        // POINTER (variant)
constexpr int32_t kFlush = 29;                 // FLUSH
constexpr int32_t kPut = 30;                   // PUT
constexpr int32_t kPrevious = 31;              // PREVIOUS
constexpr int32_t kRecords = 32;               // RECORDS
constexpr int32_t kRecordsKey = 33;            // RECORDS (key)
constexpr int32_t kBuildKeyWithTwoTexts = 34;  // BUILD (key) with two texts
constexpr int32_t kRelease = 36;               // RELEASE
constexpr int32_t kRemove = 37;                // REMOVE
constexpr int32_t kRename = 38;                // RENAME
constexpr int32_t kRollback = 40;              // ROLLBACK
constexpr int32_t kSetFile = 41;               // SET (file order)
constexpr int32_t kSetFurther42 = 42;          // SET (further form)
constexpr int32_t kSetFilePointer = 43;        // SET (file order, from pointer)
constexpr int32_t kSetKey = 44;                // SET (key order)
constexpr int32_t kSetKeyValues = 45;          // SET (key order, from key values)
constexpr int32_t kSetFurther46 = 46;          // SET (further form)
constexpr int32_t kSetFurther47 = 47;          // SET (further form)
constexpr int32_t kShare = 48;                 // SHARE
constexpr int32_t kSkip = 49;                  // SKIP
constexpr int32_t kUnlock = 50;                // UNLOCK
constexpr int32_t kAppendLength = 51;          // append with explicit length
constexpr int32_t kBytes = 52;                 // BYTES
constexpr int32_t kGetPositionLength = 53;     // GET by position with length
constexpr int32_t kPutPosition = 54;           // PUT at position
constexpr int32_t kPutPositionLength = 55;     // PUT at position with length
constexpr int32_t kStream = 56;                // STREAM
constexpr int32_t kDuplicateKey = 57;          // duplicate check, given key
constexpr int32_t kWatch = 58;                 // WATCH
constexpr int32_t kAppendLengthWritable = 59;  // append with length, writable files only
constexpr int32_t kSend = 60;                  // SEND
constexpr int32_t kPosition = 61;              // POSITION (file or view)
constexpr int32_t kPositionKey = 62;           // POSITION (key)
constexpr int32_t kReset = 63;                 // RESET (file or view, to position)
constexpr int32_t kResetKey = 64;              // RESET (key, to position)
constexpr int32_t kNoOperation = 65;           // no operation
constexpr int32_t kReget = 66;                 // REGET (file or view, by position)
constexpr int32_t kRegetKey = 67;              // REGET (key, by position)
constexpr int32_t kPropertySet = 71;           // property assignment
constexpr int32_t kPropertyGet = 72;           // property query
constexpr int32_t kCurrentOrder = 73;          // current order (key number, 0 = file order)
constexpr int32_t kViewEngine = 74;            // view-engine query
constexpr int32_t kMemoSliceSet = 75;          // memo slice assignment
constexpr int32_t kMemoSlice = 76;             // memo slice
constexpr int32_t kMemoSize = 77;              // memo size
constexpr int32_t kMemoPropertySet = 78;       // memo property assignment
constexpr int32_t kMemoPropertyGet = 79;       // memo property query

constexpr int32_t kHighest = 79;  // the highest code any driver table holds

// How many text operands the common dispatch pops for a code (0, 1 or 2).
int textOperandCount(int32_t code);

// Whether the code leaves a text result on the string stack.
bool hasTextResult(int32_t code);

}  // namespace linkar::storage::op
