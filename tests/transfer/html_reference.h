// An independent, deliberately plain re-reading of the HTML import for the
// tests: the whole file split into lines, each line cut step by step as the
// import's description says (with the mended rules: 65,535-byte lines,
// references decoded, cuts that keep UTF-8 whole, <h1>-<h6> and folder
// headings only, no attribute text as description), then the sites kept as
// the location key keeps them.
#pragma once

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/transfer/transfer_fixture.h"

namespace linkar::transfer::test_import {

struct ReferenceResult {
  std::vector<StoredSite> sites;        // sorted by location
  std::vector<std::string> categories;  // as first added
};

inline std::string lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

inline std::string upperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

// Cut to n bytes, backing off while the cut would split a UTF-8 sequence.
inline std::string cutUtf8(const std::string& s, size_t n) {
  if (s.size() <= n) return s;
  size_t k = n;
  while (k > 0 && n - k < 3 && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80) --k;
  return s.substr(0, k);
}

inline std::string stripLeft(const std::string& s) {
  size_t i = s.find_first_not_of(' ');
  return i == std::string::npos ? std::string() : s.substr(i);
}

inline std::string utf8Of(unsigned long cp) {
  std::string out;
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6)), out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12)), out += char(0x80 | ((cp >> 6) & 0x3F)), out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18)), out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F)), out += char(0x80 | (cp & 0x3F));
  }
  return out;
}

inline std::string decoded(const std::string& s) {
  static const std::regex ref("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|amp|lt|gt|quot|apos|nbsp);");
  static const std::map<std::string, std::string> named = {{"amp", "&"},   {"lt", "<"},   {"gt", ">"},
                                                           {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
  std::string out;
  auto it = std::sregex_iterator(s.begin(), s.end(), ref);
  size_t last = 0;
  for (; it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    out += s.substr(last, m.position() - last);
    std::string body = m[1];
    if (body[0] != '#') {
      out += named.at(body);
    } else {
      bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
      unsigned long cp = std::stoul(body.substr(hex ? 2 : 1), nullptr, hex ? 16 : 10);
      if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) out += m.str();
      else out += utf8Of(cp);
    }
    last = m.position() + m.length();
  }
  return out + s.substr(last);
}

// The file's lines as the text driver gives them: ended by LF or CR LF,
// tabs to blanks every 8 columns, cut at 65,535 bytes, trailing blanks
// dropped; a byte order mark at the start left out.
inline std::vector<std::string> fileLines(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    std::string raw = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
    at = nl == std::string::npos ? text.size() : nl + 1;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::string line;
    for (char c : raw) {
      if (c == '\t') line.append(8 - line.size() % 8, ' ');
      else line += c;
    }
    line = line.substr(0, 65535);
    line.erase(line.find_last_not_of(' ') + 1);
    lines.push_back(line);
  }
  return lines;
}

inline ReferenceResult readHtmlByReference(const std::string& text) {
  ReferenceResult result;
  std::map<std::string, StoredSite> byUpperLocation;
  std::set<std::string> categoryKeys;
  std::string heading;
  for (std::string line : fileLines(text)) {
    for (;;) {
      std::string low = lowered(line);
      size_t h = low.find("href"), g = low.find("<h");
      if (g != std::string::npos && (h == std::string::npos || g < h) && g + 3 < line.size() &&
          line[g + 2] >= '1' && line[g + 2] <= '6' &&
          (line[g + 3] == '>' || line.compare(g + 3, 4, " ADD") == 0)) {
        std::string t = cutUtf8(line.substr(g), 255);
        if (t.find('>') != std::string::npos) t.erase(0, t.find('>') + 1);
        t = t.substr(0, t.find('<'));
        heading = cutUtf8(decoded(stripLeft(t)), 20);
      }
      if (h == std::string::npos) break;
      line.erase(0, h);                      // the line starts at "href"
      size_t q1 = line.find('"');
      std::string afterHref = line.substr(4);
      if (q1 != std::string::npos) line.erase(0, q1 + 1);
      size_t q = line.find('"');
      std::string location = cutUtf8(decoded(stripLeft(line.substr(0, q))), 128);
      if (location.find(':') == std::string::npos) {
        if (q1 == std::string::npos) line = afterHref;
        continue;
      }
      std::string description, info;
      line = q == std::string::npos ? line : line.substr(q + 1);
      size_t gt = line.find('>');
      if (gt != std::string::npos) {
        line.erase(0, gt + 1);
        size_t a = lowered(line).find("</a>");
        description = cutUtf8(decoded(stripLeft(line.substr(0, a))), 60);
        if (a != std::string::npos) {
          info = stripLeft(line.substr(a + 4));
          info = !info.empty() && info[0] == '<' ? "" : cutUtf8(decoded(info), 500);
          line.erase(0, a + 1);
        }
      }
      if (q1 == std::string::npos && q == std::string::npos && gt == std::string::npos) line = afterHref;
      std::string category = "NEW";
      if (!heading.empty() && heading.find_first_not_of(' ') != std::string::npos) {
        category = cutUtf8(heading, 15);
        category.erase(category.find_last_not_of(' ') + 1);
        if (categoryKeys.insert(upperAscii(category)).second) result.categories.push_back(category);
      }
      if (location[0] == '#') continue;
      size_t k = location.find("://");
      std::string keyword = k == std::string::npos ? "?" : cutUtf8(location.substr(0, k), 10);
      auto trim = [](std::string s) { return s.erase(s.find_last_not_of(' ') + 1); };
      byUpperLocation.emplace(upperAscii(location),
                              StoredSite{trim(location), trim(description), category, trim(keyword), trim(info), 0});
    }
  }
  for (auto& [key, site] : byUpperLocation) result.sites.push_back(site);
  std::sort(result.sites.begin(), result.sites.end(),
            [](const StoredSite& a, const StoredSite& b) { return a.location < b.location; });
  return result;
}

}  // namespace linkar::transfer::test_import
