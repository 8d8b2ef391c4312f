// The page-file recorder and reader.
#include "ui/page_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/paths.h"

namespace linkar::ui::page_file {

namespace {

void put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void put32(std::string& out, uint32_t v) {
  put16(out, static_cast<uint16_t>(v & 0xFFFF));
  put16(out, static_cast<uint16_t>(v >> 16));
}

uint16_t get16(std::string_view in, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(in[at]) | static_cast<uint8_t>(in[at + 1]) << 8);
}

uint32_t get32(std::string_view in, size_t at) {
  return get16(in, at) | static_cast<uint32_t>(get16(in, at + 2)) << 16;
}

uint16_t u16(int v) { return static_cast<uint16_t>(static_cast<int16_t>(v)); }

// Clamps a coordinate into the 16-bit range of the records.
int16_t clamp16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

}  // namespace

uint16_t placeableChecksum(std::span<const uint8_t, kPlaceableHeaderSize> header) {
  uint16_t sum = 0;
  for (size_t i = 0; i < kPlaceableChecksumWords; ++i)
    sum ^= static_cast<uint16_t>(header[2 * i] | header[2 * i + 1] << 8);
  return sum;
}

// ---- PageRecorder ----

PageRecorder::PageRecorder(const PlaceableHeader& header) : m_header(header) {}

void PageRecorder::record(uint16_t function, std::span<const uint16_t> params, std::string_view bytes) {
  size_t paddedBytes = bytes.size() + (bytes.size() & 1);
  uint32_t words = static_cast<uint32_t>((kRecordHeaderSize + 2 * params.size() + paddedBytes) / 2);
  put32(m_body, words);
  put16(m_body, function);
  for (uint16_t p : params) put16(m_body, p);
  m_body.append(bytes);
  if (bytes.size() & 1) m_body.push_back('\0');
  m_maxRecordWords = std::max(m_maxRecordWords, words);
  ++m_records;
}

void PageRecorder::setMapModeText() {
  uint16_t p[] = {kMapModeText};
  record(kRecordSetMapMode, p);
}

void PageRecorder::setWindowOrg(int x, int y) {
  uint16_t p[] = {u16(clamp16(y)), u16(clamp16(x))};
  record(kRecordSetWindowOrg, p);
}

void PageRecorder::setWindowExt(int width, int height) {
  uint16_t p[] = {u16(clamp16(height)), u16(clamp16(width))};
  record(kRecordSetWindowExt, p);
}

void PageRecorder::setBkTransparent() {
  uint16_t p[] = {kBkModeTransparent};
  record(kRecordSetBkMode, p);
}

void PageRecorder::setTextAlign(uint16_t align) {
  uint16_t p[] = {align};
  record(kRecordSetTextAlign, p);
}

void PageRecorder::setTextColor(uint32_t color) {
  uint16_t p[] = {static_cast<uint16_t>(color & 0xFFFF), static_cast<uint16_t>(color >> 16)};
  record(kRecordSetTextColor, p);
}

int PageRecorder::takeSlot() {
  auto free = std::find(m_slots.begin(), m_slots.end(), false);
  if (free != m_slots.end()) {
    *free = true;
    return static_cast<int>(free - m_slots.begin());
  }
  m_slots.push_back(true);
  return static_cast<int>(m_slots.size()) - 1;
}

int PageRecorder::createFont(const FontSpec& font) {
  uint16_t p[] = {u16(-font.height), 0, 0, 0, u16(font.weight)};
  std::string bytes;
  bytes.push_back(font.italic ? 1 : 0);
  bytes.push_back(font.underline ? 1 : 0);
  bytes.push_back(0);                                   // strike-out
  bytes.push_back(static_cast<char>(kCharsetAnsi));
  bytes.append(4, '\0');                                // precisions, quality, pitch and family
  std::string face = font.face.substr(0, kFontFaceSize - 1);
  face.resize(kFontFaceSize, '\0');
  bytes += face;
  record(kRecordCreateFont, p, bytes);
  return takeSlot();
}

int PageRecorder::createPen(uint16_t style, int width, uint32_t color) {
  uint16_t p[] = {style, u16(width), 0, static_cast<uint16_t>(color & 0xFFFF), static_cast<uint16_t>(color >> 16)};
  record(kRecordCreatePen, p);
  return takeSlot();
}

int PageRecorder::createBrush(uint16_t style, uint32_t color) {
  uint16_t p[] = {style, static_cast<uint16_t>(color & 0xFFFF), static_cast<uint16_t>(color >> 16), 0};
  record(kRecordCreateBrush, p);
  return takeSlot();
}

void PageRecorder::selectObject(int slot) {
  uint16_t p[] = {u16(slot)};
  record(kRecordSelectObject, p);
}

void PageRecorder::deleteObject(int slot) {
  uint16_t p[] = {u16(slot)};
  record(kRecordDeleteObject, p);
  if (slot >= 0 && static_cast<size_t>(slot) < m_slots.size()) m_slots[static_cast<size_t>(slot)] = false;
}

void PageRecorder::textOut(int x, int y, std::string_view text) {
  // Length, the bytes padded to a word, then y and x.
  std::string body;
  put16(body, u16(static_cast<int>(text.size())));
  body.append(text);
  if (text.size() & 1) body.push_back('\0');
  put16(body, u16(clamp16(y)));
  put16(body, u16(clamp16(x)));
  record(kRecordTextOut, {}, body);
}

void PageRecorder::moveTo(int x, int y) {
  uint16_t p[] = {u16(clamp16(y)), u16(clamp16(x))};
  record(kRecordMoveTo, p);
}

void PageRecorder::lineTo(int x, int y) {
  uint16_t p[] = {u16(clamp16(y)), u16(clamp16(x))};
  record(kRecordLineTo, p);
}

void PageRecorder::rectangle(int left, int top, int right, int bottom) {
  uint16_t p[] = {u16(clamp16(bottom)), u16(clamp16(right)), u16(clamp16(top)), u16(clamp16(left))};
  record(kRecordRectangle, p);
}

void PageRecorder::saveDc() { record(kRecordSaveDc, {}); }

void PageRecorder::intersectClipRect(int left, int top, int right, int bottom) {
  uint16_t p[] = {u16(clamp16(bottom)), u16(clamp16(right)), u16(clamp16(top)), u16(clamp16(left))};
  record(kRecordIntersectClipRect, p);
}

void PageRecorder::restoreDc() {
  uint16_t p[] = {u16(kRestoreLastSaved)};
  record(kRecordRestoreDc, p);
}

void PageRecorder::comment(uint16_t subtype, std::span<const int16_t> values, std::string_view text) {
  std::string data;
  put16(data, kCommentTag);
  put16(data, subtype);
  for (int16_t v : values) put16(data, u16(v));
  data.append(text);
  std::string body;
  put16(body, kEscapeComment);
  put16(body, u16(static_cast<int>(data.size())));
  body += data;
  record(kRecordEscape, {}, body);
}

void PageRecorder::bandOrigin(int x, int y) {
  int16_t v[] = {clamp16(x), clamp16(y)};
  comment(kCommentBandOrigin, v);
}

void PageRecorder::bandDown(int dy) {
  int16_t v[] = {clamp16(dy)};
  comment(kCommentBandDown, v);
}

void PageRecorder::picture(int x, int y, int width, int height, std::string_view fileName) {
  int16_t v[] = {clamp16(x), clamp16(y), clamp16(width), clamp16(height)};
  comment(kCommentPicture, v, fileName);
}

std::string PageRecorder::finish() const {
  std::string out;
  out.reserve(kPlaceableHeaderSize + 2 * kMetafileHeaderWords + m_body.size() + 2 * kEofRecordWords);
  put32(out, kPlaceableKey);
  put16(out, 0);  // metafile handle
  put16(out, u16(m_header.left));
  put16(out, u16(m_header.top));
  put16(out, u16(m_header.right));
  put16(out, u16(m_header.bottom));
  put16(out, m_header.unitsPerInch);
  put32(out, 0);  // reserved
  put16(out, 0);  // checksum, set below
  uint16_t sum = placeableChecksum(std::span<const uint8_t, kPlaceableHeaderSize>(
      reinterpret_cast<const uint8_t*>(out.data()), kPlaceableHeaderSize));
  out[kPlaceableChecksumOffset] = static_cast<char>(sum & 0xFF);
  out[kPlaceableChecksumOffset + 1] = static_cast<char>(sum >> 8);

  uint32_t totalWords = static_cast<uint32_t>(kMetafileHeaderWords + m_body.size() / 2 + kEofRecordWords);
  put16(out, kMetafileTypeMemory);
  put16(out, kMetafileHeaderWords);
  put16(out, kMetafileVersion);
  put32(out, totalWords);
  put16(out, static_cast<uint16_t>(m_slots.size()));
  put32(out, m_maxRecordWords);
  put16(out, 0);  // members, unused
  out += m_body;
  put32(out, kEofRecordWords);
  put16(out, kRecordEof);
  return out;
}

// ---- reading ----

int16_t Record::word(size_t index) const {
  if (2 * index + 1 >= params.size()) return 0;
  return static_cast<int16_t>(get16(params, 2 * index));
}

namespace {

std::optional<PageFile> fail(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return std::nullopt;
}

}  // namespace

std::optional<PageFile> parsePageFile(std::string_view bytes, std::string* error) {
  const size_t metaStart = kPlaceableHeaderSize;
  const size_t metaHeaderBytes = 2 * kMetafileHeaderWords;
  if (bytes.size() < metaStart + metaHeaderBytes) return fail(error, "shorter than its headers");
  if (get32(bytes, 0) != kPlaceableKey) return fail(error, "not a page file (key)");
  std::span<const uint8_t, kPlaceableHeaderSize> head(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                     kPlaceableHeaderSize);
  if (placeableChecksum(head) != get16(bytes, kPlaceableChecksumOffset))
    return fail(error, "placeable header checksum does not match");
  PageFile page;
  page.header.left = static_cast<int16_t>(get16(bytes, kPlaceableLeftOffset));
  page.header.top = static_cast<int16_t>(get16(bytes, kPlaceableTopOffset));
  page.header.right = static_cast<int16_t>(get16(bytes, kPlaceableRightOffset));
  page.header.bottom = static_cast<int16_t>(get16(bytes, kPlaceableBottomOffset));
  page.header.unitsPerInch = get16(bytes, kPlaceableUnitsOffset);
  if (page.header.unitsPerInch == 0) return fail(error, "no units per inch");

  uint16_t type = get16(bytes, metaStart + kMetaTypeOffset);
  uint16_t headerWords = get16(bytes, metaStart + kMetaHeaderWordsOffset);
  if ((type != kMetafileTypeMemory && type != kMetafileTypeDisk) || headerWords != kMetafileHeaderWords)
    return fail(error, "bad metafile header record");
  uint32_t totalWords = get32(bytes, metaStart + kMetaSizeOffset);
  page.objects = get16(bytes, metaStart + kMetaObjectsOffset);
  page.maxRecordWords = get32(bytes, metaStart + kMetaMaxRecordOffset);
  if (static_cast<uint64_t>(totalWords) * 2 != bytes.size() - metaStart)
    return fail(error, "metafile size does not match the file");

  size_t at = metaStart + metaHeaderBytes;
  while (true) {
    if (bytes.size() - at < kRecordHeaderSize) return fail(error, "no end record");
    uint32_t words = get32(bytes, at);
    uint16_t function = get16(bytes, at + kRecordFunctionOffset);
    if (words < kEofRecordWords || static_cast<uint64_t>(words) * 2 > bytes.size() - at)
      return fail(error, "record at " + std::to_string(at) + " has a bad size");
    if (words > page.maxRecordWords)
      return fail(error, "record at " + std::to_string(at) + " is larger than the largest declared");
    if (function == kRecordEof) {
      if (at + 2 * words != bytes.size()) return fail(error, "bytes after the end record");
      break;
    }
    Record r;
    r.function = function;
    r.offset = at;
    r.params.assign(bytes.substr(at + kRecordHeaderSize, 2 * words - kRecordHeaderSize));
    page.records.push_back(std::move(r));
    at += 2 * words;
  }
  return page;
}

std::optional<PageFile> readPageFile(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(error, "cannot open " + path);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parsePageFile(bytes, error);
}

std::string writeTemporaryPageFile(std::string_view bytes, std::string* error) {
  std::string path;
  if (int rc = platform::makeTemporaryFile(&path); rc != 0) {
    if (error) *error = "cannot create a temporary file (error " + std::to_string(rc) + ")";
    return {};
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) {
    std::remove(path.c_str());
    if (error) *error = "cannot write " + path;
    return {};
  }
  return path;
}

}  // namespace linkar::ui::page_file
