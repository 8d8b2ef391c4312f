// Views: a descriptor that, like a file's, begins with an entry function,
// and the position text by which a view's place is saved and restored.
//
// Position text: 4 bytes, the primary file's current order (0 = file order);
// then, for each file of the view in turn, a 4-byte length n and n bytes of
// that file's own position text. Numbers are little-endian.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/layer/declarations.h"

namespace linkar::storage {

// The ordering and fields of a view: the key of each file (null: file order).
struct ViewOrder {
    std::vector<KeyDecl*> keys;  // one per file of the view, may be null
    std::string filter;          // the filter expression, empty for none
};

struct ViewDescriptor : Descriptor {
    ViewOrder* order = nullptr;
    std::vector<FileDecl*> files;  // the first is the primary file
    int32_t reserved = 0;
    // Where the view engine keeps its state between statements.
    std::shared_ptr<void> engineState;
};

constexpr size_t kPositionNumberSize = 4;  // the order and each length

struct ViewPosition {
    int32_t order = 0;
    std::vector<std::string> parts;  // one per file, empty: leave that file alone
};

std::string encodeViewPosition(const ViewPosition& position);

// Reads a position text for a view of `fileCount` files over a primary file
// with `keyCount` keys. Returns 0 or 81 "Unknown Error Posted" (text shorter
// than 4 bytes, an order above the key count, a length running past the end).
int decodeViewPosition(std::string_view text, int32_t keyCount, size_t fileCount, ViewPosition& out);

}  // namespace linkar::storage
