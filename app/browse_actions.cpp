// Insert, change, delete and the range lookup.
#include "app/browse_actions.h"

#include "app/browse.h"
#include "app/shared_variables.h"
#include "storage/layer/file_statements.h"
#include "ui/key_codes.h"

namespace linkar::app {
namespace {

BrowseAction formAction(const char* button, const char* popupText, std::vector<int> keys,
                        std::function<void()> form, int request) {
  BrowseAction a;
  a.button = button;
  a.popupText = popupText;
  a.keys = std::move(keys);
  a.run = [form = std::move(form), request](Browse& browse) {
    browse.reloadHighlighted();
    if (request == kRequestInsert) {
      storage::fileGetPosition(*browse.config().file, 0);
      browse.pager().clearRecord();
      if (browse.pager().order().ranged) browse.pager().putRangeInBuffer();
    }
    browse.callForm(form, request);
  };
  return a;
}

}  // namespace

BrowseAction insertAction(std::function<void()> form) {
  BrowseAction a = formAction("Insert", "&Insert", {ui::Key::kInsertKey}, std::move(form), kRequestInsert);
  a.needsEntries = false;
  return a;
}

BrowseAction changeAction(std::function<void()> form) {
  return formAction("Change", "&Change", {ui::Key::kMouseLeft2, ui::Key::kCtrlEnter}, std::move(form),
                    kRequestChange);
}

BrowseAction deleteAction(std::function<void()> form) {
  return formAction("Delete", "&Delete", {ui::Key::kDeleteKey}, std::move(form), kRequestDelete);
}

BrowseAction lookupAction(std::string button, std::function<void()> lookup) {
  BrowseAction a;
  a.button = std::move(button);
  a.needsEntries = false;
  a.run = [lookup = std::move(lookup)](Browse& browse) { browse.callLookup(lookup); };
  return a;
}

BrowseAction callAction(std::string button, std::function<void()> procedure) {
  BrowseAction a;
  a.button = std::move(button);
  a.needsEntries = false;
  a.run = [procedure = std::move(procedure)](Browse& browse) {
    browse.reloadHighlighted();
    browse.callProcedure(procedure, 0);
  };
  return a;
}

BrowseAction selectAction() {
  BrowseAction a;
  a.button = "Select";
  a.popupText = "&Select";
  a.keys = {ui::Key::kMouseLeft2};
  a.needsSelectRequest = true;
  a.run = [](Browse& browse) {
    browse.reloadHighlighted();
    browse.close(kResponseCompleted);
  };
  return a;
}

BrowseAction endLookupAction(std::string button, bool clearFirst) {
  BrowseAction a;
  a.button = std::move(button);
  a.needsEntries = false;
  a.run = [clearFirst](Browse& browse) {
    if (clearFirst) browse.pager().clearRecord();
    browse.reloadHighlighted();
    browse.close(kResponseCancelled);
  };
  return a;
}

}  // namespace linkar::app
