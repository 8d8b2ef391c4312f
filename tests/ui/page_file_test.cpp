// Page files: what the recorder writes is read back record for record, and
// a damaged file is refused with a reason instead of being trusted.
#include <gtest/gtest.h>

#include <string>

#include "ui/page_file.h"

namespace linkar::ui::page_file {
namespace {

std::string samplePage(PageRecorder* out = nullptr) {
  PlaceableHeader h;
  h.right = 5100;
  h.bottom = 6600;
  h.unitsPerInch = 600;
  PageRecorder r(h);
  r.setWindowOrg(-150, -75);
  r.setWindowExt(5100, 3300);
  FontSpec f;
  f.face = "A face name longer than the thirty-one bytes a font keeps";
  f.height = 42;
  int font = r.createFont(f);
  int pen = r.createPen(kPenSolid, 3, kBlack);
  r.deleteObject(font);
  int again = r.createFont(f);       // takes the freed slot
  EXPECT_EQ(font, 0);
  EXPECT_EQ(pen, 1);
  EXPECT_EQ(again, 0);
  r.selectObject(again);
  r.textOut(10, 20, "odd");          // padded to a whole word
  r.textOut(-5, 30000, "even");
  r.bandOrigin(100, 200);
  r.bandDown(-7);
  r.picture(1, 2, 3, 4, "logo.png");
  r.saveDc();
  r.intersectClipRect(1, 2, 3, 4);
  r.rectangle(5, 6, 7, 8);
  r.restoreDc();
  if (out) *out = r;
  return r.finish();
}

TEST(PageFile, RecordsReadBackAsWritten) {
  PageRecorder recorder({});
  std::string bytes = samplePage(&recorder);
  std::string error;
  auto page = parsePageFile(bytes, &error);
  ASSERT_TRUE(page) << error;
  EXPECT_EQ(page->header.right, 5100);
  EXPECT_EQ(page->header.bottom, 6600);
  EXPECT_EQ(page->header.unitsPerInch, 600);
  EXPECT_EQ(page->objects, 2);
  ASSERT_EQ(page->records.size(), recorder.recordCount());

  const Record& org = page->records[0];
  EXPECT_EQ(org.function, kRecordSetWindowOrg);
  EXPECT_EQ(org.word(0), -75);   // y first
  EXPECT_EQ(org.word(1), -150);

  const Record& font = page->records[2];
  ASSERT_EQ(font.function, kRecordCreateFont);
  ASSERT_EQ(font.params.size(), kFontRecordParams);
  EXPECT_EQ(font.word(0), -42);  // a character height
  std::string face = font.params.substr(18);
  EXPECT_EQ(face.size(), kFontFaceSize);
  EXPECT_EQ(face.back(), '\0');
  EXPECT_EQ(face.substr(0, 6), "A face");

  const Record& odd = page->records[7];
  ASSERT_EQ(odd.function, kRecordTextOut);
  EXPECT_EQ(odd.word(0), 3);
  EXPECT_EQ(odd.params.substr(2, 3), "odd");
  EXPECT_EQ(odd.word(3), 20);    // y, then x, after the padded text
  EXPECT_EQ(odd.word(4), 10);
  const Record& even = page->records[8];
  EXPECT_EQ(even.word(3), 30000);
  EXPECT_EQ(even.word(4), -5);

  // The engine's comments: escape "comment", tag, subtype, values.
  const Record& origin = page->records[9];
  ASSERT_EQ(origin.function, kRecordEscape);
  EXPECT_EQ(origin.word(0), kEscapeComment);
  EXPECT_EQ(origin.word(1), 8);
  EXPECT_EQ(static_cast<uint16_t>(origin.word(2)), kCommentTag);
  EXPECT_EQ(origin.word(3), kCommentBandOrigin);
  EXPECT_EQ(origin.word(4), 100);
  EXPECT_EQ(origin.word(5), 200);
  EXPECT_EQ(page->records[10].word(3), kCommentBandDown);
  EXPECT_EQ(page->records[10].word(4), -7);
  const Record& picture = page->records[11];
  EXPECT_EQ(picture.word(3), kCommentPicture);
  EXPECT_EQ(picture.params.substr(4 + 12, 8), "logo.png");
  EXPECT_EQ(page->records.back().function, kRecordRestoreDc);
}

TEST(PageFile, DamagedFilesAreRefused) {
  const std::string good = samplePage();
  std::string error;
  ASSERT_TRUE(parsePageFile(good, &error)) << error;

  auto refused = [&](std::string bytes, const char* what) {
    error.clear();
    EXPECT_FALSE(parsePageFile(bytes, &error)) << what;
    EXPECT_FALSE(error.empty()) << what;
  };
  // Every single-byte change in the placeable header breaks its checksum or key.
  for (size_t i = 0; i < kPlaceableHeaderSize; ++i) {
    std::string bad = good;
    bad[i] = static_cast<char>(bad[i] ^ 0x40);
    refused(bad, ("header byte " + std::to_string(i)).c_str());
  }
  // Cut short at every record boundary and inside records.
  for (size_t cut = kPlaceableHeaderSize; cut < good.size(); cut += 7) refused(good.substr(0, cut), "truncated");
  // A record claiming zero words, or more than the file holds.
  std::string zero = good;
  size_t first = kPlaceableHeaderSize + 2 * kMetafileHeaderWords;
  zero[first] = zero[first + 1] = zero[first + 2] = zero[first + 3] = 0;
  refused(zero, "zero-size record");
  std::string huge = good;
  huge[first + 2] = 0x10;
  refused(huge, "oversized record");
  // Bytes after the end record.
  refused(good + std::string(6, '\0'), "trailing bytes");
}

}  // namespace
}  // namespace linkar::ui::page_file
