// Private-profile files: parsing lines, finding and setting entries, and
// replacing the file through a flushed temporary copy.

#include "platform/profile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <climits>
#include <utility>

#include "platform/file.h"
#include "platform/os_error.h"
#include "platform/paths.h"

namespace linkar::platform {

namespace {

// Permissions of a profile file created anew.
constexpr mode_t kNewProfileMode = 0644;

// A stray carriage return counts as a blank, so that a lone '\r' at the
// end of a line never becomes part of a name or value.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// The section name of a header line, or nullopt.
std::optional<std::string_view> headerOf(std::string_view line) {
  if (line.size() > kMaxProfileLine) return std::nullopt;
  line = trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trim(line.substr(1, close - 1));
}

struct Entry {
  std::string_view key;
  std::string_view value;
};

std::optional<Entry> entryOf(std::string_view line) {
  if (line.size() > kMaxProfileLine) return std::nullopt;
  line = trim(line);
  if (line.empty() || line.front() == ';' || line.front() == '[') return std::nullopt;
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  std::string_view key = trim(line.substr(0, eq));
  if (key.empty()) return std::nullopt;
  std::string_view value = trim(line.substr(eq + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return Entry{key, value};
}

int readWhole(const std::string& path, std::string* out) {
  out->clear();
  File f;
  int rc = f.open(path, OpenMode{Access::Read, false, false});
  if (rc != 0) return rc;
  std::uint64_t size = 0;
  rc = f.size(&size);
  if (rc != 0) return rc;
  if (size > kMaxProfileFile) return failWith(kErrorInvalidData);
  out->resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  rc = f.read(0, out->data(), out->size(), &got);
  out->resize(got);
  return rc;
}

// Makes the rename that replaced a file in `path`'s folder durable.
void flushFolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

ProfileText::ProfileText(std::string_view contents) {
  if (contents.find("\r\n") != std::string_view::npos) m_lineEnd = "\r\n";
  std::size_t start = 0;
  while (start < contents.size()) {
    std::size_t nl = contents.find('\n', start);
    Line line;
    if (nl == std::string_view::npos) {
      line.body = contents.substr(start);
      start = contents.size();
    } else {
      line.body = contents.substr(start, nl - start);
      if (!line.body.empty() && line.body.back() == '\r') {
        line.body.pop_back();
        line.end.push_back('\r');
      }
      line.end.push_back('\n');
      start = nl + 1;
    }
    m_lines.push_back(std::move(line));
  }
}

void ProfileText::insertLine(std::size_t at, std::string body) {
  if (at > 0 && m_lines[at - 1].end.empty()) m_lines[at - 1].end = m_lineEnd;
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(body), m_lineEnd});
}

std::size_t ProfileText::sectionBody(std::string_view section) const {
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    auto name = headerOf(m_lines[i].body);
    if (name && sameName(*name, trim(section))) return i + 1;
  }
  return std::string::npos;
}

std::size_t ProfileText::sectionEnd(std::size_t body) const {
  std::size_t i = body;
  while (i < m_lines.size() && !headerOf(m_lines[i].body)) ++i;
  return i;
}

std::optional<std::string> ProfileText::find(std::string_view section, std::string_view key) const {
  key = trim(key);
  // Every section of the name counts, in file order.
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    auto name = headerOf(m_lines[i].body);
    if (!name || !sameName(*name, trim(section))) continue;
    std::size_t end = sectionEnd(i + 1);
    for (std::size_t j = i + 1; j < end; ++j) {
      auto entry = entryOf(m_lines[j].body);
      if (entry && sameName(entry->key, key)) return std::string(entry->value);
    }
    i = end - 1;
  }
  return std::nullopt;
}

void ProfileText::set(std::string_view section, std::string_view key, std::string_view value) {
  assert(validProfileEntry(section, key, value));
  section = trim(section);
  key = trim(key);
  std::string line(key);
  line.append(1, '=').append(value);
  std::size_t body = sectionBody(section);
  if (body == std::string::npos) {
    if (!m_lines.empty() && !trim(m_lines.back().body).empty()) insertLine(m_lines.size(), "");
    std::string header(1, '[');
    header.append(section).push_back(']');
    insertLine(m_lines.size(), std::move(header));
    insertLine(m_lines.size(), std::move(line));
    return;
  }
  std::size_t end = sectionEnd(body);
  for (std::size_t j = body; j < end; ++j) {
    auto entry = entryOf(m_lines[j].body);
    if (entry && sameName(entry->key, key)) {
      // Keep the key as the file spells it.
      std::string replaced(entry->key);
      replaced.append(1, '=').append(value);
      m_lines[j].body = std::move(replaced);
      return;
    }
  }
  // After the section's last non-blank line, before the blank lines that
  // separate it from the next.
  std::size_t at = end;
  while (at > body && trim(m_lines[at - 1].body).empty()) --at;
  insertLine(at, std::move(line));
}

std::string ProfileText::text() const {
  std::string out;
  for (const Line& line : m_lines) {
    out += line.body;
    out += line.end;
  }
  return out;
}

bool validProfileEntry(std::string_view section, std::string_view key, std::string_view value) {
  auto clean = [](std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
  };
  if (!clean(section) || !clean(key) || !clean(value)) return false;
  section = trim(section);
  key = trim(key);
  if (section.empty() || section.find(']') != std::string_view::npos) return false;
  if (key.empty() || key.find('=') != std::string_view::npos) return false;
  if (key.front() == '[' || key.front() == ';') return false;
  return section.size() + 2 <= kMaxProfileLine && key.size() + value.size() + 1 <= kMaxProfileLine;
}

int resolveProfileName(const std::string& name, std::string* out) {
  if (name.find('/') != std::string::npos) {
    *out = name;
    return 0;
  }
  return configFilePath(name, out);
}

std::string readProfileString(const std::string& name, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
  std::string contents;
  int saved = lastOsError();
  std::string path;
  int rc = resolveProfileName(name, &path);
  if (rc == 0) rc = readWhole(path, &contents);
  setLastOsError(saved);  // a missing profile is not a failure of the caller's
  if (rc != 0) return std::string(defaultValue);
  auto value = ProfileText(contents).find(section, key);
  return value ? *value : std::string(defaultValue);
}

int readProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int defaultValue) {
  std::string text = readProfileString(path, section, key, "");
  std::string_view s = trim(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  long long value = 0;
  std::size_t digits = 0;
  while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') {
    if (value <= INT_MAX) value = value * 10 + (s[digits] - '0');
    ++digits;
  }
  if (digits == 0) return defaultValue;
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string readSystemProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) {
  return readProfileString(kSystemProfileName, section, key, defaultValue);
}

int writeProfileString(const std::string& name, std::string_view section, std::string_view key,
                       std::string_view value) {
  if (!validProfileEntry(section, key, value)) return failWith(kErrorInvalidParameter);
  std::string path;
  int rc = resolveProfileName(name, &path);
  if (rc != 0) return rc;
  std::string contents;
  mode_t mode = kNewProfileMode;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
    rc = readWhole(path, &contents);
    if (rc != 0) return rc;
  }
  ProfileText profile(contents);
  profile.set(section, key, value);
  const std::string text = profile.text();

  std::string temporary = path + ".XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return failWithPathErrno(errno, path);
  ::fchmod(fd, mode);
  ::close(fd);
  File f;
  rc = f.open(temporary, OpenMode{Access::Write, true, true});
  if (rc == 0) rc = f.write(0, text.data(), text.size());
  if (rc == 0) rc = f.flush();
  if (rc == 0) rc = f.close();
  if (rc == 0) rc = renameFile(temporary, path, true);
  if (rc != 0) {
    f.close();
    ::unlink(temporary.c_str());
    return failWith(rc);
  }
  flushFolderOf(path);
  return 0;
}

}  // namespace linkar::platform
