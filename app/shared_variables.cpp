// The shared variables and their start-up values.
#include "app/shared_variables.h"

#include <string>

#include "app/records.h"
#include "platform/file_system.h"
#include "storage/layer/thread_files.h"

namespace linkar::app {

int32_t SharedRequest = 0;
int32_t SharedResponse = 0;
runtime::FixedString<kPathTextSize> TransferFileName(kDefaultTransferFileName);
runtime::FixedString<kPathTextSize> StartupDirectory;
runtime::FixedString<kPathTextSize> LastFileDirectory;

int32_t& LinkarOpenCount() { return storage::openCountOf(LINKAR); }
int32_t& CategoriesOpenCount() { return storage::openCountOf(Categories); }
int32_t& TransferFileOpenCount() { return storage::openCountOf(TransferFile); }

int initSharedVariables()
{
    SharedRequest = 0;
    SharedResponse = 0;
    TransferFileName = kDefaultTransferFileName;
    std::string here;
    int rc = platform::currentDirectory(&here);
    StartupDirectory = here;
    LastFileDirectory = here;
    return rc;
}

}  // namespace linkar::app
