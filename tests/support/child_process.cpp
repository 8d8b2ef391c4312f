// Forked children with time limits and pipe rendezvous for multi-process tests.

#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace linkar::test {

namespace {

// How often wait() looks at the child, in milliseconds.
constexpr int kPollIntervalMs = 2;

long long nowMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

ChildProcess::ChildProcess(std::function<int()> body) {
  std::fflush(nullptr);  // nothing buffered may be written twice
  m_pid = ::fork();
  if (m_pid < 0) {
    std::perror("fork");
    std::abort();
  }
  if (m_pid == 0) {
    int code = kChildThrew;
    try {
      code = body();
    } catch (...) {
      code = kChildThrew;
    }
    ::_exit(code);
  }
}

ChildProcess::~ChildProcess() { kill(); }

int ChildProcess::wait(int timeoutMs) {
  if (m_pid <= 0) return kChildSignalled;
  long long deadline = nowMs() + timeoutMs;
  for (;;) {
    int status = 0;
    pid_t r = ::waitpid(m_pid, &status, WNOHANG);
    if (r == m_pid) {
      m_pid = -1;
      if (WIFEXITED(status)) return WEXITSTATUS(status);
      return kChildSignalled;
    }
    if (r < 0 && errno != EINTR) {
      m_pid = -1;
      return kChildSignalled;
    }
    if (nowMs() >= deadline) {
      kill();
      return kChildTimedOut;
    }
    ::usleep(kPollIntervalMs * 1000);
  }
}

void ChildProcess::kill() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGKILL);
  int status = 0;
  while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
  }
  m_pid = -1;
}

int runInChild(std::function<int()> body, int timeoutMs) {
  ChildProcess child(std::move(body));
  return child.wait(timeoutMs);
}

namespace {

CommandRun readOutput(const std::string& line) {
  CommandRun run;
  FILE* pipe = ::popen(line.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

}  // namespace

CommandRun runCommand(const std::string& command, int timeoutSeconds) {
  return readOutput("timeout " + std::to_string(timeoutSeconds) + " " + command + " 2>&1");
}

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  quoted += text;
  quoted += '\'';
  return quoted;
}

CommandRun runInFolder(const std::string& command, const std::string& folder) {
  std::string line = folder.empty() ? std::string() : "cd " + shellQuoted(folder) + " && ";
  line += command;
  line += " 2>/dev/null";
  return readOutput(line);
}

Rendezvous::Rendezvous() {
  if (::pipe2(m_toChild, O_CLOEXEC) != 0 || ::pipe2(m_toParent, O_CLOEXEC) != 0) {
    std::perror("pipe2");
    std::abort();
  }
}

Rendezvous::~Rendezvous() {
  closeFd(m_toChild[0]);
  closeFd(m_toChild[1]);
  closeFd(m_toParent[0]);
  closeFd(m_toParent[1]);
}

void Rendezvous::becomeParent() {
  closeFd(m_toChild[0]);
  closeFd(m_toParent[1]);
  m_read = m_toParent[0];
  m_write = m_toChild[1];
}

void Rendezvous::becomeChild() {
  closeFd(m_toChild[1]);
  closeFd(m_toParent[0]);
  m_read = m_toChild[0];
  m_write = m_toParent[1];
}

bool Rendezvous::signal() {
  char token = 1;
  for (;;) {
    ssize_t n = ::write(m_write, &token, 1);
    if (n == 1) return true;
    if (n < 0 && errno == EINTR) continue;
    return false;
  }
}

bool Rendezvous::waitFor(int timeoutMs) {
  long long deadline = nowMs() + timeoutMs;
  for (;;) {
    long long left = deadline - nowMs();
    if (left < 0) return false;
    pollfd p{m_read, POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    char token = 0;
    ssize_t n = ::read(m_read, &token, 1);
    if (n == 1) return true;
    if (n < 0 && errno == EINTR) continue;
    return false;  // the other side closed its end
  }
}

}  // namespace linkar::test
