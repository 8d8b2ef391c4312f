// Fuzzes the environment-file loader: any bytes are applied as an
// environment file, then the settings go back to their defaults.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/char_tables.h"
#include "runtime/date.h"
#include "runtime/env_file.h"
#include "runtime/error_texts.h"
#include "runtime/expr_symbols.h"
#include "runtime/intl.h"
#include "runtime/picture_format.h"

using namespace linkar::runtime;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    applyEnvironmentText(text);
    // Use what was loaded: month names, designators, collation and case tables.
    (void)formatNumber(compilePicture("@D4"), composeDate(1997, 1, 5));
    (void)formatNumber(compilePicture("@T3"), 4320001);
    (void)compareNames("CHARACTER", "character");
    (void)errorTextFor(37);
    (void)splitEnvironmentList(text.substr(0, kMaxEnvValue));
    resetIntl();
    resetCharTables();
    clearMessageOverrides();
    return 0;
}
