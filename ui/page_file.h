// Page files: one recorded report page in the placeable metafile layout. A
// 22-byte placeable header (key, bounding box, units per inch, checksum) is
// followed by standard 16-bit metafile records: the metafile header record,
// the drawing records and the end record, all little-endian. The report
// engine records pages with PageRecorder; the preview and the printer read
// them back with readPageFile and replay the records.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::ui::page_file {

// ---- placeable header ----
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeaderSize = 22;
constexpr size_t kPlaceableHandleOffset = 4;     // 16 bits, 0
constexpr size_t kPlaceableLeftOffset = 6;       // bounding box, 16 bits each
constexpr size_t kPlaceableTopOffset = 8;
constexpr size_t kPlaceableRightOffset = 10;
constexpr size_t kPlaceableBottomOffset = 12;
constexpr size_t kPlaceableUnitsOffset = 14;     // units per inch
constexpr size_t kPlaceableReservedOffset = 16;  // 32 bits, 0
constexpr size_t kPlaceableChecksumWords = 10;   // 16-bit words the checksum covers
constexpr size_t kPlaceableChecksumOffset = 20;

// ---- metafile header record ----
constexpr uint16_t kMetafileTypeMemory = 1;
constexpr uint16_t kMetafileTypeDisk = 2;
constexpr uint16_t kMetafileHeaderWords = 9;     // 18 bytes
constexpr uint16_t kMetafileVersion = 0x0300;
// Offsets inside the metafile header record.
constexpr size_t kMetaTypeOffset = 0;
constexpr size_t kMetaHeaderWordsOffset = 2;
constexpr size_t kMetaVersionOffset = 4;
constexpr size_t kMetaSizeOffset = 6;            // 32 bits: the metafile's size in words
constexpr size_t kMetaObjectsOffset = 10;        // the object table's size
constexpr size_t kMetaMaxRecordOffset = 12;      // 32 bits: the largest record in words
constexpr size_t kMetaMembersOffset = 16;        // unused, 0

// ---- record functions ----
constexpr uint16_t kRecordEof = 0x0000;
constexpr uint16_t kRecordSaveDc = 0x001E;
constexpr uint16_t kRecordSetBkMode = 0x0102;
constexpr uint16_t kRecordSetMapMode = 0x0103;
constexpr uint16_t kRecordSelectObject = 0x012D;
constexpr uint16_t kRecordSetTextAlign = 0x012E;
constexpr uint16_t kRecordRestoreDc = 0x0127;
constexpr uint16_t kRecordDeleteObject = 0x01F0;
constexpr uint16_t kRecordSetTextColor = 0x0209;
constexpr uint16_t kRecordSetWindowOrg = 0x020B;
constexpr uint16_t kRecordSetWindowExt = 0x020C;
constexpr uint16_t kRecordLineTo = 0x0213;
constexpr uint16_t kRecordMoveTo = 0x0214;
constexpr uint16_t kRecordCreatePen = 0x02FA;
constexpr uint16_t kRecordCreateFont = 0x02FB;
constexpr uint16_t kRecordCreateBrush = 0x02FC;
constexpr uint16_t kRecordIntersectClipRect = 0x0416;
constexpr uint16_t kRecordRectangle = 0x041B;
constexpr uint16_t kRecordTextOut = 0x0521;
constexpr uint16_t kRecordEscape = 0x0626;

// A record is its size in 16-bit words (4 bytes), its function (2 bytes)
// and its parameters.
constexpr size_t kRecordHeaderSize = 6;
constexpr size_t kRecordFunctionOffset = 4;
constexpr uint32_t kEofRecordWords = 3;

// ---- parameters ----
constexpr uint16_t kBkModeTransparent = 1;
constexpr uint16_t kMapModeText = 1;             // one logical unit is one device pixel
constexpr uint16_t kTextAlignTopLeft = 0;        // the text's cell starts at the point
constexpr uint16_t kTextAlignBaseline = 24;      // the point is on the baseline
constexpr uint16_t kPenSolid = 0;
constexpr uint16_t kPenNull = 5;
constexpr uint16_t kBrushSolid = 0;
constexpr uint16_t kBrushNull = 1;               // hollow: rectangles are outlines
constexpr int16_t kRestoreLastSaved = -1;        // restore-state parameter: the latest saved state
// The font record: five 16-bit values (height, width, escapement,
// orientation, weight), eight bytes (italic, underline, strike-out,
// character set, precisions, quality, pitch and family), the face name.
constexpr size_t kFontWeightWord = 4;
constexpr size_t kFontItalicOffset = 10;
constexpr size_t kFontUnderlineOffset = 11;
constexpr size_t kFontFaceOffset = 18;
constexpr size_t kFontFaceSize = 32;             // the face name field, NUL-padded
constexpr size_t kFontRecordParams = kFontFaceOffset + kFontFaceSize;
constexpr uint16_t kFontWeightNormal = 400;
constexpr uint16_t kFontWeightBold = 700;
constexpr uint8_t kCharsetAnsi = 0;

// ---- the engine's comment records (an escape of function "comment") ----
constexpr uint16_t kEscapeComment = 15;
constexpr size_t kEscapeHeaderBytes = 4;         // escape function, byte count
constexpr size_t kCommentHeaderBytes = 4;        // tag, subtype
constexpr size_t kPictureValueBytes = 8;         // x, y, width, height before the name
constexpr uint16_t kCommentTag = 0x0527;
constexpr uint16_t kCommentPicture = 1;          // x, y, width, height, then the picture's file name
constexpr uint16_t kCommentBandOrigin = 2;       // x, y
constexpr uint16_t kCommentBandDown = 4;         // dy

// The placeable header's own fields.
struct PlaceableHeader {
  int16_t left = 0, top = 0, right = 0, bottom = 0;
  uint16_t unitsPerInch = 0;
};

// A colour as 0x00BBGGRR.
constexpr uint32_t kBlack = 0;

struct FontSpec {
  int height = 0;               // character height in logical units (drawn as a negative height)
  int weight = kFontWeightNormal;
  bool italic = false;
  bool underline = false;
  std::string face;             // at most 31 bytes are kept
};

// Records one page. Objects (fonts, pens, brushes) take the lowest free
// slot of the object table, as a player assigns them.
class PageRecorder {
 public:
  PageRecorder(const PlaceableHeader& header);

  void setMapModeText();
  void setWindowOrg(int x, int y);
  void setWindowExt(int width, int height);
  void setBkTransparent();
  void setTextAlign(uint16_t align);
  void setTextColor(uint32_t color);
  // Return the object's slot.
  int createFont(const FontSpec& font);
  int createPen(uint16_t style, int width, uint32_t color);
  int createBrush(uint16_t style, uint32_t color);
  void selectObject(int slot);
  void deleteObject(int slot);
  // Text in the font's character set (bytes as stored).
  void textOut(int x, int y, std::string_view text);
  void moveTo(int x, int y);
  void lineTo(int x, int y);
  void rectangle(int left, int top, int right, int bottom);
  // Drawing until restoreDc() shows only inside the rectangle.
  void saveDc();
  void intersectClipRect(int left, int top, int right, int bottom);
  void restoreDc();   // back to the state of the last saveDc()
  void comment(uint16_t subtype, std::span<const int16_t> values, std::string_view text = {});
  void bandOrigin(int x, int y);
  void bandDown(int dy);
  void picture(int x, int y, int width, int height, std::string_view fileName);

  // The whole page file: placeable header, metafile header record, the
  // records and the end record.
  std::string finish() const;
  size_t recordCount() const { return m_records; }

 private:
  void record(uint16_t function, std::span<const uint16_t> params, std::string_view bytes = {});
  int takeSlot();

  PlaceableHeader m_header;
  std::string m_body;             // records after the metafile header
  size_t m_records = 0;
  uint32_t m_maxRecordWords = kEofRecordWords;
  std::vector<bool> m_slots;      // the object table: in use
};

// The placeable header's checksum of its first ten words.
uint16_t placeableChecksum(std::span<const uint8_t, kPlaceableHeaderSize> header);

// ---- reading ----

struct Record {
  uint16_t function = 0;
  std::string params;             // the parameter bytes
  size_t offset = 0;              // of the record in the file

  size_t words() const { return params.size() / 2; }
  // The index-th 16-bit parameter (0 past the end).
  int16_t word(size_t index) const;
};

struct PageFile {
  PlaceableHeader header;
  uint16_t objects = 0;           // the object table's size, from the metafile header
  uint32_t maxRecordWords = 0;
  std::vector<Record> records;    // every record after the metafile header, end record excluded
};

// Parses a page file's bytes: the key, the checksum, the metafile header
// and every record's size are checked. On failure nullopt and a reason.
std::optional<PageFile> parsePageFile(std::string_view bytes, std::string* error);
std::optional<PageFile> readPageFile(const std::string& path, std::string* error);

// Writes `bytes` to a new temporary page file (VELnnnn.TMP, mode 0600) and
// returns its name; empty and a reason on failure.
std::string writeTemporaryPageFile(std::string_view bytes, std::string* error);

}  // namespace linkar::ui::page_file
