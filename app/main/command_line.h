// The program's commands: "linkar COMMAND ..." runs one job without the
// desktop and ends. Each command registers itself in the table with its
// name, its usage line and a run function; "linkar --help" lists them.
//
//   registerCommand({"import", "import html|text|scan FILE ...", "...", runImportCommand});
#pragma once

#include <map>
#include <string>
#include <vector>

namespace linkar::app::cli {

// Exit codes of a command.
constexpr int kExitDone = 0;         // the job ran to its end
constexpr int kExitNotDone = 1;      // cancelled, unreadable input, bad arguments
constexpr int kExitRuntimeError = 2; // the runtime-error box ended it

struct Command {
  std::string name;
  std::string usage;    // the arguments after the name
  std::string summary;  // one line for --help
  int (*run)(const std::vector<std::string>& args);  // the arguments after the name
};

// A command's arguments: the positional ones in order and the options
// (each "--NAME VALUE") by name.
struct CommandArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
  std::string option(const std::string& name) const;
  bool has(const std::string& name) const { return options.count(name) != 0; }
};

// Splits args; false for an option not in `known` (or without its value)
// or for a positional count other than `positionalCount`.
bool parseArgs(const std::vector<std::string>& args, const std::vector<std::string>& known, size_t positionalCount,
               CommandArgs* out);
// "usage: linkar NAME USAGE" on standard error; returns kExitNotDone.
int usageError(const std::string& name);
// Makes `dir` (--data; empty: stay) the current folder; says why not on
// standard error and returns false when it cannot.
bool useDataFolder(const std::string& dir);

void registerCommand(Command command);
// The command of that name, or null.
const Command* findCommand(const std::string& name);
// "usage: ..." and one line per command, on standard output.
void printHelp();

}  // namespace linkar::app::cli
