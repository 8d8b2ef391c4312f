// The four routines and the walk over a category's sites.
#include "app/referential_integrity.h"

#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "app/file_transaction.h"
#include "app/file_use.h"
#include "app/records.h"
#include "app/shared_variables.h"
#include "app/standard_warning.h"
#include "runtime/char_tables.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"

namespace linkar::app {
namespace {

constexpr int kMsgUpdateOperationError = 15;
constexpr int kMsgDeleteOperationError = 17;
constexpr int kMsgDuplicateKeyError = 24;
constexpr int kMsgTransactionFramingError = 34;
constexpr int kMsgRecordRetrievalError = 35;

constexpr const char* kLinkarText = "LINKAR";
constexpr const char* kCategoriesText = "Categories";
constexpr const char* kDeleteText = "Delete";
constexpr const char* kUpdateText = "Update";
constexpr const char* kChangedElsewhereText = "Record Changed by Another Station";
constexpr const char* kSiteKeyText = "Site Location";  // message 24 of each file
constexpr const char* kCategoryKeyText = "Category";

// A failure to report once the transaction is rolled back: a message with
// its text; the error state still holds the error that caused it.
struct Failure {
  int message = 0;
  std::string text;
};
using Step = std::optional<Failure>;

bool failed() { return runtime::errorCode() != 0; }

// Message 15 names the file, or, for a record changed elsewhere, the cause.
Failure updateFailure(const char* file) {
  const bool changedElsewhere = runtime::errorCode() == runtime::err::kRecordChangedByAnotherStation;
  return {kMsgUpdateOperationError, changedElsewhere ? kChangedElsewhereText : file};
}

IntegrityOutcome report(const Failure& failure) {
  StandardWarning(failure.message, failure.text);
  return IntegrityOutcome::kFailed;
}

IntegrityOutcome framingFailed(const char* transaction, const char* file) {
  StandardWarning(kMsgTransactionFramingError, transaction, file);
  return IntegrityOutcome::kFailed;
}

// Runs `work` in the open transaction, then commits; a failure of either
// rolls back first and is reported afterwards. `commitFailure` is the
// message of a COMMIT that did not go through.
IntegrityOutcome finish(FileTransaction& transaction, const std::function<Step()>& work, const Failure& commitFailure) {
  if (Step failure = work()) {
    transaction.rollback();
    return report(*failure);
  }
  if (!transaction.commit()) return report(commitFailure);
  return IntegrityOutcome::kDone;
}

// Equal without regard to letter case, trailing blanks not counting.
bool sameName(std::string_view a, std::string_view b) {
  a = runtime::trimTrailingBlanks(a);
  b = runtime::trimTrailingBlanks(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (runtime::toUpper(static_cast<uint8_t>(a[i])) != runtime::toUpper(static_cast<uint8_t>(b[i]))) return false;
  return true;
}

std::string siteCategory() { return std::string(runtime::fixedView(URL().CATEGORY, sizeof URL().CATEGORY)); }
std::string categoryName() { return std::string(runtime::fixedView(CAT().Category, sizeof CAT().Category)); }

// Reads every site of category `name` in URL:K_CATEGORY order (the key
// ignores case, so they all lie together, by location) and hands each to
// `act`; stops at the first site of another category or at the end.
Step forEachSiteOf(std::string_view name, const std::function<Step()>& act) {
  storage::fileClear(LINKAR);
  runtime::assignFixed(URL().CATEGORY, sizeof URL().CATEGORY, name);
  // The lowest location there is, so the walk starts at the category's first site.
  std::memset(URL().LOCATION, 0, sizeof URL().LOCATION);
  storage::fileSetKeyValues(LINKAR, URL_K_CATEGORY, URL_K_CATEGORY);
  if (failed()) return Failure{kMsgRecordRetrievalError, kLinkarText};
  for (;;) {
    storage::fileNext(LINKAR);
    if (runtime::errorCode() == runtime::err::kRecordNotAvailable) return std::nullopt;
    if (failed()) return Failure{kMsgRecordRetrievalError, kLinkarText};
    if (!sameName(siteCategory(), name)) return std::nullopt;
    if (Step failure = act()) return failure;
  }
}

Step deleteSitesOf(std::string_view name) {
  return forEachSiteOf(name, [] {
    storage::fileDelete(LINKAR);
    return failed() ? Step(Failure{kMsgDeleteOperationError, kLinkarText}) : std::nullopt;
  });
}

// A PUT does not move the walk: the next read goes on from the key the
// site had when it was read, so each site is renamed once.
Step renameSitesOf(std::string_view oldName, const std::string& newName) {
  return forEachSiteOf(oldName, [&newName] {
    runtime::assignFixed(URL().CATEGORY, sizeof URL().CATEGORY, newName);
    storage::filePut(LINKAR);
    return failed() ? Step(Failure{kMsgUpdateOperationError, kLinkarText}) : std::nullopt;
  });
}

// A PUT refused with "Creates Duplicate Key" because the record's value
// of `key` belongs to another record. Keeps the error state.
bool duplicateOf(storage::FileDecl& file, storage::KeyDecl& key) {
  if (runtime::errorCode() != runtime::err::kCreatesDuplicateKey) return false;
  runtime::saveError();
  const bool duplicate = storage::fileDuplicateKey(file, key);
  runtime::restoreError();
  return duplicate;
}

IntegrityOutcome refuseDuplicate(FileTransaction& transaction, const char* keyText) {
  transaction.rollback();
  StandardWarning(kMsgDuplicateKeyError, keyText);
  return IntegrityOutcome::kDuplicate;
}

}  // namespace

IntegrityOutcome deleteSiteRecord() {
  // The record's place in file order: a site without a location has none
  // in URL:K_LOCATION.
  const std::string position = storage::filePosition(LINKAR);
  FileTransaction transaction({&LINKAR});
  if (!transaction.begun()) return framingFailed(kDeleteText, kLinkarText);
  const Failure deleteFailure{kMsgDeleteOperationError, kLinkarText};
  return finish(
      transaction,
      [&]() -> Step {
        storage::fileReget(LINKAR, position);
        if (!failed()) storage::fileDelete(LINKAR);
        return failed() ? Step(deleteFailure) : std::nullopt;
      },
      deleteFailure);
}

IntegrityOutcome updateSiteRecord() {
  FileTransaction transaction({&LINKAR});
  if (!transaction.begun()) return framingFailed(kUpdateText, kLinkarText);
  storage::filePut(LINKAR);
  if (duplicateOf(LINKAR, URL_K_LOCATION)) return refuseDuplicate(transaction, kSiteKeyText);
  const Failure putFailure = updateFailure(kLinkarText);
  return finish(
      transaction, [&]() -> Step { return failed() ? Step(putFailure) : std::nullopt; },
      Failure{kMsgUpdateOperationError, kLinkarText});
}

IntegrityOutcome deleteCategoryRecord() {
  const std::string position = storage::filePosition(Categories);
  FileUse sites(LINKAR, LinkarOpenCount());
  FileTransaction transaction({&Categories, &LINKAR});
  if (!transaction.begun()) return framingFailed(kDeleteText, kCategoriesText);
  const Failure deleteFailure{kMsgDeleteOperationError, kCategoriesText};
  return finish(
      transaction,
      [&]() -> Step {
        // Another station may have deleted the category meanwhile.
        storage::fileReget(Categories, position);
        if (failed()) return deleteFailure;
        const std::string name = categoryName();
        if (Step failure = deleteSitesOf(name)) return failure;
        storage::fileDelete(Categories);
        return failed() ? Step(deleteFailure) : std::nullopt;
      },
      deleteFailure);
}

IntegrityOutcome updateCategoryRecord(std::string_view oldName) {
  FileUse sites(LINKAR, LinkarOpenCount());
  FileTransaction transaction({&Categories, &LINKAR});
  if (!transaction.begun()) return framingFailed(kUpdateText, kCategoriesText);
  const std::string newName = categoryName();
  // A name another category has (in any letter case) is refused before
  // any site is touched; a change of letter case alone is the same key.
  storage::filePut(Categories);
  if (duplicateOf(Categories, CAT_K_CATEGORY)) return refuseDuplicate(transaction, kCategoryKeyText);
  const Failure putFailure = updateFailure(kCategoriesText);
  const bool renamed = !runtime::equalFixed(newName, oldName);
  return finish(
      transaction,
      [&]() -> Step {
        if (failed()) return putFailure;
        return renamed ? renameSitesOf(oldName, newName) : std::nullopt;
      },
      Failure{kMsgUpdateOperationError, kCategoriesText});
}

}  // namespace linkar::app
