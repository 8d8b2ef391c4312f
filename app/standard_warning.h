// StandardWarning: every warning and question of the application procedures
// as one numbered message box, composed from the error state and the
// caller's texts; the fatal numbers end the program with HALT.
#pragma once

#include <string_view>

namespace linkar::app {

// Shows message `number` with up to three texts and returns the bit of the
// button the user pressed (0x01 OK, 0x02 Yes, 0x04 No, 0x40 Cancel). The
// error text is taken from the error state on entry. Messages that end the
// program (1-5 and 30, and 2 answered "No") do not return. A number the
// program does not use shows nothing and returns 0. Runs inside a
// procedure thread.
int StandardWarning(int number, std::string_view text1 = {}, std::string_view text2 = {},
                    std::string_view text3 = {});

}  // namespace linkar::app
