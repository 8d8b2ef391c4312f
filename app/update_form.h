// The update form, written once: called by a browse with a request (insert,
// change or delete) and the record in the file's buffer, it asks for a
// delete's confirmation or shows the record in its window for editing,
// writes it (an insert by ADD, a change or a delete through the file's
// referential-integrity routine) and reports in SharedResponse whether it
// did. UpdateLINKAR and UpdateCategories are each an UpdateFormConfig; a
// form whose window holds more than entries (the category form's site
// list) adds a FormPart.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/browse_config.h"
#include "app/procedure_frame.h"
#include "app/referential_integrity.h"
#include "storage/layer/declarations.h"

namespace linkar::app {

// Something else the form's window holds, handed the form's events.
class FormPart {
 public:
  virtual ~FormPart() = default;
  // The window is open.
  virtual void attach(int window) = 0;
  // Brings the part up to date (the window's first event, a regained focus).
  virtual void refresh() = 0;
  // Handles the current event if it is the part's.
  virtual bool handleEvent() = 0;
  // Around a referential-integrity routine: the part lets go of the files
  // before it and, when the form stays open, takes them up again after it.
  virtual void suspend() = 0;
  virtual void resume() = 0;
};

struct UpdateFormConfig {
  std::string procedure;    // "UpdateLINKAR": also the settings section
  std::string window;       // "UPDATELINKAR$QUICKWINDOW"
  std::string insertTitle;  // the window's title for request 1
  std::string changeTitle;  // and for request 2
  std::string firstField;   // use name of the first entry of the "General" tab

  storage::FileDecl* file = nullptr;      // the record edited
  storage::KeyDecl* uniqueKey = nullptr;  // its key without duplicates
  std::string keyText;                    // that key in message 24: "Site Location"
  std::vector<BrowseFile> files;          // opened and bound, in order

  std::function<IntegrityOutcome()> remove;  // the delete routine
  std::function<IntegrityOutcome()> update;  // the update routine
  // Makes the part of the window beyond its entries, if any (inside the
  // form's frame, before the window opens).
  std::function<std::unique_ptr<FormPart>(ProcedureFrame&)> part;
};

// Runs the form for the request in SharedRequest. Runs inside a procedure
// thread, on the calling browse's thread.
void runUpdateForm(const UpdateFormConfig& config);

}  // namespace linkar::app
