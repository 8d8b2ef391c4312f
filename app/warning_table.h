// The standard messages of the program: for each number its title, text,
// icon, buttons and what follows, and the composition of its text from the
// error state and the caller's texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/message_box.h"

namespace linkar::app {

// Message-box buttons, as bits.
constexpr uint32_t kButtonOk = ui::Button::kOk;
constexpr uint32_t kButtonYes = ui::Button::kYes;
constexpr uint32_t kButtonNo = ui::Button::kNo;
constexpr uint32_t kButtonAbort = ui::Button::kAbort;
constexpr uint32_t kButtonRetry = ui::Button::kRetry;
constexpr uint32_t kButtonIgnore = ui::Button::kIgnore;
constexpr uint32_t kButtonCancel = ui::Button::kCancel;
constexpr uint32_t kButtonHelp = ui::Button::kHelp;

// The two system icons, by identifier (named to the message box as 0xFF,
// 0x01 and the identifier low byte first).
constexpr uint16_t kIconInformationId = 32516;  // 0x7F04
constexpr uint16_t kIconExclamationId = 32515;  // 0x7F03
constexpr uint8_t kIconNameMark = 0xFF;
constexpr uint8_t kIconNameSystem = 0x01;

constexpr size_t kComposedErrorTextLimit = 150;  // the error text inserted into messages

enum class Afterwards {
    kReturn,         // the caller goes on with the answer
    kHaltAlways,     // the program ends after the box
    kHaltOnNo,       // "No" ends the program, "Yes" returns
};

struct WarningEntry {
    int number = 0;
    const char* title = "";
    uint16_t iconId = kIconInformationId;
    uint32_t buttons = kButtonOk;
    uint32_t defaultButton = kButtonOk;
    Afterwards afterwards = Afterwards::kReturn;
    const char* haltText = "";  // the HALT text when the program ends
};

// The entry of a message number, or null for a number the program does not use.
const WarningEntry* findWarning(int number);

// The four-byte icon name of a system icon.
std::string iconName(uint16_t iconId);

// The error text as messages insert it: from the current error state, "text
// (code)" or, for err::kDriverDescribedError, the driver's own "text (code)"; trailing blanks
// removed; at most 150 characters.
std::string composeErrorText();

// The message's text, with trailing blanks removed from every inserted
// text. `errorCode` decides the variant of message 15.
std::string composeWarningText(int number, std::string_view errorText, int32_t errorCode, std::string_view text1,
                               std::string_view text2 = {}, std::string_view text3 = {});

}  // namespace linkar::app
