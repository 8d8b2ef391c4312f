// The standard messages over the message table and the engine's MESSAGE
// and HALT. Every HALT after a message shows its own "Halt" box, so the
// user sees why the program ends.

#include "app/standard_warning.h"

#include <string>

#include "app/warning_table.h"
#include "runtime/error_state.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

// Exit code of the program ended by a standard message.
constexpr int kHaltExitCode = 0;

}  // namespace

int StandardWarning(int number, std::string_view text1, std::string_view text2, std::string_view text3) {
  // The error state may change while the box is up (other procedures run),
  // so the text is composed before anything else.
  const std::string errorText = composeErrorText();
  const int32_t errorCode = runtime::errorCode();
  const WarningEntry* entry = findWarning(number);
  if (!entry) return 0;
  std::string text = composeWarningText(number, errorText, errorCode, text1, text2, text3);
  int answer = ui::message(text, entry->title, iconName(entry->iconId), ui::Icon::kNone,
                           static_cast<int>(entry->buttons), static_cast<int>(entry->defaultButton));
  switch (entry->afterwards) {
    case Afterwards::kHaltAlways:
      ui::halt(kHaltExitCode, entry->haltText);
    case Afterwards::kHaltOnNo:
      if (answer == static_cast<int>(kButtonNo)) ui::halt(kHaltExitCode, entry->haltText);
      break;
    case Afterwards::kReturn:
      break;
  }
  return answer;
}

}  // namespace linkar::app
