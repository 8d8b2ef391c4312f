// The entry of the keyed-file driver STRANDEL, which the declarations of the
// site and category files name, and its registration block.
#pragma once

#include <cstdint>

#include "storage/layer/declarations.h"
#include "storage/layer/driver_registration.h"

namespace linkar::keyed {

int32_t strandelDriverEntry(int32_t code, storage::Descriptor* descriptor, storage::ArgBlock* args);

const storage::DriverRegistration& strandelRegistration();

}  // namespace linkar::keyed
