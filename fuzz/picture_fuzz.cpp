// Fuzzes the picture compiler with FORMAT and DEFORMAT: the first line is a
// picture text, the rest a display text to read back; every valid picture
// must format any number to exactly its width.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "runtime/intl.h"
#include "runtime/picture.h"
#include "runtime/picture_deformat.h"
#include "runtime/picture_format.h"
#include "runtime/picture_layout.h"

using namespace linkar::runtime;

namespace {

void checkWidth(const CompiledPicture& picture, const std::string& shown) {
    if (shown.size() != static_cast<std::size_t>(picture.width())) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view pictureText = input.substr(0, newline);
    const std::string_view rest =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    // Windows date pictures from arbitrary Windows texts.
    if (!pictureText.empty() && pictureText[0] == '!') {
        resetIntl();
        const std::string windowsText(pictureText.substr(1));
        applyWindowsSettings([&](std::string_view key) -> std::optional<std::string> {
            if (key == kKeyShortDate || key == kKeyLongDate || key == kKeyTimeSeparator) {
                return windowsText;
            }
            return std::nullopt;
        });
        (void)dateLayoutText(17);
        (void)timeLayoutText(8);
    }

    const CompiledPicture picture = compilePicture(pictureText);
    if (!picture.valid()) return 0;
    if (picture.compiledSize() > kCompiledPictureBytes) __builtin_trap();
    double fromBytes = 0;
    if (rest.size() >= sizeof fromBytes) std::memcpy(&fromBytes, rest.data(), sizeof fromBytes);
    for (double value : {0.0, 1.0, -1.0, 7.0, 0.5, -0.004, 123456789.125, -1e300, 1e300,
                         std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity(), 35000.0, 4320001.0, fromBytes}) {
        checkWidth(picture, formatNumber(picture, value));
        (void)numberFits(picture, value);
    }
    checkWidth(picture, formatText(picture, rest));
    const auto number = deformatNumber(picture, rest);
    if (number) checkWidth(picture, formatNumber(picture, *number));
    (void)deformatText(picture, rest);
    return 0;
}
