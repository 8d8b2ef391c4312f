// The name -> procedure table behind the frame's menu.

#include "app/procedure_registry.h"

#include <map>
#include <string>

#include "app/browse_categories.h"
#include "app/browse_linkar.h"

namespace linkar::app {
namespace {

std::map<std::string, ui::Procedure, std::less<>>& table() {
  static std::map<std::string, ui::Procedure, std::less<>> procedures;
  return procedures;
}

}  // namespace

void registerProcedure(std::string_view name, ui::Procedure procedure) {
  table()[std::string(name)] = std::move(procedure);
}

const ui::Procedure* findProcedure(std::string_view name) {
  auto it = table().find(name);
  return it == table().end() ? nullptr : &it->second;
}

void clearProcedures() { table().clear(); }

void registerProcedures() {
  registerProcedure("BrowseLINKAR", BrowseLINKAR);
  registerProcedure("BrowseCategories", BrowseCategories);
}

}  // namespace linkar::app
