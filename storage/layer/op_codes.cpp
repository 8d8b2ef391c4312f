// Operand and result shapes of the operation codes, as the common dispatch
// needs them.
#include "storage/layer/op_codes.h"

namespace linkar::storage::op {

int textOperandCount(int32_t code)
{
    switch (code) {
    case kBuildKeyWithText: case kCopy: case kRename: case kSend: case kReset:
    case kResetKey: case kReget: case kRegetKey: case kPropertyGet: case kMemoPropertyGet:
    case kMemoSliceSet:  // taken here too, so a refused call leaves no text behind
        return 1;
    case kBuildKeyWithTwoTexts: case kPropertySet: case kMemoPropertySet:
        return 2;
    default:
        return 0;
    }
}

bool hasTextResult(int32_t code)
{
    switch (code) {
    case kName: case kSend: case kPosition: case kPositionKey: case kPropertyGet: case kMemoPropertyGet:
        return true;
    default:
        return false;
    }
}

}  // namespace linkar::storage::op
