// The line-oriented text driver ASCII: one record per line of a text file.
// Files declare it by naming asciiDriverEntry as their entry function.
#pragma once

#include <cstdint>

#include "storage/layer/declarations.h"
#include "storage/layer/driver_registration.h"

namespace linkar::ascii {

// The driver's one entry: (operation code, descriptor, argument block).
int32_t asciiDriverEntry(int32_t code, storage::Descriptor* descriptor, storage::ArgBlock* args);

// The driver's registration block (published on first use).
const storage::DriverRegistration& asciiRegistration();

}  // namespace linkar::ascii
