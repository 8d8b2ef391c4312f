// The entry points of the file statements.
#include "storage/layer/file_statements.h"

#include <set>
#include <string>

#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/runtime_error.h"
#include "runtime/string_stack.h"
#include "storage/layer/driver_instance.h"
#include "storage/layer/field_list.h"
#include "storage/layer/op_codes.h"
#include "storage/layer/thread_files.h"

namespace linkar::storage {

namespace {

// The runtime error for a declaration that names no driver: a fault of the
// program, not of its data, so it ends the program with the file named.
constexpr int kNoDriverError = runtime::err::kInternalError01;

[[noreturn]] void noDriver(std::string_view what)
{
    runtime::raiseRuntimeError(kNoDriverError, "No file driver declared for " + std::string(what));
}

int32_t call(Descriptor& d, int32_t code, ArgBlock args = {})
{
    return fileCall(d, code, args);
}

int32_t call(FileDecl& file, int32_t code, ArgBlock args = {})
{
    if (file.entry == nullptr)
        noDriver(declaredText(file.name, file.nameLength));
    return file.entry(code, &file, &args);
}

ArgBlock withKey(KeyDecl& key)
{
    ArgBlock a;
    a.key = &key;
    return a;
}

ArgBlock withPointer(int32_t pointer, int32_t length = 0)
{
    ArgBlock a;
    a.pointer = pointer;
    a.length = length;
    return a;
}

void pushText(std::string_view text)
{
    runtime::stringStack().push(text);
}

std::string popText()
{
    return runtime::stringStack().pop();
}

}  // namespace

int32_t fileCall(Descriptor& file, int32_t code, ArgBlock& args)
{
    if (file.entry == nullptr)
        noDriver("a file or view");
    return file.entry(code, &file, &args);
}

void fileAdd(FileDecl& file) { call(file, op::kAdd); }
void fileAppend(FileDecl& file) { call(file, op::kAppend); }
void fileAppendLength(FileDecl& file, int32_t length) { call(file, op::kAppendLength, withPointer(0, length)); }
void fileDelete(FileDecl& file) { call(file, op::kDelete); }
void fileGet(FileDecl& file, KeyDecl& key) { call(file, op::kGetByKey, withKey(key)); }
void fileGetPosition(FileDecl& file, int32_t pointer) { call(file, op::kGetByPosition, withPointer(pointer)); }
void fileGetPositionLength(FileDecl& file, int32_t pointer, int32_t length)
{
    call(file, op::kGetPositionLength, withPointer(pointer, length));
}
void filePut(Descriptor& file) { call(file, op::kPut); }
void filePutPosition(FileDecl& file, int32_t pointer) { call(file, op::kPutPosition, withPointer(pointer)); }
void filePutPositionLength(FileDecl& file, int32_t pointer, int32_t length)
{
    call(file, op::kPutPositionLength, withPointer(pointer, length));
}
void fileHold(Descriptor& file) { call(file, op::kHold); }
void fileHoldTimed(Descriptor& file, int32_t seconds)
{
    ArgBlock a;
    a.seconds = seconds;
    call(file, op::kHoldTimed, a);
}
void fileRelease(Descriptor& file) { call(file, op::kRelease); }
void fileWatch(Descriptor& file) { call(file, op::kWatch); }

void fileSet(FileDecl& file) { call(file, op::kSetFile); }
void fileSetPointer(FileDecl& file, int32_t pointer) { call(file, op::kSetFilePointer, withPointer(pointer)); }
void fileSetKey(FileDecl& file, KeyDecl& key) { call(file, op::kSetKey, withKey(key)); }
void fileSetKeyValues(FileDecl& file, KeyDecl& key, KeyDecl& values)
{
    ArgBlock a = withKey(key);
    a.key2 = &values;
    call(file, op::kSetKeyValues, a);
}
void fileNext(Descriptor& file) { call(file, op::kNext); }
void filePrevious(Descriptor& file) { call(file, op::kPrevious); }
void fileSkip(Descriptor& file, int32_t count)
{
    ArgBlock a;
    a.count = count;
    call(file, op::kSkip, a);
}
std::string filePosition(Descriptor& file)
{
    call(file, op::kPosition);
    return popText();
}
std::string filePositionKey(FileDecl& file, KeyDecl& key)
{
    call(file, op::kPositionKey, withKey(key));
    return popText();
}
void fileReset(Descriptor& file, std::string_view position)
{
    pushText(position);
    call(file, op::kReset);
}
void fileResetKey(FileDecl& file, KeyDecl& key, std::string_view position)
{
    pushText(position);
    call(file, op::kResetKey, withKey(key));
}
void fileReget(Descriptor& file, std::string_view position)
{
    pushText(position);
    call(file, op::kReget);
}
void fileRegetKey(FileDecl& file, KeyDecl& key, std::string_view position)
{
    pushText(position);
    call(file, op::kRegetKey, withKey(key));
}

void fileOpen(Descriptor& file, int32_t mode)
{
    ArgBlock a;
    a.mode = mode;
    call(file, op::kOpen, a);
}
void fileShare(FileDecl& file, int32_t mode)
{
    ArgBlock a;
    a.mode = mode;
    call(file, op::kShare, a);
}
void fileClose(Descriptor& file) { call(file, op::kClose); }
void fileCreate(FileDecl& file) { call(file, op::kCreate); }
void fileRemove(FileDecl& file) { call(file, op::kRemove); }
void fileCopy(FileDecl& file, std::string_view newName)
{
    pushText(newName);
    call(file, op::kCopy);
}
void fileRename(FileDecl& file, std::string_view newName)
{
    pushText(newName);
    call(file, op::kRename);
}
void fileEmpty(FileDecl& file) { call(file, op::kEmpty); }
void filePack(FileDecl& file) { call(file, op::kPack); }
void fileBuild(FileDecl& file) { call(file, op::kBuild); }
void fileBuildKey(FileDecl& file, KeyDecl& key) { call(file, op::kBuildKey, withKey(key)); }
void fileBuildKeyText(FileDecl& file, KeyDecl& key, std::string_view text)
{
    pushText(text);
    call(file, op::kBuildKeyWithText, withKey(key));
}
void fileBuildKeyTexts(FileDecl& file, KeyDecl& key, std::string_view text1, std::string_view text2)
{
    pushText(text1);
    pushText(text2);
    call(file, op::kBuildKeyWithTwoTexts, withKey(key));
}
void fileLock(FileDecl& file) { call(file, op::kLock); }
void fileLockTimed(FileDecl& file, int32_t seconds)
{
    ArgBlock a;
    a.seconds = seconds;
    call(file, op::kLockTimed, a);
}
void fileUnlock(FileDecl& file) { call(file, op::kUnlock); }
void fileFlush(FileDecl& file) { call(file, op::kFlush); }
void fileStream(FileDecl& file) { call(file, op::kStream); }
void fileLogout(FileDecl& file) { call(file, op::kLogout); }
void fileCommit(FileDecl& file) { call(file, op::kCommit); }
void fileRollback(FileDecl& file) { call(file, op::kRollback); }

namespace {

// The files fileLogoutFiles() locked on this thread, until
// fileEndLogoutFiles() lets go of them.
using LogoutLocks = std::set<const FileDecl*>;
const char kLogoutLocksKey = 0;

LogoutLocks& logoutLocks()
{
    return threadFiles().driverState<LogoutLocks>(&kLogoutLocksKey);
}

bool inState(FileDecl& file, uint32_t bits)
{
    const std::unique_ptr<DriverInstance>& instance = instanceOf(file);
    return instance && instance->has(bits);
}

// LOCK with a time limit. False when the file could not be locked; a
// driver that has no locks counts as locked.
bool lockForLogout(FileDecl& file, int32_t seconds)
{
    if (inState(file, kStateLocked))
        return true;
    runtime::clearError();
    ArgBlock a;
    a.seconds = seconds;
    call(file, op::kLockTimed, a);
    if (runtime::errorCode() == runtime::err::kUnsupportedFunction)
        return true;
    if (runtime::errorCode() != 0 || !inState(file, kStateLocked))
        return false;
    logoutLocks().insert(&file);
    return true;
}

bool beginLogout(FileDecl& file)
{
    runtime::clearError();
    call(file, op::kLogout);
    return runtime::errorCode() == 0 && inState(file, kStateTransaction);
}

// Ends the transaction of every file still in one: COMMIT or ROLLBACK of a
// driver reaches all the files its transaction spans. Keeps the first error.
void endBegun(bool commit, const std::vector<FileDecl*>& files)
{
    runtime::clearError();
    bool failed = false;
    for (FileDecl* file : files) {
        if (!inState(*file, kStateTransaction))
            continue;
        call(*file, commit ? op::kCommit : op::kRollback);
        if (runtime::errorCode() != 0 && !failed) {
            failed = true;
            runtime::saveError();
        }
    }
    if (failed)
        runtime::restoreError();
}

// Lets go of the locks fileLogoutFiles() took on these files; the error
// state stays as it is.
void unlockTaken(const std::vector<FileDecl*>& files)
{
    LogoutLocks& locks = logoutLocks();
    runtime::saveError();
    for (FileDecl* file : files)
        if (locks.erase(file) != 0)
            call(*file, op::kUnlock);
    runtime::restoreError();
}

}  // namespace

void fileLogoutFiles(int32_t seconds, const std::vector<FileDecl*>& files)
{
    for (FileDecl* file : files) {
        if (inState(*file, kStateTransaction)) {
            runtime::setErrorFromCode(runtime::err::kLogoutAlreadyActive, file);
            return;
        }
    }
    bool begun = true;
    for (FileDecl* file : files)
        if (begun && !lockForLogout(*file, seconds))
            begun = false;
    for (FileDecl* file : files)
        if (begun && !beginLogout(*file))
            begun = false;
    if (begun) {
        runtime::clearError();
        return;
    }
    endBegun(false, files);
    unlockTaken(files);
    runtime::setErrorFromCode(runtime::err::kUnableToLogTransaction);
}

void fileEndLogoutFiles(bool commit, const std::vector<FileDecl*>& files)
{
    endBegun(commit, files);
    unlockTaken(files);
}
std::string fileSend(FileDecl& file, std::string_view option)
{
    pushText(option);
    call(file, op::kSend);
    return popText();
}
void fileNoOperation(FileDecl& file) { call(file, op::kNoOperation); }

bool fileBof(FileDecl& file) { return call(file, op::kBof) != 0; }
bool fileEof(FileDecl& file) { return call(file, op::kEof) != 0; }
int32_t fileRecords(FileDecl& file) { return call(file, op::kRecords); }
int32_t fileRecordsKey(FileDecl& file, KeyDecl& key) { return call(file, op::kRecordsKey, withKey(key)); }
int32_t filePointer(FileDecl& file) { return call(file, op::kPointer); }
int32_t fileBytes(FileDecl& file) { return call(file, op::kBytes); }
bool fileDuplicate(FileDecl& file) { return call(file, op::kDuplicateAny) != 0; }
bool fileDuplicateKey(FileDecl& file, KeyDecl& key) { return call(file, op::kDuplicateKey, withKey(key)) != 0; }
std::string fileName(FileDecl& file)
{
    call(file, op::kName);
    return popText();
}
int32_t fileCurrentOrder(FileDecl& file) { return call(file, op::kCurrentOrder); }
int32_t fileViewEngine(FileDecl& file) { return call(file, op::kViewEngine); }

void filePropertySet(Descriptor& file, int32_t index, std::string_view property, std::string_view value)
{
    pushText(property);
    pushText(value);
    ArgBlock a;
    a.index = index;
    call(file, op::kPropertySet, a);
}
std::string filePropertyGet(Descriptor& file, std::string_view property)
{
    pushText(property);
    call(file, op::kPropertyGet);
    return popText();
}

namespace {
ArgBlock memoSlice(int32_t memo, int32_t first, int32_t last)
{
    ArgBlock a;
    a.memo = memo;
    a.first = first;
    a.last = last;
    return a;
}
}  // namespace

void fileMemoSliceSet(FileDecl& file, int32_t memo, int32_t first, int32_t last, std::string_view text)
{
    pushText(text);
    call(file, op::kMemoSliceSet, memoSlice(memo, first, last));
}
std::string fileMemoSlice(FileDecl& file, int32_t memo, int32_t first, int32_t last)
{
    // The driver pushes the slice itself, and only when it succeeds.
    size_t before = runtime::stringStack().size();
    call(file, op::kMemoSlice, memoSlice(memo, first, last));
    return runtime::stringStack().size() > before ? popText() : std::string();
}
int32_t fileMemoSize(FileDecl& file, int32_t memo) { return call(file, op::kMemoSize, memoSlice(memo, 0, 0)); }
void fileMemoPropertySet(FileDecl& file, int32_t memo, std::string_view property, std::string_view value)
{
    pushText(property);
    pushText(value);
    call(file, op::kMemoPropertySet, memoSlice(memo, 0, 0));
}
std::string fileMemoPropertyGet(FileDecl& file, int32_t memo, std::string_view property)
{
    pushText(property);
    call(file, op::kMemoPropertyGet, memoSlice(memo, 0, 0));
    return popText();
}

void fileClear(FileDecl& file)
{
    FieldList fields;
    if (parseFieldList(file.fieldList, fields) == 0)
        clearRecord(recordOf(file), file.recordLength, fields);
}

}  // namespace linkar::storage
