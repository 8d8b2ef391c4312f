// The generic view engine: a view reads its primary file in the file's
// current order (file order or a key, chosen by SET before the view opens),
// passes over records its filter rejects, and saves and restores its place
// with the view position text.
//
// A view's entry starts as viewBootstrap. Its first statement asks the
// primary file's driver for an engine of its own (code 74); both drivers
// answer 0, so the bootstrap installs genericViewEngine, which receives that
// statement and every later one until CLOSE puts the bootstrap back.
#pragma once

#include <cstdint>

#include "storage/layer/declarations.h"
#include "storage/layer/view_descriptor.h"

namespace linkar::storage {

int32_t viewBootstrap(int32_t code, Descriptor* view, ArgBlock* args);
int32_t genericViewEngine(int32_t code, Descriptor* view, ArgBlock* args);

// Makes a view descriptor over `primary` (and further files), in the order
// set on the files when it opens.
void initView(ViewDescriptor& view, ViewOrder& order, FileDecl& primary);

}  // namespace linkar::storage
