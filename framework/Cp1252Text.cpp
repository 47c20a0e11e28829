#include "Cp1252Text.h"

#include <QList>

#include "Cp1252.h"

namespace orvane {

QString qStringFromCp1252(std::string_view cp1252) {
  QString out;
  out.reserve(static_cast<qsizetype>(cp1252.size()));
  for (const char byte : cp1252) {
    const char32_t codePoint = codePointOfCp1252(static_cast<unsigned char>(byte));
    // Every code point of the code page lies in the basic plane.
    out.append(QChar(static_cast<char16_t>(codePoint)));
  }
  return out;
}

std::string cp1252FromQString(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const char32_t codePoint : text.toUcs4()) {
    const int byte = cp1252ByteFor(codePoint);
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

bool fitsCp1252(char32_t codePoint) {
  return cp1252ByteFor(codePoint) >= 0;
}

}  // namespace orvane
