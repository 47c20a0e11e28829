#include "DialogUnits.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orvane {
namespace {

const QString kLatinLetters =
    QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
constexpr double kPlatformFontAverageLetter = 6.0;

// a * b / c rounded half away from zero, without overflow for any int inputs.
int mulDiv(int a, int b, int c) {
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogUnits::DialogUnits(int baseWidth, int baseHeight)
    : baseWidth_(std::max(1, baseWidth)), baseHeight_(std::max(1, baseHeight)) {}

DialogUnits DialogUnits::forFont(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(kLatinLetters);
  return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

int DialogUnits::letterScaledPixels(int pixels, const QFont& font) {
  const double averageLetter = QFontMetricsF(font).horizontalAdvance(kLatinLetters) /
                               static_cast<double>(kLatinLetters.size());
  return static_cast<int>(std::ceil(pixels * averageLetter / kPlatformFontAverageLetter));
}

int DialogUnits::toPixelsX(int units) const {
  return mulDiv(units, baseWidth_, 4);
}
int DialogUnits::toPixelsY(int units) const {
  return mulDiv(units, baseHeight_, 8);
}

QRect DialogUnits::toPixels(const DialogRect& rect) const {
  return {toPixelsX(rect.x), toPixelsY(rect.y), toPixelsX(rect.width), toPixelsY(rect.height)};
}

}  // namespace orvane
