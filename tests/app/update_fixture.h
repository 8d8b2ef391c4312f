// What the update-form tests share beyond the browse fixture: a category
// file, the whole of both files read back from disk, the category form
// called on a thread of its own, message boxes read as the user sees them,
// and a check that no transaction holds a file while a box is up.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "app/file_use.h"
#include "app/update_categories.h"
#include "app/update_linkar.h"
#include "platform/file.h"
#include "storage/keyed/lock_area.h"
#include "storage/layer/thread_context.h"
#include "tests/app/browse_fixture.h"
#include "tests/support/child_process.h"

namespace linkar::app::test_browse {

inline std::string trimmedField(const char* field, size_t size) {
  return std::string(runtime::trimTrailingBlanks(std::string_view(field, size)));
}

// A site as stored: the fields a cascade may change, with its memo.
struct Stored {
  std::string location;
  std::string description;
  std::string category;
  bool operator==(const Stored&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Stored& s) {
  return out << "{" << s.location << ", " << s.description << ", " << s.category << "}";
}

class UpdateFixture : public BrowseFixture {
 protected:
  static constexpr int64_t kPatienceMs = 15000;

  void writeCategories(const std::vector<std::string>& names) {
    storage::fileCreate(Categories);
    ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    storage::fileOpen(Categories, kCheckOpenMode);
    for (const std::string& name : names) {
      runtime::assignFixed(CAT().Category, sizeof CAT().Category, name);
      storage::fileAdd(Categories);
      ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    }
    storage::fileClose(Categories);
  }

  // Every site on disk, in file order, read in the test's own context.
  static std::vector<Stored> sitesOnDisk() {
    std::vector<Stored> out;
    storage::fileOpen(LINKAR, kCheckOpenMode);
    storage::fileSet(LINKAR);
    for (storage::fileNext(LINKAR); runtime::errorCode() == 0; storage::fileNext(LINKAR))
      out.push_back({trimmedField(URL().LOCATION, sizeof URL().LOCATION),
                     trimmedField(URL().DESCRIPTION, sizeof URL().DESCRIPTION),
                     trimmedField(URL().CATEGORY, sizeof URL().CATEGORY)});
    storage::fileClose(LINKAR);
    return out;
  }

  static std::vector<std::string> categoriesOnDisk() {
    std::vector<std::string> out;
    storage::fileOpen(Categories, kCheckOpenMode);
    storage::fileSet(Categories);
    for (storage::fileNext(Categories); runtime::errorCode() == 0; storage::fileNext(Categories))
      out.push_back(trimmedField(CAT().Category, sizeof CAT().Category));
    storage::fileClose(Categories);
    std::sort(out.begin(), out.end());
    return out;
  }

  // Calls the category form for `name` on a thread of its own, as the
  // category browse will: the record read (watched) for a change or a
  // delete, the buffer preset for an insert.
  int startCategoryForm(const std::string& name, int request, int* response) {
    if (!m_driver.find("Linkar")) m_driver.startFrame();
    return m_driver.start(
        [name, request, response] {
          FileUse categories(Categories, CategoriesOpenCount());
          runtime::assignFixed(CAT().Category, sizeof CAT().Category, name);
          if (request != kRequestInsert) {
            storage::fileWatch(Categories);
            storage::fileGet(Categories, CAT_K_CATEGORY);
          }
          SharedRequest = request;
          UpdateCategories();
          *response = SharedResponse;
        },
        kBrowseStack);
  }

  ui::Window* box(int thread = 0) { return m_driver.messageBox(thread); }
  std::string boxTitle(int thread = 0) { return box(thread) ? box(thread)->title() : "<no box>"; }
  std::string boxText(int thread = 0) { return box(thread) ? box(thread)->text(1) : "<no box>"; }

  // Whether another open could take the data file's writer range now: a
  // transaction that has begun its work holds it until it ends.
  bool writerRangeFree(const std::string& name) {
    platform::File f;
    if (f.open(m_dir.file(name), platform::kAccessReadWrite | platform::kShareDenyNone) != 0) return false;
    const bool free = f.tryLock(keyed::kLockAreaStart, keyed::kWriterRangeLength, platform::LockKind::Exclusive) == 0;
    f.close();
    return free;
  }

  // No transaction holds either file: their writer ranges are free and a
  // transaction elsewhere (another thread context, which shares the files
  // as another process would) can take both files' locks at once.
  bool noTransactionOpen() {
    if (!writerRangeFree("LINKAR.SDF") || !writerRangeFree("CATEGORIES.SDF")) return false;
    storage::ThreadContext elsewhere;
    storage::ThreadContext* home = storage::switchThreadContext(&elsewhere);
    storage::fileOpen(LINKAR, kCheckOpenMode);
    storage::fileOpen(Categories, kCheckOpenMode);
    storage::fileLogoutFiles(0, {&LINKAR, &Categories});
    const bool free = runtime::errorCode() == 0;
    if (free) storage::fileEndLogoutFiles(false, {&LINKAR, &Categories});
    storage::fileClose(LINKAR);
    storage::fileClose(Categories);
    storage::switchThreadContext(home);
    return free;
  }

  // The file checker's verdict on a data file of the test's folder.
  std::string sdfcheck(const std::string& name) {
    test::CommandRun run = test::runCommand(std::string(LINKAR_TOOLS_DIR) + "/sdfcheck " + m_dir.file(name), 60);
    return run.status == 0 ? "sound" : run.output;
  }
};

}  // namespace linkar::app::test_browse
