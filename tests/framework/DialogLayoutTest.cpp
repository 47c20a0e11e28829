#include "DialogUnits.h"
#include "FrameworkTestSupport.h"

namespace orvane::test {
namespace {

class DialogLayout : public DialogFixture {
 protected:
  DialogLayout() : DialogFixture(660) {}
};

TEST_F(DialogLayout, DialogUnitsFollowTheFontsBaseUnitsSoWindowsKeepTheirProportions) {
  const DialogUnits units(6, 13);  // an 8-point sans-serif at 96 dots per inch
  EXPECT_EQ(units.toPixels({0, 0, 417, 239}), QRect(0, 0, 626, 388));  // halves round up
  EXPECT_EQ(units.toPixels({40, 105, 255, 12}), QRect(60, 171, 383, 20));
  whileOpen([&] {
    const DialogUnits used = DialogUnits::forFont(dialog.window()->font());
    EXPECT_GE(used.baseWidth(), 4);
    EXPECT_EQ(dialog.window()->size(), QSize(used.toPixelsX(300), used.toPixelsY(200)));
    EXPECT_EQ(edit(kText1)->geometry(), used.toPixels({40, 5, 200, 12}));
  });
}

}  // namespace
}  // namespace orvane::test
