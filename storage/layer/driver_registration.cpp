// Published driver blocks and the REGISTER answer codec.
#include "storage/layer/driver_registration.h"

#include <charconv>
#include <cstdint>
#include <set>

namespace linkar::storage {

namespace {
std::set<uintptr_t>& published()
{
    static auto* blocks = new std::set<uintptr_t>;  // lives until exit
    return *blocks;
}
}  // namespace

bool DriverRegistration::handles(int32_t code) const
{
    for (size_t i = 0; i < capabilityCount; ++i)
        if (capabilities[i] == code)
            return true;
    return false;
}

void publishRegistration(const DriverRegistration& block)
{
    published().insert(reinterpret_cast<uintptr_t>(&block));
}

std::string registrationAnswer(const DriverRegistration& block)
{
    publishRegistration(block);
    return std::to_string(reinterpret_cast<uintptr_t>(&block));
}

const DriverRegistration* registrationFromAnswer(std::string_view answer)
{
    uintptr_t address = 0;
    auto [end, ec] = std::from_chars(answer.data(), answer.data() + answer.size(), address);
    if (ec != std::errc() || end != answer.data() + answer.size())
        return nullptr;
    if (published().count(address) == 0)
        return nullptr;
    return reinterpret_cast<const DriverRegistration*>(address);
}

}  // namespace linkar::storage
