// Decoding character references.
#include "transfer/char_references.h"

#include <cstdint>

namespace linkar::transfer {
namespace {

constexpr char kReferenceOpen = '&';
constexpr char kReferenceClose = ';';
constexpr char kNumberMark = '#';
// The longest reference this decoder reads, "&#x10FFFF;" and "&#1114111;"
// included; a ";" further away closes no reference.
constexpr size_t kLongestReference = 10;
constexpr uint32_t kLastCodePoint = 0x10FFFF;
constexpr uint32_t kSurrogateFirst = 0xD800;
constexpr uint32_t kSurrogateLast = 0xDFFF;

struct Named {
  std::string_view name;
  std::string_view text;
};
// "nbsp" becomes a plain blank: stored texts are blank-padded fields.
constexpr Named kNamed[] = {{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

int digitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hex) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The code point of a numeric reference body ("#233", "#xE9"), or 0.
uint32_t numericValue(std::string_view body) {
  body.remove_prefix(1);
  bool hex = !body.empty() && (body[0] == 'x' || body[0] == 'X');
  if (hex) body.remove_prefix(1);
  if (body.empty()) return 0;
  uint32_t value = 0;
  for (char c : body) {
    int d = digitValue(c, hex);
    if (d < 0) return 0;
    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(d);
    if (value > kLastCodePoint) return 0;
  }
  if (value >= kSurrogateFirst && value <= kSurrogateLast) return 0;
  return value;
}

// Appends what the reference body (between "&" and ";") stands for; false
// when it stands for nothing.
bool appendReference(std::string& out, std::string_view body) {
  if (!body.empty() && body[0] == kNumberMark) {
    uint32_t cp = numericValue(body);
    if (cp == 0) return false;
    appendUtf8(out, cp);
    return true;
  }
  for (const Named& n : kNamed) {
    if (body == n.name) {
      out += n.text;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string decodeCharReferences(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t amp = text.find(kReferenceOpen, i);
    if (amp == std::string_view::npos) break;
    out.append(text.substr(i, amp - i));
    size_t close = text.find(kReferenceClose, amp + 1);
    if (close != std::string_view::npos && close - amp <= kLongestReference &&
        appendReference(out, text.substr(amp + 1, close - amp - 1))) {
      i = close + 1;
    } else {
      out += kReferenceOpen;
      i = amp + 1;
    }
  }
  out.append(text.substr(i));
  return out;
}

}  // namespace linkar::transfer
