// The text driver's entry: its precondition table, registration block and
// capability list, its instance, and the operations by code.
#include "storage/ascii/ascii_driver.h"

#include <cassert>
#include <cstring>
#include <memory>
#include <string>

#include "runtime/string_stack.h"
#include "storage/ascii/ascii_errors.h"
#include "storage/ascii/ascii_files.h"
#include "storage/ascii/ascii_instance.h"
#include "storage/ascii/ascii_options.h"
#include "storage/ascii/ascii_records.h"
#include "storage/layer/driver_dispatch.h"
#include "storage/layer/op_codes.h"
#include "storage/layer/precondition_table.h"
#include "storage/layer/thread_files.h"

namespace linkar::ascii {

using storage::OpCall;
using storage::OpOutcome;
using storage::PreconditionRow;
namespace op = storage::op;

bool AsciiInstance::oem() const
{
    return (m_attributeBits & storage::kAttrOem) != 0;
}

namespace {

// The SEND text that asks for the registration block.
constexpr std::string_view kRegisterOption = "REGISTER";
// Bytes of a position text: the pointer as a little-endian 32-bit number.
constexpr size_t kPositionSize = 4;
// Published limits, then the sizes of the per-field, per-key and
// per-operation table entries, then the size of the per-file instance.
constexpr uint32_t kLimits[storage::kRegLimitCount] = {128, 65535, 65534, 65535, 255, 37, 25, 24, 121};
constexpr uint16_t kVersion = 1;

// One row per code (row = code - 1): after, require, forbid, set, clear,
// clear-on-error. Codes not listed keep an all-zero row.
struct Table {
    PreconditionRow rows[op::kHighest]{};

    void row(int32_t code, uint32_t after, uint32_t require, uint32_t forbid, uint32_t set, uint32_t clear,
             uint32_t clearOnError)
    {
        rows[code - 1] = {after, require, forbid, set, clear, clearOnError};
    }

    Table()
    {
        row(1, 0x01, 0x41, 0, 0x02, 0, 0);           // ADD
        row(2, 0, 0x21, 0, 0, 0, 0);                 // BOF
        row(3, 0x01, 0xC0, 0x04, 0, 0, 0);           // BUILD
        row(4, 0x01, 0x41, 0, 0, 0, 0);              // APPEND
        row(5, 0x01, 0x01, 0x04, 0, 0, 0);           // BUILD (key) with texts
        row(6, 0x01, 0xC0, 0x04, 0, 0, 0);           // BUILD (key)
        row(7, 0x03, 0x01, 0x04, 0, 0x01, 0);        // CLOSE
        row(8, 0x01, 0x05, 0, 0, 0x14, 0);           // COMMIT
        row(9, 0x03, 0, 0x01, 0, 0, 0);              // COPY
        row(10, 0x03, 0, 0x01, 0, 0, 0);             // CREATE
        row(11, 0x01, 0x43, 0, 0, 0x02, 0);          // DELETE
        row(12, 0x01, 0x41, 0, 0, 0, 0);             // duplicate check (any key)
        row(13, 0x01, 0xC1, 0x04, 0, 0, 0);          // EMPTY
        row(14, 0, 0x21, 0, 0, 0, 0);                // EOF
        row(15, 0x01, 0x01, 0, 0x02, 0, 0x02);       // GET by key
        row(16, 0x01, 0x01, 0, 0x02, 0, 0x02);       // GET by position
        row(17, 0x01, 0x01, 0, 0x02, 0, 0x02);       // GET by position (variant)
        row(18, 0x01, 0x01, 0, 0, 0, 0);             // HOLD
        row(19, 0x01, 0x01, 0, 0, 0, 0);             // HOLD with time limit
        row(20, 0x01, 0x01, 0x10, 0x90, 0, 0);       // LOCK
        row(21, 0x01, 0x01, 0x10, 0x90, 0, 0);       // LOCK with time limit
        row(22, 0x01, 0x01, 0x04, 0x04, 0, 0x10);    // LOGOUT
        row(23, 0, 0, 0, 0, 0, 0);                   // NAME
        row(24, 0x05, 0x21, 0, 0x02, 0, 0x02);       // NEXT
        row(25, 0x01, 0, 0x01, 0x01, 0, 0);          // OPEN
        row(26, 0x01, 0xC0, 0x04, 0, 0x22, 0x22);    // PACK
        row(27, 0, 0x03, 0, 0, 0, 0);                // POINTER
        row(28, 0, 0x03, 0, 0, 0, 0);                // POINTER (variant)
        row(29, 0x01, 0x09, 0, 0, 0x08, 0);          // FLUSH
        row(30, 0x01, 0x43, 0, 0, 0, 0);             // PUT
        row(31, 0x05, 0x21, 0, 0x02, 0, 0x02);       // PREVIOUS
        row(32, 0, 0x01, 0, 0, 0, 0);                // RECORDS
        row(33, 0, 0x01, 0, 0, 0, 0);                // RECORDS (key)
        row(34, 0x01, 0x01, 0x04, 0, 0, 0);          // BUILD (key) with two texts
        row(36, 0x01, 0x01, 0, 0, 0, 0);             // RELEASE
        row(37, 0x03, 0, 0x01, 0, 0, 0);             // REMOVE
        row(38, 0x03, 0, 0x01, 0, 0, 0);             // RENAME
        row(40, 0x01, 0x05, 0, 0, 0x14, 0);          // ROLLBACK
        for (int32_t code = 41; code <= 47; ++code)  // the SET forms
            row(code, 0x05, 0x01, 0, 0x20, 0, 0x20);
        row(48, 0x01, 0, 0x01, 0x01, 0, 0);          // SHARE
        row(49, 0x05, 0x21, 0, 0, 0x02, 0x02);       // SKIP
        row(50, 0x01, 0x11, 0x04, 0, 0x10, 0);       // UNLOCK
        row(51, 0x01, 0x01, 0, 0, 0, 0);             // append with explicit length
        row(52, 0x01, 0x01, 0, 0, 0, 0);             // BYTES
        row(53, 0x01, 0x01, 0, 0x02, 0, 0x02);       // GET by position with length
        row(54, 0x01, 0x41, 0, 0, 0, 0x02);          // PUT at position
        row(55, 0x01, 0x41, 0, 0, 0, 0x02);          // PUT at position with length
        row(56, 0x01, 0x01, 0x08, 0x08, 0, 0);       // STREAM
        row(57, 0x01, 0x01, 0, 0, 0, 0);             // duplicate check (given key)
        row(58, 0x01, 0x01, 0, 0, 0, 0);             // WATCH
        row(59, 0x01, 0x41, 0, 0, 0, 0);             // append with explicit length, writable files only
        row(60, 0x01, 0, 0, 0, 0, 0);                // SEND
        row(61, 0x01, 0x03, 0, 0, 0, 0);             // POSITION (file)
        row(62, 0x01, 0x03, 0, 0, 0, 0);             // POSITION (key)
        row(63, 0x05, 0x01, 0, 0x20, 0, 0x20);       // RESET (file, to position)
        row(64, 0x05, 0x01, 0, 0x20, 0, 0x20);       // RESET (key, to position)
        row(65, 0, 0x01, 0, 0, 0, 0);                // no operation
        row(66, 0x01, 0x01, 0, 0x02, 0, 0);          // REGET (file, by position)
        row(67, 0x01, 0x01, 0, 0x02, 0, 0);          // REGET (key, by position)
        for (int32_t code = 68; code <= 70; ++code)
            row(code, 0x01, 0x01, 0, 0, 0, 0);
        row(73, 0, 0x01, 0, 0, 0, 0);                // current order
        row(75, 0x01, 0x01, 0, 0, 0, 0);             // memo slice assignment
        row(76, 0x01, 0x01, 0, 0, 0, 0);             // memo slice
        row(77, 0, 0x01, 0, 0, 0, 0);                // memo size
        row(78, 0x01, 0x01, 0, 0, 0, 0);             // memo property assignment
        row(79, 0x01, 0x01, 0, 0, 0, 0);             // memo property query
    }
};

const Table& table()
{
    static const Table t;
    return t;
}

// The codes this driver handles, the busiest first: the dispatch looks a code
// up in this list on every call.
constexpr uint8_t kCapabilities[] = {
    op::kNext, op::kAdd, op::kAppend, op::kAppendLength, op::kAppendLengthWritable, op::kEof, op::kBytes,
    op::kPointer, op::kGetByPosition, op::kGetPositionLength, op::kPut, op::kPutPosition, op::kPutPositionLength,
    op::kPosition, op::kReset, op::kReget, op::kSetFile, op::kSetFilePointer, op::kOpen, op::kShare, op::kClose,
    op::kName, op::kCreate, op::kRemove, op::kCopy, op::kRename, op::kEmpty, op::kLock, op::kLockTimed,
    op::kUnlock, op::kFlush, op::kSend, op::kCurrentOrder,
};

storage::DriverRegistration makeRegistration()
{
    storage::DriverRegistration r;
    r.name = storage::registrationText<storage::kRegNameSize>("ASCII");
    r.library = storage::registrationText<storage::kRegLibrarySize>("KWASC16.DLL");
    r.notice = storage::registrationText<storage::kRegNoticeSize>("Linkar text file driver");
    r.description = storage::registrationText<storage::kRegDescriptionSize>("Ascii File Driver 1.0");
    r.entry = &asciiDriverEntry;
    r.version = kVersion;
    for (size_t i = 0; i < storage::kRegLimitCount; ++i)
        r.limits[i] = kLimits[i];
    r.capabilities = kCapabilities;
    r.capabilityCount = sizeof kCapabilities;
    return r;
}

std::unique_ptr<storage::DriverInstance> createInstance(const storage::FileDecl& file, int& error)
{
    // A text file is lines and nothing else: no keys, no memos.
    if (file.keyCount != 0 || file.memoCount != 0) {
        error = kInvalidRecordDeclaration;
        return nullptr;
    }
    auto inst = std::make_unique<AsciiInstance>();
    error = storage::initInstance(*inst, file);
    if (error != 0)
        return nullptr;
    assert(inst->m_record != nullptr || inst->m_recordLength == 0);
    inst->m_format.recordLength = inst->m_recordLength;
    return inst;
}

// The 1-based pointer in a position text (missing bytes count as 0).
uint64_t positionPointer(const std::string& text)
{
    uint32_t value = 0;
    for (size_t i = 0; i < kPositionSize && i < text.size(); ++i)
        value |= uint32_t{static_cast<uint8_t>(text[i])} << (8 * i);
    return value;
}

std::string positionText(uint32_t pointer)
{
    std::string text(kPositionSize, '\0');
    for (size_t i = 0; i < kPositionSize; ++i)
        text[i] = static_cast<char>((pointer >> (8 * i)) & 0xFF);
    return text;
}

// GET by position: a pointer of 0 reads nothing.
OpOutcome getAt(AsciiInstance& inst, int64_t pointer)
{
    if (pointer == 0) {
        inst.m_recordCurrent = false;
        return OpOutcome::ok();
    }
    if (pointer < 0)
        return OpOutcome::fail(kRecordNotAvailable);
    return readRecord(inst, static_cast<uint64_t>(pointer - 1));
}

// A length operand: negative lengths are refused rather than taken for 0,
// which would cut the file.
bool validLength(int32_t length)
{
    return length >= 0;
}

OpOutcome perform(OpCall& call)
{
    auto& inst = static_cast<AsciiInstance&>(call.instance);
    storage::ArgBlock& args = call.args;
    switch (call.code) {
    case op::kOpen:
    case op::kShare:
        return openFile(inst, args.mode);
    case op::kName:
        return OpOutcome::okText((inst.m_state & storage::kStateOpen) ? inst.m_path : inst.m_name);
    case op::kClose:
        return closeFile(inst);
    case op::kCreate:
        return createFile(inst);
    case op::kRemove:
        return removeFile(inst);
    case op::kCopy:
        return copyFile(inst, call.texts[0]);
    case op::kRename:
        return renameFile(inst, call.texts[0]);
    case op::kEmpty:
        return emptyFile(inst);
    case op::kSetFile:
        inst.m_nextRead = 1;
        return OpOutcome::ok();
    case op::kSetFilePointer:
        inst.m_nextRead = args.pointer > 0 ? static_cast<uint64_t>(args.pointer) : 1;
        return OpOutcome::ok();
    case op::kReset: {
        uint64_t pointer = positionPointer(call.texts[0]);
        inst.m_nextRead = pointer == 0 ? 1 : pointer;
        return OpOutcome::ok();
    }
    case op::kNext: {
        uint64_t offset = inst.m_nextRead - 1;
        OpOutcome outcome = readRecord(inst, offset);
        if (outcome.success)
            inst.m_nextRead = offset + inst.m_currentLength + 1;
        return outcome;
    }
    case op::kGetByPosition:
    case op::kGetPositionLength:
        return getAt(inst, args.pointer);
    case op::kReget:
        return getAt(inst, static_cast<int64_t>(positionPointer(call.texts[0])));
    case op::kAdd:
    case op::kAppend:
        return writeRecord(inst, 0, inst.m_recordLength, false);
    case op::kAppendLength:
    case op::kAppendLengthWritable:
        if (!validLength(args.length))
            return OpOutcome::fail(kAccessDenied);
        return writeRecord(inst, 0, static_cast<uint32_t>(args.length), false);
    case op::kPut:
        return writeRecord(inst, inst.m_currentOffset + 1, inst.m_recordLength, false);
    case op::kPutPosition:
    case op::kPutPositionLength: {
        if (args.pointer < 0 || (call.code == op::kPutPositionLength && !validLength(args.length)))
            return OpOutcome::fail(kAccessDenied);
        bool withLength = call.code == op::kPutPositionLength;
        uint32_t n = withLength ? static_cast<uint32_t>(args.length) : inst.m_recordLength;
        return writeRecord(inst, static_cast<uint64_t>(args.pointer), n, withLength);
    }
    case op::kEof:
        return OpOutcome::ok(atEndOfFile(inst) ? 1 : 0);
    case op::kPointer:
        return OpOutcome::ok(inst.m_recordCurrent ? static_cast<int32_t>(inst.m_currentOffset + 1) : 0);
    case op::kPosition:
        return OpOutcome::okText(
            positionText(inst.m_recordCurrent ? static_cast<uint32_t>(inst.m_currentOffset + 1) : 0));
    case op::kBytes:
        return OpOutcome::ok(recordBytes(inst));
    case op::kLock:
        return lockFile(inst, -1);
    case op::kLockTimed:
        return lockFile(inst, std::max(args.seconds, 0));
    case op::kUnlock:
        return unlockFile(inst);
    case op::kFlush:
        if (inst.m_file.flush() != 0)
            return OpOutcome::fail(kAccessDenied);
        return OpOutcome::ok();
    case op::kSend: {
        std::string_view option = call.texts[0];
        while (!option.empty() && option.back() == ' ')
            option.remove_suffix(1);
        if (option == kRegisterOption)
            return OpOutcome::okText(storage::registrationAnswer(asciiRegistration()));
        return OpOutcome::okText(sendOption(inst, call.texts[0]));
    }
    case op::kCurrentOrder:
        // Only file order exists here.
        return OpOutcome::ok(0);
    default:
        return OpOutcome::fail(kUnsupportedFunction);
    }
}

const storage::DriverTable& driverTable()
{
    static const storage::DriverTable s{table().rows, op::kHighest, &asciiRegistration(), &createInstance,
                                       &perform, 0};
    return s;
}

bool isRegisterRequest(int32_t code)
{
    if (code != op::kSend)
        return false;
    std::string_view top = runtime::stringStack().top();
    while (!top.empty() && top.back() == ' ')
        top.remove_suffix(1);
    return top == kRegisterOption;
}

}  // namespace

const storage::DriverRegistration& asciiRegistration()
{
    static const storage::DriverRegistration block = [] {
        storage::DriverRegistration r = makeRegistration();
        return r;
    }();
    static const bool published = (storage::publishRegistration(block), true);
    (void)published;
    return block;
}

int32_t asciiDriverEntry(int32_t code, storage::Descriptor* descriptor, storage::ArgBlock* args)
{
    bool registerRequest = isRegisterRequest(code);
    int32_t result = storage::dispatch(driverTable(), code, descriptor, args);
    // The registration question leaves no instance behind on a closed file.
    if (registerRequest && descriptor != nullptr) {
        auto& file = static_cast<storage::FileDecl&>(*descriptor);
        std::unique_ptr<storage::DriverInstance>& instance = storage::instanceOf(file);
        if (instance && !(instance->m_state & storage::kStateOpen))
            instance.reset();
    }
    return result;
}

}  // namespace linkar::ascii
