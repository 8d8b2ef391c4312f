// The keyed-file driver's entry through the common dispatch. Record
// operations join the capability list as they are built over the data-file
// engine; until a code is listed, the dispatch answers it with 80
// "Unsupported File Driver Function", so a caller always gets a clear error.
#include "storage/keyed/strandel_driver.h"

#include "storage/layer/driver_dispatch.h"
#include "storage/layer/op_codes.h"

namespace linkar::keyed {

namespace {

using storage::DriverInstance;
using storage::DriverRegistration;
using storage::FileDecl;
using storage::OpCall;
using storage::OpOutcome;
using storage::PreconditionRow;

constexpr uint16_t kDriverVersion = 1;
constexpr int32_t kUnsupported = 80;  // "Unsupported File Driver Function"

const PreconditionRow kRows[storage::op::kHighest] = {};

// Codes handled, in the order the dispatch tests them.
const uint8_t kCapabilities[] = {0};

std::unique_ptr<DriverInstance> createInstance(const FileDecl& file, int& error)
{
    auto instance = std::make_unique<DriverInstance>();
    error = storage::initInstance(*instance, file);
    if (error != 0)
        return nullptr;
    return instance;
}

OpOutcome perform(OpCall&)
{
    return OpOutcome::fail(kUnsupported);
}

DriverRegistration makeRegistration()
{
    DriverRegistration r;
    r.name = storage::registrationText<storage::kRegNameSize>("STRANDEL");
    r.library = storage::registrationText<storage::kRegLibrarySize>("KWSDF16.DLL");
    r.description = storage::registrationText<storage::kRegDescriptionSize>("Strandel (SDF) Driver 1.00");
    r.entry = &strandelDriverEntry;
    r.version = kDriverVersion;
    // The last four sizes: per-field, per-key and per-memo descriptors, per-table instance.
    r.limits = {0, 0, 0, 0, 0, 37, 37, 40, 126};
    r.capabilities = kCapabilities;
    r.capabilityCount = 0;
    return r;
}

const storage::DriverSpec& spec()
{
    static const storage::DriverSpec s{kRows, storage::op::kHighest, &strandelRegistration(), &createInstance, &perform, 0};
    return s;
}

}  // namespace

const DriverRegistration& strandelRegistration()
{
    static const DriverRegistration block = makeRegistration();
    return block;
}

int32_t strandelDriverEntry(int32_t code, storage::Descriptor* descriptor, storage::ArgBlock* args)
{
    return storage::dispatch(spec(), code, descriptor, args);
}

}  // namespace linkar::keyed
