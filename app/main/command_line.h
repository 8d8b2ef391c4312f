// The program's commands: "linkar COMMAND ..." runs one job without the
// desktop and ends. Each command registers itself in the table with its
// name, its usage line and a run function; "linkar --help" lists them.
//
//   registerCommand({"import", "import html|text|scan FILE ...", "...", runImportCommand});
#pragma once

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

void registerCommand(Command command);
// The command of that name, or null.
const Command* findCommand(const std::string& name);
// "usage: ..." and one line per command, on standard output.
void printHelp();

}  // namespace linkar::app::cli
