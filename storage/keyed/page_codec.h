// Page body codec: the run-length compression of page bodies and the entry
// encoding with shared prefixes. Pure byte transformations, no file access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::keyed {

// Compresses a page body. Returns false (and leaves `out` empty) when the body
// holds no run of four equal bytes, in which case it is stored plain.
bool compressBody(std::string_view body, std::string& out);

// Expands a compressed body into exactly `length` bytes. Returns false when the
// stream is malformed or does not produce exactly `length` bytes.
bool decompressBody(std::string_view stream, std::size_t length, std::string& out);

// One entry as the body codec sees it: its bytes and how many of them are key.
struct EntryBytes {
  std::string_view bytes;
  std::size_t keyLength = 0;
};

// Appends the encoding of `entries` (already in key order) to `out`.
void encodeEntries(const std::vector<EntryBytes>& entries, std::string& out);

// A decoded entry: where its full bytes (prefix restored) lie in the buffer
// the decoder fills, and how many of them are key.
struct DecodedEntry {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
  std::uint32_t keyLength = 0;
  std::uint32_t shared = 0;  // leading bytes taken from the entry before
};

// The most bytes `count` entries decoded from `body` can take: each entry
// repeats at most kMaxPrefix bytes of the one before.
std::size_t decodedBound(std::string_view body, std::size_t count);

// Decodes `count` entries from `body`, which must be consumed exactly, into
// `bytes` (at least decodedBound() long), laid end to end. Returns false on
// any inconsistency.
bool decodeEntries(std::string_view body, std::size_t count, char* bytes,
                   std::vector<DecodedEntry>& out);

// Varint helpers (low 7 bits first), exposed for the checker and tests.
void appendVarint(std::string& out, std::size_t value);

}  // namespace linkar::keyed
