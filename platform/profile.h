// Private-profile (INI) files: "[section]" lines followed by "key=value"
// lines. Sections and keys are compared without regard to ASCII case;
// lines starting with ';' are comments. Reading never fails: a missing file,
// section or key gives the default. Writing replaces the file atomically.
// A bare file name (no '/') names a file in the configuration folder, so
// "LINKAR.INI" is found there wherever the program was started.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::platform {

// Lines longer than this many bytes are passed over when reading (kept
// unchanged when writing).
inline constexpr std::size_t kMaxProfileLine = 4096;
// A profile file larger than this is not read (defaults are given) and not
// rewritten (kErrorInvalidData, os_error.h).
inline constexpr std::size_t kMaxProfileFile = 4 * 1024 * 1024;

// The text of one profile file, for reading and changing in memory.
//
// Broken lines (a '[' without ']', a line without '=', an empty key, an
// overlong line) are not interpreted. Every line the change does not touch
// is written back byte for byte, line end included. A value wrapped in double quotes is given without
// them. The first matching section and key win.
class ProfileText {
 public:
  explicit ProfileText(std::string_view contents);

  std::optional<std::string> find(std::string_view section, std::string_view key) const;

  // Sets `key` in `section`, replacing its value where it stands, else
  // adding it at the end of the section, else adding the section at the end.
  // REQUIRES: validProfileEntry(section, key, value).
  void set(std::string_view section, std::string_view key, std::string_view value);

  std::string text() const;

 private:
  // Index of the line after the header of `section`, or npos.
  std::size_t sectionBody(std::string_view section) const;
  std::size_t sectionEnd(std::size_t body) const;

  struct Line {
    std::string body;  // without its line end
    std::string end;   // "\n", "\r\n", or "" for a last line without one
  };
  // Appends `body` with the file's line end, ending the last line first.
  void insertLine(std::size_t at, std::string body);

  std::vector<Line> m_lines;
  std::string m_lineEnd = "\n";  // for new lines: "\r\n" when the file used it
};

// True when the three can be written without breaking the file: no line
// breaks or NUL bytes in any, a non-empty section without ']' and a
// non-empty key without '=' that does not begin with '[' or ';' and is not
// all blanks.
bool validProfileEntry(std::string_view section, std::string_view key, std::string_view value);

// The profile the program's own settings live in; its [intl] section holds
// the international settings that override the built-in defaults.
inline constexpr const char* kSystemProfileName = "LINKAR.INI";

// Where a profile named `name` lives: a bare name in the configuration
// folder (created when missing), anything else as given.
int resolveProfileName(const std::string& name, std::string* out);

// The value of `key` in `section` of the file `path`, or `defaultValue`.
std::string readProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

// The value taken as a decimal integer: leading blanks, an optional sign and
// digits (anything after them is ignored, so "12.7" gives 12; values beyond
// the int range saturate). A missing key, or a value without digits, gives
// `defaultValue`.
int readProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int defaultValue);

// Sets `key` in `section` to `value`, creating the file and the section as
// needed. The new text goes to a temporary file beside `path`, is flushed
// and renamed over `path`, so a crash leaves the old or the new file, never
// a damaged one. Returns 0, 87 for an entry validProfileEntry() refuses, 13
// for an oversized file, or the error of the failed file operation.
int writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view value);

// readProfileString on kSystemProfileName.
std::string readSystemProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue);

}  // namespace linkar::platform
