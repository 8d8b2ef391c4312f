// The driver options sent with SEND (and given after '/' in the option text
// of a file's declaration): CLIP, QUICKSCAN, FILEBUFFERS, ENDOFRECORD, TAB.
#pragma once

#include <string>
#include <string_view>

#include "storage/ascii/ascii_instance.h"

namespace linkar::ascii {

// Applies one option text ("TAB", "TAB=4", "ENDOFRECORD=1,10", ...) and
// answers the option's value before any change; an unknown option or a
// malformed value changes nothing (an unknown option answers "").
std::string sendOption(AsciiInstance& inst, std::string_view text);

// Applies each '/'-introduced option of a declaration's option text, in order.
void applyDeclaredOptions(AsciiInstance& inst, std::string_view options);

}  // namespace linkar::ascii
