// Record operations of the text driver.
#include "storage/ascii/ascii_records.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/pause.h"
#include "storage/ascii/ascii_errors.h"
#include "storage/ascii/oem_charset.h"
#include "storage/layer/field_list.h"

namespace linkar::ascii {

using storage::OpOutcome;

namespace {

// A timed LOCK waits 100 x seconds hundredths of a second.
constexpr int kMillisecondsPerSecond = 1000;
// How long a write to a deny-none file waits for the file lock.
constexpr auto kWriteLockWait = std::chrono::seconds(5);

// Calls f on each text field of the record, cut to the record.
template <typename F>
void eachTextField(AsciiInstance& inst, uint8_t* record, F f)
{
    for (const storage::FieldInfo& field : inst.m_fields) {
        if (!field.isText() || field.offset >= inst.m_recordLength)
            continue;
        uint64_t size = std::min<uint64_t>(field.totalSize(), inst.m_recordLength - field.offset);
        f(record + field.offset, static_cast<size_t>(size));
    }
}

// Takes the file lock, nested: only the first taking reaches the system.
int takeLock(AsciiInstance& inst, std::chrono::milliseconds wait, bool forever)
{
    if (inst.m_lockCount >= kMaxLockNesting)
        return platform::kErrorSharingViolation;
    if (inst.m_lockCount == 0) {
        platform::File& file = inst.m_file.file();
        // Every wait pauses between tries (platform/pause.h), so the other
        // procedure threads and the window system go on meanwhile.
        const int rc = platform::retryWhileBusy(
            [&] { return file.tryLock(kFileLockOffset, kFileLockLength, platform::LockKind::Exclusive); },
            platform::kErrorSharingViolation, forever ? platform::kWaitForever : wait.count());
        if (rc != 0)
            return rc;
    }
    ++inst.m_lockCount;
    return 0;
}

void dropLock(AsciiInstance& inst)
{
    if (inst.m_lockCount == 0)
        return;
    if (--inst.m_lockCount == 0)
        inst.m_file.file().unlock(kFileLockOffset, kFileLockLength);
}

}  // namespace

OpOutcome readRecord(AsciiInstance& inst, uint64_t offset)
{
    inst.m_recordCurrent = false;
    if (inst.m_denyNone && !inst.quickScan())
        inst.m_file.refreshSize();
    if (offset >= inst.m_file.knownSize())
        return OpOutcome::fail(kRecordNotAvailable);
    storage::clearRecord(inst.m_record, inst.m_recordLength, inst.m_fields);
    ReadResult r = readLine(inst.m_file, offset, inst.m_format, inst.m_record);
    if (r.status == ReadStatus::IoError)
        return osFailure(r.osError);
    if (r.status == ReadStatus::NoRecord)
        return OpOutcome::fail(kRecordNotAvailable);
    inst.m_currentOffset = offset;
    inst.m_currentLength = r.consumed;
    inst.m_recordCurrent = true;
    if (inst.oem())
        eachTextField(inst, inst.m_record, [](uint8_t* text, size_t size) { oemToAnsi(text, size); });
    return OpOutcome::ok();
}

OpOutcome writeRecord(AsciiInstance& inst, uint64_t pointer, uint32_t n, bool cutOnZero)
{
    if (inst.m_readOnly)
        return OpOutcome::fail(kAccessDenied);
    bool locked = false;
    if (inst.m_denyNone) {
        if (takeLock(inst, kWriteLockWait, false) != 0)
            return OpOutcome::fail(kAccessDenied);
        locked = true;
        // Another open may have grown the file since we last looked.
        inst.m_file.refreshSize();
    }
    OpOutcome outcome = OpOutcome::ok();
    uint64_t offset = pointer == 0 ? inst.m_file.knownSize() : pointer - 1;
    inst.m_currentOffset = offset;
    n = std::min(n, inst.m_recordLength);
    if (n == 0 && cutOnZero) {
        if (inst.m_file.truncate(offset) != 0)
            outcome = OpOutcome::fail(kAccessDenied);
    } else {
        const uint8_t* source = inst.m_record;
        if (inst.oem()) {
            std::memcpy(inst.m_work.data(), inst.m_record, inst.m_recordLength);
            eachTextField(inst, inst.m_work.data(), [](uint8_t* text, size_t size) { ansiToOem(text, size); });
            source = inst.m_work.data();
        }
        if (inst.m_clip)
            while (n > 0 && source[n - 1] == kBlank)
                --n;
        const std::string& eor = inst.m_format.endOfRecord;
        inst.m_line.assign(source, source + n);
        inst.m_line.insert(inst.m_line.end(), eor.begin(), eor.end());
        if (inst.m_file.write(offset, inst.m_line.data(), inst.m_line.size()) != 0) {
            outcome = OpOutcome::fail(kAccessDenied);
        } else {
            inst.m_currentLength = inst.m_line.size();
            inst.m_recordCurrent = true;
        }
    }
    if (locked) {
        // Others see the file only through the system: what we wrote must be
        // there before the lock goes.
        if (inst.m_file.writeBack() != 0 && outcome.success)
            outcome = OpOutcome::fail(kAccessDenied);
        dropLock(inst);
    }
    return outcome;
}

bool atEndOfFile(AsciiInstance& inst)
{
    if (inst.m_denyNone && !inst.quickScan())
        inst.m_file.refreshSize();
    uint64_t offset = inst.m_nextRead - 1;
    if (inst.m_nextRead == 0 || offset >= inst.m_file.knownSize())
        return true;
    const uint8_t* data = nullptr;
    size_t avail = 0;
    if (inst.m_file.view(offset, 1, &data, &avail) != 0 || avail == 0)
        return true;
    return data[0] == kEndOfFileByte;
}

int32_t recordBytes(AsciiInstance& inst)
{
    if (inst.m_recordCurrent)
        return static_cast<int32_t>(std::min<uint64_t>(inst.m_currentLength, INT32_MAX));
    inst.m_file.refreshSize();
    return static_cast<int32_t>(std::min<uint64_t>(inst.m_file.knownSize(), INT32_MAX));
}

OpOutcome lockFile(AsciiInstance& inst, int32_t seconds)
{
    bool forever = seconds < 0;
    auto wait = std::chrono::milliseconds(int64_t{std::max(seconds, 0)} * kMillisecondsPerSecond);
    if (int rc = takeLock(inst, wait, forever); rc != 0)
        return OpOutcome::fail(rc);
    return OpOutcome::ok();
}

OpOutcome unlockFile(AsciiInstance& inst)
{
    dropLock(inst);
    // Holding the lock made the file exclusive for the while; an open that
    // shares the file is no longer so once the lock is gone.
    if (inst.m_lockCount == 0 && !inst.m_exclusiveOpen)
        inst.m_state &= ~storage::kStateExclusive;
    return OpOutcome::ok();
}

}  // namespace linkar::ascii
