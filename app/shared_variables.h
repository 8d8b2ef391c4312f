// The variables every procedure of the program shares: the request and
// response passed between a browse and its forms, the files' open counters
// (one set per procedure thread), the TransferFile's name and the
// directories of the file dialogs.
#pragma once

#include <cstdint>

#include "runtime/fixed_text.h"

namespace linkar::app {

constexpr int32_t kRequestInsert = 1;    // SharedRequest: add a record
constexpr int32_t kRequestChange = 2;    // change the current record
constexpr int32_t kRequestDelete = 3;    // delete the current record
constexpr int32_t kRequestSelect = 4;    // pick a record for the caller
constexpr int32_t kResponseCompleted = 1;  // SharedResponse: done
constexpr int32_t kResponseCancelled = 2;  // the user cancelled

constexpr size_t kPathTextSize = 255;  // STRING(255) of the names and directories
constexpr const char* kDefaultTransferFileName = "bookmark.htm";

extern int32_t SharedRequest;
extern int32_t SharedResponse;
// The open counters count the procedures of the current procedure thread
// that use the file: each thread opens the files for itself.
int32_t& LinkarOpenCount();
int32_t& CategoriesOpenCount();
int32_t& TransferFileOpenCount();
extern runtime::FixedString<kPathTextSize> TransferFileName;
extern runtime::FixedString<kPathTextSize> StartupDirectory;
extern runtime::FixedString<kPathTextSize> LastFileDirectory;

// Sets the variables as the program does at start: both directories to the
// current directory and TransferFileName to "bookmark.htm". Returns 0 or the
// error number of reading the current directory.
int initSharedVariables();

}  // namespace linkar::app
