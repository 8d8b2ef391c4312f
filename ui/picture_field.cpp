// Display and input checking of picture-formatted controls through the
// runtime's FORMAT and DEFORMAT. A typed number is refused when it cannot be
// read through the picture or would not fit it (an edit control never keeps
// a value its picture cannot show); a typed text is cut to its picture.

#include "ui/picture_field.h"

#include "runtime/picture.h"
#include "runtime/picture_deformat.h"
#include "runtime/picture_format.h"

namespace linkar::ui {

std::string formatForDisplay(std::string_view value, std::string_view picture) {
  if (picture.empty()) return std::string(value);
  runtime::CompiledPicture pic = runtime::compilePicture(picture);
  if (!pic.valid()) return std::string(value);
  return runtime::formatText(pic, value);
}

std::optional<std::string> deformatInput(std::string_view typed, std::string_view picture) {
  if (picture.empty()) return std::string(typed);
  runtime::CompiledPicture pic = runtime::compilePicture(picture);
  if (!pic.valid()) return std::string(typed);
  if (pic.kind() == runtime::PictureKind::Text)
    return std::string(typed.substr(0, static_cast<size_t>(pic.width())));
  if (pic.kind() == runtime::PictureKind::KeyIn) return runtime::deformatText(pic, typed);
  auto number = runtime::deformatNumber(pic, typed);
  if (!number || !runtime::numberFits(pic, *number)) return std::nullopt;
  return runtime::plainNumberText(*number);
}

}  // namespace linkar::ui
