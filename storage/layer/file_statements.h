// File statements: one entry point per operation. Each builds the argument
// block, pushes its text operands on the string stack in source order, calls
// the descriptor's entry function with the operation code, and returns the
// numeric or text answer. The outcome is in the error state (errorCode()).
#pragma once

#include <cstdint>
#include <vector>
#include <string>
#include <string_view>

#include "storage/layer/declarations.h"

namespace linkar::storage {

// Records.
void fileAdd(FileDecl& file);
void fileAppend(FileDecl& file);
void fileAppendLength(FileDecl& file, int32_t length);
void fileDelete(FileDecl& file);
void fileGet(FileDecl& file, KeyDecl& key);
void fileGetPosition(FileDecl& file, int32_t pointer);
void fileGetPositionLength(FileDecl& file, int32_t pointer, int32_t length);
void filePut(Descriptor& file);
void filePutPosition(FileDecl& file, int32_t pointer);
void filePutPositionLength(FileDecl& file, int32_t pointer, int32_t length);
void fileHold(Descriptor& file);
void fileHoldTimed(Descriptor& file, int32_t seconds);
void fileRelease(Descriptor& file);
void fileWatch(Descriptor& file);

// Sequences.
void fileSet(FileDecl& file);
void fileSetPointer(FileDecl& file, int32_t pointer);
void fileSetKey(FileDecl& file, KeyDecl& key);
void fileSetKeyValues(FileDecl& file, KeyDecl& key, KeyDecl& values);
void fileNext(Descriptor& file);
void filePrevious(Descriptor& file);
void fileSkip(Descriptor& file, int32_t count);
std::string filePosition(Descriptor& file);
std::string filePositionKey(FileDecl& file, KeyDecl& key);
void fileReset(Descriptor& file, std::string_view position);
void fileResetKey(FileDecl& file, KeyDecl& key, std::string_view position);
void fileReget(Descriptor& file, std::string_view position);
void fileRegetKey(FileDecl& file, KeyDecl& key, std::string_view position);

// Opening and whole files.
void fileOpen(Descriptor& file, int32_t mode);
void fileShare(FileDecl& file, int32_t mode);
void fileClose(Descriptor& file);
void fileCreate(FileDecl& file);
void fileRemove(FileDecl& file);
void fileCopy(FileDecl& file, std::string_view newName);
void fileRename(FileDecl& file, std::string_view newName);
void fileEmpty(FileDecl& file);
void filePack(FileDecl& file);
void fileBuild(FileDecl& file);
void fileBuildKey(FileDecl& file, KeyDecl& key);
void fileBuildKeyText(FileDecl& file, KeyDecl& key, std::string_view text);
void fileBuildKeyTexts(FileDecl& file, KeyDecl& key, std::string_view text1, std::string_view text2);
void fileLock(FileDecl& file);
void fileLockTimed(FileDecl& file, int32_t seconds);
void fileUnlock(FileDecl& file);
void fileFlush(FileDecl& file);
void fileStream(FileDecl& file);
void fileLogout(FileDecl& file);
void fileCommit(FileDecl& file);
void fileRollback(FileDecl& file);
// LOGOUT over several files at once. Each file is first locked with a time
// limit of `seconds` (a driver that cannot lock is passed over; a file this
// thread has locked already stays as it is), then its transaction begins.
// When a lock or a begin fails, the transactions already begun are rolled
// back, the locks taken here are let go, and the error is 48 "Unable To Log
// Transaction"; when one of the files is in a transaction already, nothing
// is touched and the error is 56 "LOGOUT Already Active".
void fileLogoutFiles(int32_t seconds, const std::vector<FileDecl*>& files);
// Ends a transaction begun by fileLogoutFiles() over the same files: COMMIT
// (`commit` true) or ROLLBACK, then lets go of the locks fileLogoutFiles()
// took. The error state is that of the COMMIT or ROLLBACK.
void fileEndLogoutFiles(bool commit, const std::vector<FileDecl*>& files);
std::string fileSend(FileDecl& file, std::string_view option);
void fileNoOperation(FileDecl& file);

// Queries.
bool fileBof(FileDecl& file);
bool fileEof(FileDecl& file);
int32_t fileRecords(FileDecl& file);
int32_t fileRecordsKey(FileDecl& file, KeyDecl& key);
int32_t filePointer(FileDecl& file);
int32_t fileBytes(FileDecl& file);
bool fileDuplicate(FileDecl& file);
bool fileDuplicateKey(FileDecl& file, KeyDecl& key);
std::string fileName(FileDecl& file);
int32_t fileCurrentOrder(FileDecl& file);
int32_t fileViewEngine(FileDecl& file);

// Properties and memos.
void filePropertySet(Descriptor& file, int32_t index, std::string_view property, std::string_view value);
std::string filePropertyGet(Descriptor& file, std::string_view property);
void fileMemoSliceSet(FileDecl& file, int32_t memo, int32_t first, int32_t last, std::string_view text);
std::string fileMemoSlice(FileDecl& file, int32_t memo, int32_t first, int32_t last);
int32_t fileMemoSize(FileDecl& file, int32_t memo);
void fileMemoPropertySet(FileDecl& file, int32_t memo, std::string_view property, std::string_view value);
std::string fileMemoPropertyGet(FileDecl& file, int32_t memo, std::string_view property);

// Any code, for what has no statement of its own (and for tests).
int32_t fileCall(Descriptor& file, int32_t code, ArgBlock& args);

// CLEAR of a file's record through its field list.
void fileClear(FileDecl& file);

}  // namespace linkar::storage
