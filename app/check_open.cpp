// The open-or-create policy, step by step:
//   open -> ok or "File Already Open"          : return
//        -> "File Not Found"                   : create, open again (4, 5 on failure)
//        -> "Invalid Record Declaration"       : message 1, end
//        -> "Key File Must Be Rebuilt"         : message 2; Yes: BUILD (3 on failure), open again
//   any error left                             : message 30, end with "Disk Error"

#include "app/check_open.h"

#include <string>

#include "app/standard_warning.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

using runtime::err::kFileAlreadyOpen;
using runtime::err::kFileNotFound;
using runtime::err::kInvalidRecordDeclaration;
using runtime::err::kKeyFileMustBeRebuilt;

constexpr int kMsgInvalidFile = 1;
constexpr int kMsgInvalidKey = 2;
constexpr int kMsgKeyRebuildError = 3;
constexpr int kMsgCreateError = 4;
constexpr int kMsgOpenCreatedError = 5;
constexpr int kMsgFileAccessError = 30;

constexpr int kHaltExitCode = 0;
constexpr const char* kDiskErrorHalt = "Disk Error";

// The name the file-statement layer reports for the file, asked without
// disturbing the error the message is about.
std::string reportedName(storage::FileDecl& file) {
  runtime::saveError();
  std::string name = storage::fileName(file);
  runtime::restoreError();
  return name;
}

}  // namespace

void CheckOpen(storage::FileDecl& file) {
  storage::fileOpen(file, kCheckOpenMode);
  switch (runtime::errorCode()) {
    case 0:
    case kFileAlreadyOpen:
      return;
    case kFileNotFound:
      storage::fileCreate(file);
      if (runtime::errorCode() != 0) StandardWarning(kMsgCreateError, reportedName(file));
      storage::fileOpen(file, kCheckOpenMode);
      if (runtime::errorCode() != 0) StandardWarning(kMsgOpenCreatedError, reportedName(file));
      return;
    case kInvalidRecordDeclaration:
      StandardWarning(kMsgInvalidFile, reportedName(file));
      break;
    case kKeyFileMustBeRebuilt:
      StandardWarning(kMsgInvalidKey, reportedName(file));
      storage::fileBuild(file);
      if (runtime::errorCode() != 0) StandardWarning(kMsgKeyRebuildError, reportedName(file));
      storage::fileOpen(file, kCheckOpenMode);
      break;
    default:
      break;
  }
  if (runtime::errorCode() != 0) {
    std::string name = reportedName(file);
    StandardWarning(kMsgFileAccessError, name, runtime::errorText());
    // Message 30 ends the program itself; this stays in case it ever returns.
    ui::halt(kHaltExitCode, kDiskErrorHalt);
  }
}

}  // namespace linkar::app
