// Byte texts to display strings and back.

#include "ui/qt/display_text.h"

#include <QStringDecoder>

namespace linkar::ui::qt {
namespace {

// Windows-1252 for 0x80-0x9F; the other bytes above 0x7F are Latin-1.
// Unassigned positions show as the replacement character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};
constexpr unsigned char kCp1252First = 0x80;
constexpr unsigned char kCp1252Last = 0x9F;

QString fromCp1252(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    if (b >= kCp1252First && b <= kCp1252Last) out.append(QChar(kCp1252High[b - kCp1252First]));
    else out.append(QChar(static_cast<char16_t>(b)));
  }
  return out;
}

}  // namespace

QString toDisplay(std::string_view bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!decoder.hasError()) return text;
  return fromCp1252(bytes);
}

std::string fromDisplay(const QString& text) { return text.toStdString(); }

}  // namespace linkar::ui::qt
