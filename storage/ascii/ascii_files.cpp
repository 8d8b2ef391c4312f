// Whole-file operations of the text driver.
//
// A file another open holds must survive every operation here: CREATE opens
// with nothing shared, so it cannot cut a file open anywhere else; REMOVE
// first tries such an open itself; EMPTY refuses while another open denies
// reading. On this platform deleting or cutting an open file would otherwise
// succeed silently.
#include "storage/ascii/ascii_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/file.h"
#include "platform/file_system.h"
#include "storage/ascii/ascii_errors.h"
#include "storage/ascii/ascii_options.h"
#include "storage/layer/declarations.h"

namespace linkar::ascii {

using storage::OpOutcome;

namespace {

// Place of the drive colon in a name that still needs resolving.
constexpr size_t kDriveColon = 1;

platform::OpenMode openModeOf(int32_t mode)
{
    platform::OpenMode m;
    if (mode & storage::kAccessReadWrite)
        m.access = platform::Access::ReadWrite;
    else if (mode & storage::kAccessWrite)
        m.access = platform::Access::Write;
    else
        m.access = platform::Access::Read;
    bool shareRead = false;
    bool shareWrite = false;
    if (mode & storage::kDenyAll) {
        // deny all, and deny read as well
    } else if ((mode & storage::kShareMask) == storage::kDenyNone) {
        shareRead = shareWrite = true;
    } else {
        shareWrite = !(mode & storage::kDenyWrite);
        shareRead = !(mode & storage::kDenyWrite);
    }
    m.denyRead = !shareRead;
    m.denyWrite = !shareWrite;
    return m;
}

// Nobody else may hold the file: the open shares nothing.
const platform::OpenMode kSoleOpen{platform::Access::ReadWrite, true, true};

std::string trimmedName(std::string_view name)
{
    size_t n = name.size();
    while (n > 0 && name[n - 1] == ' ')
        --n;
    return std::string(name.substr(0, n));
}

}  // namespace

int resolveName(std::string_view name, std::string* path)
{
    path->clear();
    if (name.empty() || name.size() >= kMaxNameLength)
        return kInvalidFilename;
    size_t colon = name.find(':');
    if (colon != std::string_view::npos && colon != kDriveColon) {
        *path = std::string(name);
        return 0;
    }
    if (platform::absolutePath(std::string(name), path) != 0)
        return kInvalidFilename;
    return 0;
}

OpOutcome openFile(AsciiInstance& inst, int32_t mode)
{
    std::string path;
    if (int rc = resolveName(inst.m_name, &path); rc != 0)
        return OpOutcome::fail(rc);
    platform::OpenMode openMode = openModeOf(mode);
    if (int rc = inst.m_file.open(path, openMode); rc != 0)
        return openFailure(rc);

    inst.m_path = path;
    inst.m_currentOffset = 0;
    inst.m_currentLength = 0;
    inst.m_recordCurrent = false;
    inst.m_nextRead = 1;
    inst.m_lockCount = 0;
    bool exclusive = (mode & (storage::kDenyAll | storage::kDenyWrite)) != 0;

    // The defaults, in their order.
    inst.m_clip = true;
    inst.m_format = LineFormat{};
    inst.m_format.recordLength = inst.m_recordLength;
    if (inst.oem())
        inst.m_work.assign(inst.m_recordLength, 0);
    size_t buffer = exclusive ? kExclusiveBufferSize : kSharedBufferSize;
    buffer = std::max<size_t>(buffer, size_t{2} * inst.m_recordLength);
    if (int rc = inst.m_file.setBufferSize(buffer); rc != 0) {
        inst.m_file.close();
        return osFailure(rc);
    }
    inst.m_file.setQuickScan(exclusive);
    applyDeclaredOptions(inst, inst.m_options);
    inst.m_readOnly = (mode & storage::kAccessMask) == storage::kAccessRead;
    inst.m_denyNone = (mode & storage::kShareMask) == storage::kDenyNone;
    inst.m_exclusiveOpen = exclusive;
    inst.m_denyRead = openMode.denyRead;

    if (!inst.m_readOnly)
        inst.m_state |= storage::kStateWrite;
    if (exclusive)
        inst.m_state |= storage::kStateExclusive;
    return OpOutcome::ok();
}

OpOutcome closeFile(AsciiInstance& inst)
{
    int rc = inst.m_file.close();
    inst.m_lockCount = 0;
    inst.m_path.clear();
    if (rc != 0) {
        // The file is closed all the same; what could not be written is lost
        // and said so.
        inst.m_state &= ~storage::kStateOpen;
        return OpOutcome::fail(kAccessDenied);
    }
    return OpOutcome::ok();
}

OpOutcome createFile(AsciiInstance& inst)
{
    if (!(inst.m_attributeBits & storage::kAttrCreate))
        return OpOutcome::fail(kNoCreateAttribute);
    std::string path;
    if (int rc = resolveName(inst.m_name, &path); rc != 0)
        return OpOutcome::fail(rc);
    platform::File file;
    if (int rc = file.open(path, kSoleOpen, platform::Disposition::CreateAlways); rc != 0)
        return openFailure(rc);
    if (int rc = file.close(); rc != 0)
        return osFailure(rc);
    return OpOutcome::ok();
}

OpOutcome removeFile(AsciiInstance& inst)
{
    std::string path;
    if (int rc = resolveName(inst.m_name, &path); rc != 0)
        return OpOutcome::fail(rc);
    {
        platform::File probe;
        int rc = probe.open(path, platform::OpenMode{platform::Access::Read, true, true});
        if (rc == platform::kErrorSharingViolation)
            return OpOutcome::fail(kAccessDenied);
        if (rc == platform::kErrorFileNotFound)
            return OpOutcome::fail(kFileNotFound);
    }
    int rc = platform::removeFile(path);
    if (rc == 0)
        return OpOutcome::ok();
    return OpOutcome::fail(rc == platform::kErrorFileNotFound ? kFileNotFound : kAccessDenied);
}

OpOutcome copyFile(AsciiInstance& inst, std::string_view newName)
{
    std::string from;
    std::string to;
    if (int rc = resolveName(inst.m_name, &from); rc != 0)
        return OpOutcome::fail(rc);
    if (int rc = resolveName(trimmedName(newName), &to); rc != 0)
        return OpOutcome::fail(rc);
    // Copying a file onto itself would cut it before reading it.
    std::error_code ec;
    if (std::filesystem::equivalent(from, to, ec) && !ec)
        return OpOutcome::fail(kAccessDenied);
    if (int rc = platform::copyFile(from, to); rc != 0)
        return osFailure(rc);
    return OpOutcome::ok();
}

OpOutcome renameFile(AsciiInstance& inst, std::string_view newName)
{
    std::string from;
    std::string to;
    if (int rc = resolveName(inst.m_name, &from); rc != 0)
        return OpOutcome::fail(rc);
    if (int rc = resolveName(trimmedName(newName), &to); rc != 0)
        return OpOutcome::fail(rc);
    if (int rc = platform::renameFile(from, to, false); rc != 0)
        return osFailure(rc);
    return OpOutcome::ok();
}

OpOutcome emptyFile(AsciiInstance& inst)
{
    // Our own open admits no writer besides us; a reader that denies reading
    // to others would still be there. An open that itself denies reading has
    // the file to itself.
    if (!inst.m_denyRead) {
        platform::File probe;
        int rc = probe.open(inst.m_path, platform::OpenMode{platform::Access::Read, false, false});
        if (rc == platform::kErrorSharingViolation)
            return OpOutcome::fail(kAccessDenied);
    }
    if (inst.m_file.truncate(0) != 0)
        return OpOutcome::fail(kAccessDenied);
    return OpOutcome::ok();
}

}  // namespace linkar::ascii
