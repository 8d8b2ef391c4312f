// The shared variables and their start-up values.
#include "app/shared_variables.h"

#include <string>

#include "platform/file_system.h"

namespace linkar::app {

int32_t SharedRequest = 0;
int32_t SharedResponse = 0;
int32_t LinkarOpenCount = 0;
int32_t CategoriesOpenCount = 0;
int32_t TransferFileOpenCount = 0;
runtime::FixedString<kPathTextSize> TransferFileName(kDefaultTransferFileName);
runtime::FixedString<kPathTextSize> StartupDirectory;
runtime::FixedString<kPathTextSize> LastFileDirectory;

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
