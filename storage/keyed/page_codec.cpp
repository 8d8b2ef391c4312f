// Run-length body compression and prefix-shared entry encoding of pages.
#include "storage/keyed/page_codec.h"

#include <algorithm>
#include <cstring>

#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {

constexpr std::size_t kMinRun = 4;       // shorter runs stay literal
constexpr int kMaxVarintBytes = 5;       // enough for any 32-bit count

bool readVarint(std::string_view s, std::size_t& pos, std::size_t& value) {
  value = 0;
  for (int i = 0; i < kMaxVarintBytes; ++i) {
    if (pos >= s.size()) return false;
    const auto b = static_cast<std::uint8_t>(s[pos++]);
    value |= static_cast<std::size_t>(b & 0x7F) << (7 * i);
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

// Page bodies are mostly short literals and short runs: a call to the
// library costs more than the bytes themselves.
constexpr std::size_t kShortCopy = 16;

void copyBytes(char* to, const char* from, std::size_t n) {
  if (n > kShortCopy) {
    std::memcpy(to, from, n);
    return;
  }
  for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
}

void fillBytes(char* to, char value, std::size_t n) {
  if (n > kShortCopy) {
    std::memset(to, value, n);
    return;
  }
  for (std::size_t i = 0; i < n; ++i) to[i] = value;
}

constexpr std::size_t kWord = sizeof(std::uint64_t);
constexpr std::uint64_t kLowBits = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Whether any of the eight bytes at `at` equals the byte after it.
bool anyEqualNeighbours(const char* at) {
  std::uint64_t here = 0;
  std::uint64_t next = 0;
  std::memcpy(&here, at, kWord);
  std::memcpy(&next, at + 1, kWord);
  const std::uint64_t x = here ^ next;  // a zero byte where neighbours are equal
  return ((x - kLowBits) & ~x & kHighBits) != 0;
}

}  // namespace

void appendVarint(std::string& out, std::size_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

bool compressBody(std::string_view body, std::string& out) {
  out.clear();
  const std::size_t n = body.size();
  std::size_t literalStart = 0;
  bool anyRun = false;
  out.reserve(n);
  const char* d = body.data();
  std::size_t p = 0;
  while (p < n) {
    // Most bytes differ from the next one: step over eight such bytes at a
    // time, then over single ones.
    if (p + kWord + 1 <= n && !anyEqualNeighbours(d + p)) {
      p += kWord;
      continue;
    }
    if (p + 1 < n && d[p + 1] != d[p]) {
      ++p;
      continue;
    }
    std::size_t m = 1;
    // Runs are often long (blank padding): compare eight bytes at a time.
    const std::uint64_t pattern = kLowBits * static_cast<std::uint8_t>(d[p]);
    for (std::uint64_t word = 0; p + m + kWord <= n; m += kWord) {
      std::memcpy(&word, d + p + m, kWord);
      if (word != pattern) break;
    }
    while (p + m < n && d[p + m] == d[p]) ++m;
    if (m >= kMinRun) {
      // The run's first byte travels as the last literal; the count repeats it.
      appendVarint(out, p + 1 - literalStart);
      out.append(body.substr(literalStart, p + 1 - literalStart));
      appendVarint(out, m - 1);
      literalStart = p + m;
      anyRun = true;
    }
    p += m;
  }
  if (!anyRun) {
    out.clear();
    return false;
  }
  appendVarint(out, n - literalStart);
  out.append(body.substr(literalStart));
  return true;
}

bool decompressBody(std::string_view stream, std::size_t length, std::string& out) {
  out.resize(length);
  char* dst = out.data();
  std::size_t made = 0;
  std::size_t pos = 0;
  while (made < length) {
    std::size_t count = 0;
    if (!readVarint(stream, pos, count)) return false;
    if (count > length - made || count > stream.size() - pos) return false;
    copyBytes(dst + made, stream.data() + pos, count);
    made += count;
    pos += count;
    if (made == length) break;
    if (!readVarint(stream, pos, count)) return false;
    if (made == 0 || count > length - made) return false;
    fillBytes(dst + made, dst[made - 1], count);
    made += count;
  }
  return true;
}

void encodeEntries(const std::vector<EntryBytes>& entries, std::string& out) {
  std::string_view prev;
  std::size_t prevKey = 0;
  bool first = true;
  for (const EntryBytes& e : entries) {
    std::uint8_t flags = 0;
    std::size_t shared = 0;
    if (first || e.bytes.size() != prev.size()) flags |= kFlagLength;
    if (first || e.keyLength != prevKey) flags |= kFlagKeyLength;
    if (!first) {
      const std::size_t cap = std::min({kMaxPrefix, e.bytes.size(), prev.size()});
      while (shared < cap && e.bytes[shared] == prev[shared]) ++shared;
    }
    out.push_back(static_cast<char>(flags | shared));
    if (flags & kFlagLength) appendLe16(out, static_cast<std::uint32_t>(e.bytes.size()));
    if (flags & kFlagKeyLength) appendLe16(out, static_cast<std::uint32_t>(e.keyLength));
    out.append(e.bytes.substr(shared));
    prev = e.bytes;
    prevKey = e.keyLength;
    first = false;
  }
}

std::size_t decodedBound(std::string_view body, std::size_t count) {
  static_assert(kMaxPrefix == kPrefixMask, "a prefix count can name at most the cap");
  return body.size() + count * kMaxPrefix;
}

bool decodeEntries(std::string_view body, std::size_t count, char* bytes,
                   std::vector<DecodedEntry>& out) {
  out.clear();
  out.reserve(count);
  std::size_t made = 0;
  std::size_t pos = 0;
  std::size_t length = 0;
  std::size_t keyLength = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (pos >= body.size()) return false;
    const auto flags = static_cast<std::uint8_t>(body[pos++]);
    const std::size_t shared = flags & kPrefixMask;
    if (i == 0 && ((flags & (kFlagLength | kFlagKeyLength)) != (kFlagLength | kFlagKeyLength) ||
                   shared != 0))
      return false;
    if (flags & kFlagLength) {
      if (body.size() - pos < 2) return false;
      length = getLe16(bytesOf(body) + pos);
      pos += 2;
    }
    if (flags & kFlagKeyLength) {
      if (body.size() - pos < 2) return false;
      keyLength = getLe16(bytesOf(body) + pos);
      pos += 2;
    }
    if (keyLength > length || shared > length) return false;
    if (i > 0 && shared > out.back().length) return false;
    const std::size_t rest = length - shared;
    if (body.size() - pos < rest) return false;
    if (shared) copyBytes(bytes + made, bytes + out.back().offset, shared);
    copyBytes(bytes + made + shared, body.data() + pos, rest);
    pos += rest;
    out.push_back({static_cast<std::uint32_t>(made), static_cast<std::uint32_t>(length),
                   static_cast<std::uint32_t>(keyLength), static_cast<std::uint32_t>(shared)});
    made += length;
  }
  return pos == body.size();
}

}  // namespace linkar::keyed
