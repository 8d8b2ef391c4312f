// The command table.
#include "command_line.h"

#include <cstdio>

namespace linkar::app::cli {
namespace {

std::vector<Command>& table() {
  static std::vector<Command> commands;
  return commands;
}

}  // namespace

void registerCommand(Command command) {
  for (Command& c : table()) {
    if (c.name == command.name) {
      c = std::move(command);
      return;
    }
  }
  table().push_back(std::move(command));
}

const Command* findCommand(const std::string& name) {
  for (const Command& c : table())
    if (c.name == name) return &c;
  return nullptr;
}

void printHelp() {
  std::printf("usage: linkar                      start the desktop\n"
              "       linkar --screenshots FOLDER  write pictures of the windows\n"
              "       linkar --help                this list\n");
  for (const Command& c : table()) std::printf("       linkar %s %s\n           %s\n", c.name.c_str(), c.usage.c_str(), c.summary.c_str());
}

}  // namespace linkar::app::cli
