// Page bodies on disk: run-length compression corner cases, prefix sharing of
// entries, page images that choose plain storage, and the page cipher.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "storage/keyed/page.h"
#include "storage/keyed/page_cipher.h"
#include "storage/keyed/page_codec.h"
#include "storage/keyed/page_image.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {

// Decodes a body into whole entries: (bytes, key length) pairs.
bool decodeAll(const std::string& body, std::size_t count,
               std::vector<std::pair<std::string, std::size_t>>& out) {
  std::vector<char> bytes(decodedBound(body, count));
  std::vector<DecodedEntry> entries;
  out.clear();
  if (!decodeEntries(body, count, bytes.data(), entries)) return false;
  for (const DecodedEntry& e : entries) out.emplace_back(std::string(bytes.data() + e.offset, e.length), e.keyLength);
  return true;
}

std::string expand(const std::string& stream, std::size_t n) {
  std::string out;
  EXPECT_TRUE(decompressBody(stream, n, out));
  return out;
}

TEST(BodyCompression, BodyWithoutARunOfFourStaysPlain) {
  std::string out;
  EXPECT_FALSE(compressBody("aaabbbcccabcabc", out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(compressBody("", out));
}

TEST(BodyCompression, RunOfThreeIsLiteralAndRunOfFourIsOneLiteralAndThreeRepeats) {
  std::string out;
  ASSERT_TRUE(compressBody("xaaaay", out));
  // count 2 "xa", repeat 3, then the tail "y".
  EXPECT_EQ(out, std::string("\x02xa\x03\x01y", 6));
  EXPECT_EQ(expand(out, 6), "xaaaay");

  ASSERT_TRUE(compressBody("bbbxaaaa" "cdd", out));
  EXPECT_EQ(out, std::string("\x05" "bbbxa" "\x03" "\x03" "cdd", 11));
}

TEST(BodyCompression, TrailingRunEndsWithAZeroLiteralCount) {
  std::string out;
  const std::string body = "ab" + std::string(10, 'z');
  ASSERT_TRUE(compressBody(body, out));
  EXPECT_EQ(out, std::string("\x03" "abz" "\x09" "\x00", 6));
  EXPECT_EQ(expand(out, body.size()), body);
}

TEST(BodyCompression, LongRunsAndCountsUseVarints) {
  std::string body = std::string(300, '\0') + "tail" + std::string(20000, '\xB0');
  std::string out;
  ASSERT_TRUE(compressBody(body, out));
  EXPECT_LT(out.size(), 20u);
  EXPECT_EQ(expand(out, body.size()), body);
}

// The plain statement of the format: every maximal run of four or more equal
// bytes becomes a literal ending in its first byte plus a repeat count.
std::string referenceCompress(const std::string& body) {
  std::string out;
  std::size_t literalStart = 0;
  bool anyRun = false;
  for (std::size_t p = 0; p < body.size();) {
    std::size_t m = 1;
    while (p + m < body.size() && body[p + m] == body[p]) ++m;
    if (m >= 4) {
      appendVarint(out, p + 1 - literalStart);
      out.append(body, literalStart, p + 1 - literalStart);
      appendVarint(out, m - 1);
      literalStart = p + m;
      anyRun = true;
    }
    p += m;
  }
  if (!anyRun) return {};
  appendVarint(out, body.size() - literalStart);
  out.append(body, literalStart, std::string::npos);
  return out;
}

TEST(BodyCompression, RunsAtEveryAlignmentAndLengthCompressAsTheFormatSays) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    std::string body;
    const std::size_t length = rng() % 90;
    while (body.size() < length) {
      // Mostly distinct neighbours, with runs of 2 to 6 equal bytes.
      const char c = static_cast<char>('a' + rng() % 3);
      const std::size_t run = rng() % 4 == 0 ? 2 + rng() % 5 : 1;
      body.append(run, c);
    }
    std::string out;
    const bool packed = compressBody(body, out);
    const std::string expected = referenceCompress(body);
    ASSERT_EQ(packed, !expected.empty()) << body;
    ASSERT_EQ(out, expected) << body;
    if (packed) {
      ASSERT_EQ(expand(out, body.size()), body);
    }
  }
}

TEST(BodyCompression, MalformedStreamsAreRejected) {
  std::string out;
  // Repeat before any byte was produced.
  EXPECT_FALSE(decompressBody(std::string("\x00\x05", 2), 5, out));
  // Literal count past the stream.
  EXPECT_FALSE(decompressBody(std::string("\x09" "ab", 3), 9, out));
  // Repeat past the wanted length.
  EXPECT_FALSE(decompressBody(std::string("\x01" "a" "\x20", 3), 4, out));
  // Unterminated varint.
  EXPECT_FALSE(decompressBody(std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6), 4, out));
  // Stream ends early.
  EXPECT_FALSE(decompressBody(std::string("\x01" "a", 2), 4, out));
}

TEST(EntryEncoding, PrefixSharingIsCappedAt63AndRoundTrips) {
  const std::string a = std::string(100, 'k') + "1";
  const std::string b = std::string(100, 'k') + "2";
  std::vector<EntryBytes> entries = {{a, a.size()}, {b, b.size()}};
  std::string body;
  encodeEntries(entries, body);
  // First entry: flags, two lengths, all bytes. Second: flags with P = 63 and
  // neither length (both unchanged), then the remaining 38 bytes.
  ASSERT_EQ(body.size(), 5 + a.size() + 1 + (b.size() - 63));
  EXPECT_EQ(static_cast<std::uint8_t>(body[0]), kFlagLength | kFlagKeyLength);
  EXPECT_EQ(static_cast<std::uint8_t>(body[5 + a.size()]), 63);
  std::vector<std::pair<std::string, std::size_t>> back;
  ASSERT_TRUE(decodeAll(body, 2, back));
  EXPECT_EQ(back[0].first, a);
  EXPECT_EQ(back[1].first, b);
}

TEST(EntryEncoding, LengthsAreWrittenOnlyWhenTheyChange) {
  const std::string a = "abcdXX", b = "abceYY", c = "zz";
  std::vector<EntryBytes> entries = {{a, 4}, {b, 4}, {c, 1}};
  std::string body;
  encodeEntries(entries, body);
  std::vector<std::pair<std::string, std::size_t>> back;
  ASSERT_TRUE(decodeAll(body, 3, back));
  EXPECT_EQ(back[1].first, b);
  EXPECT_EQ(back[1].second, 4u);
  EXPECT_EQ(back[2].first, c);
  EXPECT_EQ(back[2].second, 1u);
  // Second entry: P = 3, no lengths; third: both lengths, P = 0.
  EXPECT_EQ(static_cast<std::uint8_t>(body[5 + 6]), 3);
  EXPECT_EQ(static_cast<std::uint8_t>(body[5 + 6 + 1 + 3]), kFlagLength | kFlagKeyLength);
}

TEST(EntryEncoding, InconsistentBodiesAreRejected) {
  std::vector<std::pair<std::string, std::size_t>> out;
  // The first entry must carry both lengths and no prefix.
  EXPECT_FALSE(decodeAll(std::string("\x01\x01\x00\x01\x00x", 6), 1, out));
  // Key longer than the entry.
  EXPECT_FALSE(decodeAll(std::string("\xC0\x01\x00\x02\x00x", 6), 1, out));
  // Trailing bytes after the last entry.
  EXPECT_FALSE(decodeAll(std::string("\xC0\x01\x00\x01\x00xz", 7), 1, out));
  // Prefix longer than the previous entry.
  EXPECT_FALSE(decodeAll(std::string("\xC0\x01\x00\x01\x00x\x05", 7), 2, out));
}

std::unique_ptr<Page> pageWith(const std::vector<std::string>& keys, std::uint8_t level = 0) {
  auto owned = std::make_unique<Page>(0, level, 1);
  Page& page = *owned;
  std::uint32_t bound = kNewPageBound;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    page.insert(keys[i], keys[i].size(), static_cast<std::int32_t>(i + 7));
    bound += page.entryCost(keys[i].size());
  }
  page.setSizeBound(bound);
  return owned;
}

TEST(PageImage, CompressionThatSavesNoUnitIsNotUsed) {
  // One entry whose data has a run: the compressed form is smaller in bytes
  // but still needs the same single unit, so the page is stored plain.
  Page page(0, 0, 1);
  page.insert(std::string("k").append(50, 'r'), 1, 0);
  page.setSizeBound(kNewPageBound + page.entryCost(51));
  std::string image;
  ASSERT_EQ(buildPageImage(page, image), 1);
  const auto* p = reinterpret_cast<const std::uint8_t*>(image.data());
  EXPECT_EQ(getLe16(p + kPageStored), getLe16(p + kPageLength));

  // Make it span two units plain but one compressed: now compression pays.
  Page big(0, 0, 1);
  big.insert(std::string("k").append(400, 'r'), 1, 0);
  big.setSizeBound(kNewPageBound + big.entryCost(401));
  ASSERT_EQ(buildPageImage(big, image), 1);
  p = reinterpret_cast<const std::uint8_t*>(image.data());
  EXPECT_LT(getLe16(p + kPageStored), getLe16(p + kPageLength));
  EXPECT_EQ(static_cast<std::uint8_t>(image.back()), kPagePad);
}

TEST(PageImage, BranchPagesRoundTripWithChildrenAndLevel) {
  auto owned = pageWith({"", "alpha", "beta", "gamma"}, 2);
  Page& page = *owned;
  page.setRef(5);
  std::string image;
  const int k = buildPageImage(page, image);
  finishPageImage(page, image);
  ASSERT_EQ(image.size(), static_cast<std::size_t>(k) * kUnit);
  const auto back = parsePageImage(image, 5, 2);
  EXPECT_EQ(back->level(), 2);
  ASSERT_EQ(back->count(), 4u);
  std::vector<std::int32_t> children;
  for (const PageNode* n : back->inOrder()) children.push_back(n->child);
  EXPECT_EQ(children, (std::vector<std::int32_t>{7, 8, 9, 10}));
  EXPECT_EQ(back->sizeBound(), page.sizeBound());
}

TEST(PageCipher, BlocksRoundTripAndDependOnTheOwner) {
  std::string block(128, '\0');
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7);
  const std::string original = block;
  PageCipher cipher("secret");
  cipher.encipher(reinterpret_cast<std::uint8_t*>(block.data()), block.size());
  EXPECT_NE(block, original);
  std::string other = original;
  PageCipher("Secret").encipher(reinterpret_cast<std::uint8_t*>(other.data()), other.size());
  EXPECT_NE(other, block);
  cipher.decipher(reinterpret_cast<std::uint8_t*>(block.data()), block.size());
  EXPECT_EQ(block, original);
}

TEST(PageCipher, KeyScheduleTakesTheOwnerFromItsSecondCharacter) {
  // "ab" and "ba" differ only in where the cursor starts; the schedule wraps
  // through the terminator, so the keys must differ, and one-character owners work.
  EXPECT_NE(PageCipher("ab").key(), PageCipher("ba").key());
  PageCipher single("x");
  std::string block(64, 'q');
  single.encipher(reinterpret_cast<std::uint8_t*>(block.data()), 64);
  single.decipher(reinterpret_cast<std::uint8_t*>(block.data()), 64);
  EXPECT_EQ(block, std::string(64, 'q'));
}

}  // namespace
}  // namespace linkar::keyed
