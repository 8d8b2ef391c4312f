// The routines that keep the sites and the categories consistent when a
// form changes or deletes a record: a site is rewritten or deleted on its
// own; a category renamed is renamed in every site of that category, and a
// category deleted takes every site of that category with it. Each routine
// does its work in one transaction over the files involved (see
// file_transaction.h), so a failure leaves the files as they were; it rolls
// the transaction back before it shows its message, so that no box is ever
// up while the files are locked.
//
// The sites "of a category" are those whose URL:CATEGORY equals the name
// without regard to letter case: exactly the ones the category's site list
// shows, since its key and its filter both ignore case.
#pragma once

#include <string_view>

namespace linkar::app {

enum class IntegrityOutcome {
  kDone,       // written and committed
  kFailed,     // nothing written; the message has been shown
  kDuplicate,  // refused: the unique key's value belongs to another record
               // (message 24 shown); the user should edit the record
};

// Deletes the current LINKAR record (UpdateLINKAR, request 3).
IntegrityOutcome deleteSiteRecord();
// Writes the LINKAR record buffer over the current record (UpdateLINKAR,
// a completed change).
IntegrityOutcome updateSiteRecord();
// Deletes the current Categories record and every site of it
// (UpdateCategories, request 3).
IntegrityOutcome deleteCategoryRecord();
// Writes the Categories record buffer over the current record; when the
// name differs from `oldName`, the name the category had when its form
// started, every site of `oldName` is given the new name as typed
// (UpdateCategories, a completed change).
IntegrityOutcome updateCategoryRecord(std::string_view oldName);

}  // namespace linkar::app
