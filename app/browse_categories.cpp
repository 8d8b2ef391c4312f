// The category browse and the site list of one category.
#include "app/browse_categories.h"

#include "app/browse.h"
#include "app/browse_actions.h"
#include "app/records.h"
#include "app/shared_variables.h"
#include "app/update_categories.h"
#include "app/update_linkar.h"

namespace linkar::app {
namespace {

constexpr const char* kCategoriesProcedure = "BrowseCategories";
constexpr const char* kCategoriesWindow = "BROWSECATEGORIES$QUICKWINDOW";
constexpr const char* kLocationsProcedure = "BrowseURL:K_Category";
constexpr const char* kLocationsWindow = "BROWSEURL:K_CATEGORY$QUICKWINDOW";
constexpr const char* kRange = "BRW1::Sort1:Reset:CAT:Category";
constexpr const char* kFilter = "UPPER(URL:Category) = UPPER(BRW1::Sort1:Reset:CAT:Category)";

}  // namespace

BrowseConfig categoryListConfig(const char* procedure, const char* window) {
  BrowseConfig c;
  c.procedure = procedure;
  c.window = window;
  c.file = &Categories;
  c.fileLabel = "Categories";
  c.files = {{&Categories, &CategoriesOpenCount}};
  const FieldRef category = FieldRef::of(Categories, "CAT:Category");
  c.columns = {category};
  BrowseOrder byCategory;
  byCategory.key = &CAT_K_CATEGORY;
  byCategory.seek = category;
  c.orders.push_back(byCategory);
  return c;
}

BrowseConfig categorySiteListConfig(const char* procedure, const char* window, const char* range,
                                    const char* filter) {
  BrowseConfig c;
  c.procedure = procedure;
  c.window = window;
  c.file = &LINKAR;
  c.fileLabel = "LINKAR";
  c.files = {{&LINKAR, &LinkarOpenCount}, {&Categories, &CategoriesOpenCount}};
  for (const char* column : {"URL:LOCATION", "URL:DESCRIPTION", "URL:CATEGORY", "URL:RATING", "URL:KEYWORD"})
    c.columns.push_back(FieldRef::of(LINKAR, column));
  BrowseOrder byCategory;
  byCategory.key = &URL_K_CATEGORY;
  byCategory.filter = filter;
  byCategory.ranged = true;
  byCategory.seek = FieldRef::of(LINKAR, "URL:LOCATION");
  c.orders.push_back(byCategory);
  c.range = {range, FieldRef::of(Categories, "CAT:Category"), FieldRef::of(LINKAR, "URL:CATEGORY")};
  c.actions = {insertAction(UpdateLINKAR), changeAction(UpdateLINKAR), deleteAction(UpdateLINKAR)};
  return c;
}

BrowseConfig browseCategoriesConfig() {
  BrowseConfig c = categoryListConfig(kCategoriesProcedure, kCategoriesWindow);
  c.actions = {insertAction(UpdateCategories), changeAction(UpdateCategories), deleteAction(UpdateCategories),
               callAction("Locations", BrowseURL_K_Category)};
  return c;
}

BrowseConfig categoryLocationsConfig() {
  return categorySiteListConfig(kLocationsProcedure, kLocationsWindow, kRange, kFilter);
}

void BrowseCategories() {
  static const BrowseConfig config = browseCategoriesConfig();
  runBrowse(config);
}

void BrowseURL_K_Category() {
  static const BrowseConfig config = categoryLocationsConfig();
  runBrowse(config);
}

}  // namespace linkar::app
