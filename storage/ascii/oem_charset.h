// Conversion between the OEM character set (code page 437) and the Windows
// character set (Windows-1252), for files declared with the OEM attribute.
// Bytes below 0x80 are the same in both and are left alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace linkar::ascii {

uint8_t oemToAnsi(uint8_t c);
uint8_t ansiToOem(uint8_t c);

// In place, over `size` bytes.
void oemToAnsi(uint8_t* text, size_t size);
void ansiToOem(uint8_t* text, size_t size);

}  // namespace linkar::ascii
