// The command table.
#include "command_line.h"

#include <cstdio>

#include "platform/file_system.h"
#include "runtime/error_texts.h"

namespace linkar::app::cli {
namespace {

std::vector<Command>& table() {
  static std::vector<Command> commands;
  return commands;
}

}  // namespace

std::string CommandArgs::option(const std::string& name) const {
  auto it = options.find(name);
  return it == options.end() ? std::string() : it->second;
}

bool parseArgs(const std::vector<std::string>& args, const std::vector<std::string>& known, size_t positionalCount,
               CommandArgs* out) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (!args[i].starts_with("--")) {
      out->positional.push_back(args[i]);
      continue;
    }
    bool isKnown = false;
    for (const std::string& k : known) isKnown = isKnown || k == args[i];
    if (!isKnown || i + 1 >= args.size()) return false;
    out->options[args[i]] = args[i + 1];
    ++i;
  }
  return out->positional.size() == positionalCount;
}

int usageError(const std::string& name) {
  const Command* c = findCommand(name);
  std::fprintf(stderr, "usage: linkar %s %s\n", name.c_str(), c ? c->usage.c_str() : "");
  return kExitNotDone;
}

bool useDataFolder(const std::string& dir) {
  if (int rc = platform::changeCurrentDirectory(dir); rc != 0) {
    const std::string why(runtime::errorTextFor(rc));
    std::fprintf(stderr, "linkar: cannot use the data folder %s: %s\n", dir.c_str(), why.c_str());
    return false;
  }
  return true;
}

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
