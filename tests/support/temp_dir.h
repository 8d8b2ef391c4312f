// A fresh temporary folder for one test, removed with everything in it when
// the object goes away.
#pragma once

#include <string>

namespace linkar::test {

class TempDir {
 public:
  TempDir();  // aborts the test program if no folder can be made
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  // The path of `name` inside the folder.
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// Whole-file helpers for setting up and checking test files; they use the
// C library directly so that they never pass through injected faults.
bool writeWholeFile(const std::string& path, const std::string& contents);
std::string readWholeFile(const std::string& path);  // empty when unreadable

// Runs `body` with the current folder set to `dir`, then restores it.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& dir);
  ~CurrentDirectoryScope();
  CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
  CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

 private:
  std::string m_previous;
};

// Sets an environment variable for the life of the object, then restores it.
class EnvironmentScope {
 public:
  EnvironmentScope(const std::string& name, const char* value);  // nullptr unsets
  ~EnvironmentScope();
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  std::string m_name;
  std::string m_previous;
  bool m_hadValue = false;
};

}  // namespace linkar::test
