// The category's form and its site list.
#include "app/update_categories.h"

#include <memory>
#include <string>

#include "app/browse.h"
#include "app/browse_categories.h"
#include "app/records.h"
#include "app/shared_variables.h"
#include "app/update_form.h"
#include "app/update_linkar.h"
#include "runtime/fixed_text.h"

namespace linkar::app {
namespace {

constexpr const char* kProcedure = "UpdateCategories";
constexpr const char* kWindow = "UPDATECATEGORIES$QUICKWINDOW";
constexpr const char* kRange = "BRW2::Sort1:Reset:CAT:Category";
constexpr const char* kFilter = "UPPER(URL:Category) = UPPER(BRW2::Sort1:Reset:CAT:Category)";

// The site list inside the form's window.
class SiteList final : public FormPart {
 public:
  explicit SiteList(ProcedureFrame& frame) : m_browse(config(), frame) {}

  void attach(int window) override { m_browse.attach(window); }
  void refresh() override { m_browse.refreshWindow(); }
  bool handleEvent() override { return m_browse.handleEvent(); }
  void suspend() override { m_browse.finish(); }
  void resume() override {
    m_browse.pager().resetView();
    m_browse.pager().refresh(RefreshMode::kKeepPage);
    m_browse.refreshWindow();
  }

 private:
  static const BrowseConfig& config() {
    static const BrowseConfig c = categorySitesConfig();
    return c;
  }

  Browse m_browse;
};

}  // namespace

BrowseConfig categorySitesConfig() {
  BrowseConfig c = categorySiteListConfig(kProcedure, kWindow, kRange, kFilter);
  c.sheet.clear();  // the form's tabs are not orders of the list
  c.closeButton.clear();
  c.files.clear();  // the form opens the files itself
  return c;
}

void UpdateCategories() {
  // This form's own record of the name it started with: the rename
  // carries over from it, whatever other category forms are open.
  const std::string startName(runtime::fixedView(CAT().Category, sizeof CAT().Category));
  UpdateFormConfig c;
  c.procedure = kProcedure;
  c.window = kWindow;
  c.insertTitle = "Adding a Categories Record";
  c.changeTitle = "Changing a Categories Record";
  c.firstField = "CAT:Category";
  c.file = &Categories;
  c.uniqueKey = &CAT_K_CATEGORY;
  c.keyText = "Category";
  c.files = {{&LINKAR, &LinkarOpenCount}, {&Categories, &CategoriesOpenCount}};
  c.remove = deleteCategoryRecord;
  c.update = [&startName] { return updateCategoryRecord(startName); };
  c.part = [](ProcedureFrame& frame) { return std::make_unique<SiteList>(frame); };
  runUpdateForm(c);
}

}  // namespace linkar::app
