// The site browse's configuration.
#include "app/browse_linkar.h"

#include "app/browse.h"
#include "app/browse_actions.h"
#include "app/records.h"
#include "app/select_categories.h"
#include "app/shared_variables.h"
#include "app/update_linkar.h"

namespace linkar::app {
namespace {

constexpr const char* kProcedure = "BrowseLINKAR";
constexpr const char* kWindow = "BROWSELINKAR$QUICKWINDOW";
constexpr const char* kCategoryFilter = "UPPER(URL:Category) = UPPER(BRW1::Sort2:Reset:CAT:Category)";

BrowseOrder order(storage::KeyDecl& key, const char* seek, std::vector<FieldRef> cleared = {}) {
  BrowseOrder o;
  o.key = &key;
  o.seek = FieldRef::of(LINKAR, seek);
  o.clearedBySeek = std::move(cleared);
  return o;
}

}  // namespace

BrowseConfig browseLinkarConfig(std::function<void()> form, std::function<void()> lookup) {
  const FieldRef location = FieldRef::of(LINKAR, "URL:LOCATION");
  BrowseConfig c;
  c.procedure = kProcedure;
  c.window = kWindow;
  c.file = &LINKAR;
  c.fileLabel = "LINKAR";
  c.files = {{&Categories, &CategoriesOpenCount}, {&LINKAR, &LinkarOpenCount}};
  for (const char* column : {"URL:DESCRIPTION", "URL:LOCATION", "URL:CATEGORY", "URL:RATING", "URL:KEYWORD"})
    c.columns.push_back(FieldRef::of(LINKAR, column));

  // In the order of the tabs.
  c.orders.push_back(order(URL_K_DESCRIPTION, "URL:DESCRIPTION"));
  c.orders.push_back(order(URL_K_LOCATION, "URL:LOCATION"));
  BrowseOrder byCategory = order(URL_K_CATEGORY, "URL:LOCATION");
  byCategory.ranged = true;
  byCategory.filter = kCategoryFilter;
  c.orders.push_back(byCategory);
  c.orders.push_back(order(URL_K_RATING, "URL:RATING", {location}));
  BrowseOrder byKeyword = order(URL_K_KEYWORD, "URL:KEYWORD", {location});
  byKeyword.guide = false;
  c.orders.push_back(byKeyword);
  c.range = {"BRW1::Sort2:Reset:CAT:Category", FieldRef::of(Categories, "CAT:Category"),
             FieldRef::of(LINKAR, "URL:CATEGORY")};

  c.actions = {insertAction(form), changeAction(form), deleteAction(form),
               lookupAction("SelectCategory", std::move(lookup))};
  return c;
}

void BrowseLINKAR() {
  static const BrowseConfig config = browseLinkarConfig(UpdateLINKAR, SelectCategories);
  runBrowse(config);
}

}  // namespace linkar::app
