// Running test code in a forked child with a time limit, a shell command
// with its output, and a two-process rendezvous over pipes, for tests of
// behaviour between processes.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace linkar::test {

// What wait() reports when the child did not end in time (it is killed).
inline constexpr int kChildTimedOut = -1;
// What wait() reports when the child ended by a signal.
inline constexpr int kChildSignalled = -2;
// Exit code of a child whose body threw.
inline constexpr int kChildThrew = 125;

// A forked child running `body`; its exit code is body's result. The child
// never returns into the test framework: it leaves with _exit().
class ChildProcess {
 public:
  explicit ChildProcess(std::function<int()> body);
  ~ChildProcess();  // kills and reaps a child still running
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Waits up to `timeoutMs` for the child to end: its exit code,
  // kChildTimedOut (after killing it) or kChildSignalled.
  int wait(int timeoutMs);
  // Kills the child at once (SIGKILL) and reaps it.
  void kill();
  bool running() const { return m_pid > 0; }
  pid_t pid() const { return m_pid; }

 private:
  pid_t m_pid = -1;
};

// Runs `body` in a child and waits for it: see ChildProcess::wait().
int runInChild(std::function<int()> body, int timeoutMs);

// What a shell command did: its exit status (128 + the signal when one
// ended it; 124 when the time limit did) and its output, both streams.
struct CommandRun {
  int status = -1;
  std::string output;
};

// Runs `command` through the shell, killed after `timeoutSeconds`.
CommandRun runCommand(const std::string& command, int timeoutSeconds);

// Runs `command` through the shell in `folder` (empty: here) as a person
// runs a program from a shell: its standard output, standard error dropped.
CommandRun runInFolder(const std::string& command, const std::string& folder = {});
// `text` in single quotes, one word for the shell (it holds no quote).
std::string shellQuoted(const std::string& text);

// Two processes telling each other "I got here". Make it before fork();
// after it each side calls its role once, then signal() and waitFor().
class Rendezvous {
 public:
  Rendezvous();
  ~Rendezvous();
  Rendezvous(const Rendezvous&) = delete;
  Rendezvous& operator=(const Rendezvous&) = delete;

  void becomeParent();
  void becomeChild();
  // Tells the other side one step is done.
  bool signal();
  // Waits up to `timeoutMs` for the other side's next signal; false on time
  // out or when the other side has gone.
  bool waitFor(int timeoutMs);

 private:
  int m_toChild[2] = {-1, -1};
  int m_toParent[2] = {-1, -1};
  int m_read = -1;
  int m_write = -1;
};

}  // namespace linkar::test
