// SEND "TCF=" and "PNM=" of the keyed driver.
#include "storage/keyed/send_options.h"

#include "storage/keyed/sdf_format.h"
#include "storage/keyed/sdfbt.h"

namespace linkar::keyed {

int tableNameAfter(FileAccess& file, std::string_view after, std::string* name) {
  name->clear();
  const bool held = file.accessHeld();
  if (const int rc = file.beginAccess(AccessMode::Read)) return rc;
  file.file().beginOperation();
  std::string key(1, static_cast<char>(kNamePrefix));
  key.append(after);
  // Name entries are the 0xFE entries; the next one in key order is the
  // next name (a longer name with `after` as its prefix sorts after it).
  if (file.file().hasTree()) {
    Sdfbt tree(file.file());
    const auto entry = tree.next(key);
    if (entry && !entry->key().empty() && static_cast<std::uint8_t>(entry->key()[0]) == kNamePrefix)
      name->assign(entry->key().substr(1));
  }
  if (!held) file.endAccess();
  return 0;
}

bool answerFileOption(std::string_view option, Transaction& transaction, FileAccess* file,
                      std::string* answer) {
  answer->clear();
  if (const auto at = option.find(kSendControlFile); at != std::string_view::npos) {
    transaction.setControlFile(option.substr(at + kSendControlFile.size()));
    return true;
  }
  if (const auto at = option.find(kSendTableName); at != std::string_view::npos) {
    if (file) tableNameAfter(*file, option.substr(at + kSendTableName.size()), answer);
    return true;
  }
  return false;
}

}  // namespace linkar::keyed
