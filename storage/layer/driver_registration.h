// The constant block each driver publishes about itself. SEND "REGISTER"
// answers its address as decimal text; the view engine turns that text back
// into the block to read the driver's capability list.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/layer/declarations.h"

namespace linkar::storage {

constexpr size_t kRegNameSize = 21;         // driver name, NUL-padded
constexpr size_t kRegLibrarySize = 13;      // library file name
constexpr size_t kRegNoticeSize = 41;       // maker's notice
constexpr size_t kRegDescriptionSize = 31;  // description
constexpr size_t kRegLimitCount = 9;        // limits and table-entry sizes, in published order

struct DriverRegistration {
    std::array<char, kRegNameSize> name{};
    std::array<char, kRegLibrarySize> library{};
    std::array<char, kRegNoticeSize> notice{};
    std::array<char, kRegDescriptionSize> description{};
    DriverEntry entry = nullptr;
    uint16_t version = 1;
    // Limits, then the sizes of the driver's per-field, per-key and
    // per-operation table entries, then the size of its per-file instance.
    std::array<uint32_t, kRegLimitCount> limits{};
    const uint8_t* capabilities = nullptr;  // codes handled, in dispatch order
    size_t capabilityCount = 0;

    bool handles(int32_t code) const;
};

// Copies a text into a fixed NUL-padded field, cutting it to leave the NUL.
template <size_t N>
constexpr std::array<char, N> registrationText(std::string_view text)
{
    std::array<char, N> out{};
    for (size_t i = 0; i < text.size() && i + 1 < N; ++i)
        out[i] = text[i];
    return out;
}

// Publishes a block so that its REGISTER answer can be turned back into it.
void publishRegistration(const DriverRegistration& block);

// The REGISTER answer: the block's address as decimal text.
std::string registrationAnswer(const DriverRegistration& block);

// The block named by a REGISTER answer, or null when the text names no
// published block (a wrong answer never becomes a wild address).
const DriverRegistration* registrationFromAnswer(std::string_view answer);

}  // namespace linkar::storage
