// Temporary folders, whole-file helpers and scoped process settings for tests.

#include "tests/support/temp_dir.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace linkar::test {

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
  ::remove(path);
  return 0;
}

// Open descriptors nftw may use while walking.
constexpr int kWalkDescriptors = 16;

}  // namespace

TempDir::TempDir() {
  const char* base = ::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/linkar-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  m_path = buffer.data();
}

TempDir::~TempDir() { ::nftw(m_path.c_str(), removeEntry, kWalkDescriptors, FTW_DEPTH | FTW_PHYS); }

bool writeWholeFile(const std::string& path, const std::string& contents) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(contents.data(), 1, contents.size(), f) == contents.size();
  return std::fclose(f) == 0 && ok;
}

std::string readWholeFile(const std::string& path) {
  std::string contents;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return contents;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) contents.append(buffer, n);
  std::fclose(f);
  return contents;
}

CurrentDirectoryScope::CurrentDirectoryScope(const std::string& dir) {
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) != nullptr) m_previous = buffer;
  if (::chdir(dir.c_str()) != 0) std::perror("chdir");
}

CurrentDirectoryScope::~CurrentDirectoryScope() {
  if (!m_previous.empty() && ::chdir(m_previous.c_str()) != 0) std::perror("chdir");
}

EnvironmentScope::EnvironmentScope(const std::string& name, const char* value) : m_name(name) {
  const char* old = ::getenv(name.c_str());
  m_hadValue = old != nullptr;
  if (old) m_previous = old;
  if (value)
    ::setenv(name.c_str(), value, 1);
  else
    ::unsetenv(name.c_str());
}

EnvironmentScope::~EnvironmentScope() {
  if (m_hadValue)
    ::setenv(m_name.c_str(), m_previous.c_str(), 1);
  else
    ::unsetenv(m_name.c_str());
}

}  // namespace linkar::test
