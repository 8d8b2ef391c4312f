// Writing stored text into a page.
#include "transfer/html_escape.h"

#include <cstddef>
#include <cstdint>

namespace linkar::transfer {
namespace {

constexpr uint16_t kUnassigned = 0xFFFD;  // the replacement character
constexpr unsigned char kFirstHighByte = 0x80;
constexpr unsigned char kFirstUnlistedByte = 0xA0;  // Windows-1252 equals Latin-1 from here on

// Windows-1252 bytes 0x80 to 0x9F; the five it leaves unassigned become the
// replacement character.
constexpr uint16_t kWindows1252High[] = {
    0x20AC, kUnassigned, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, kUnassigned, 0x017D, kUnassigned,  // 88
    kUnassigned, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kUnassigned, 0x017E, 0x0178,  // 98
};

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (cp & 0x3F));
}

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at `at` (RFC 3629: no
// overlong forms, no surrogates, nothing past U+10FFFF), or 0.
size_t utf8Length(std::string_view s, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[at + i]); };
  const unsigned char lead = byte(0);
  size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  if (lead < 0xC2 || lead > 0xF4 || at + n > s.size()) return 0;
  for (size_t i = 1; i < n; ++i)
    if (!continuation(byte(i))) return 0;
  const unsigned char second = byte(1);
  if (lead == 0xE0 && second < 0xA0) return 0;   // overlong
  if (lead == 0xED && second >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && second < 0x90) return 0;   // overlong
  if (lead == 0xF4 && second >= 0x90) return 0;  // past U+10FFFF
  return n;
}

uint32_t fromWindows1252(unsigned char c) {
  return c < kFirstUnlistedByte ? kWindows1252High[c - kFirstHighByte] : c;
}

}  // namespace

void appendPageText(std::string& out, std::string_view stored) {
  size_t i = 0;
  while (i < stored.size()) {
    const unsigned char c = static_cast<unsigned char>(stored[i]);
    if (c < kFirstHighByte) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    if (size_t n = utf8Length(stored, i); n != 0) {
      out.append(stored.substr(i, n));
      i += n;
      continue;
    }
    appendUtf8(out, fromWindows1252(c));
    ++i;
  }
}

std::string pageText(std::string_view stored) {
  std::string out;
  out.reserve(stored.size());
  appendPageText(out, stored);
  return out;
}

}  // namespace linkar::transfer
