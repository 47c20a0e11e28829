#pragma once

#include <QFont>
#include <QRect>

#include "DialogTemplate.h"

namespace orvane {

// Converts dialog units into pixels from the dialog font's base units: a horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth of its height. Any
// font then keeps the dialog's proportions.
class DialogUnits {
 public:
  DialogUnits(int baseWidth, int baseHeight);
  // Base units measured the platform's way: the average width of the 52 Latin letters,
  // rounded, and the font's height.
  static DialogUnits forFont(const QFont& font);
  // Widths that dialog code gives in pixels (a list column's) were chosen for the platform's
  // 8-point dialog font, whose average letter is 6 pixels wide. This gives the width that holds
  // as many average letters of `font`, so a column meant for 64 characters still shows them.
  static int letterScaledPixels(int pixels, const QFont& font);

  int baseWidth() const { return baseWidth_; }
  int baseHeight() const { return baseHeight_; }
  int toPixelsX(int units) const;
  int toPixelsY(int units) const;
  QRect toPixels(const DialogRect& rect) const;

 private:
  int baseWidth_;
  int baseHeight_;
};

}  // namespace orvane
