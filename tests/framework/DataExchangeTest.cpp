#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

#include "CComboBox.h"
#include "FrameworkTestSupport.h"
#include "Notification.h"

namespace orvane::test {
namespace {

class DataExchangeTest : public DialogFixture {
 protected:
  DataExchangeTest() : DialogFixture(600) {}
  std::string line;
  std::uint32_t day = 1;
};

TEST_F(DataExchangeTest, CheckBoxesKeepTheirThreeStatesAndRepairAnythingElse) {
  std::int32_t flag = 3;
  dialog.exchange = [&](DataExchange& dx) { dx.check(kFlag, flag); };
  whileOpen([&] {
    EXPECT_EQ(qobject_cast<QCheckBox*>(dialog.controlWidget(kFlag))->checkState(), Qt::Unchecked);
    EXPECT_EQ(flag, 0);
    flag = 2;
    dialog.updateData(false);
    flag = 0;
    EXPECT_TRUE(dialog.updateData(true));
    EXPECT_EQ(flag, 2);
  });
}

TEST_F(DataExchangeTest, AStringOverItsLengthFailsAtItsEditAndStopsTheTransfer) {
  dialog.exchange = [&](DataExchange& dx) {
    dx.text(kText1, line);
    dx.maxChars(line, 64);
    dx.number(kDay, day);
  };
  whileOpen([&] {
    edit(kText1)->setSystemText(QString(65, 'x'));
    edit(kDay)->setSystemText("7");
    edit(kText2)->setFocus();
    EXPECT_FALSE(dialog.updateData(true));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Please enter no more than 64 characters.");
    EXPECT_EQ(boxes.shown[0].style, message::kIconExclamation);
    EXPECT_EQ(line, std::string(65, 'x'));
    EXPECT_EQ(focus(), edit(kText1));
    EXPECT_EQ(edit(kText1)->selectedText().size(), 65);
    EXPECT_EQ(day, 1u) << "a step after the failing one ran";
  });
}

TEST_F(DataExchangeTest, NumbersAreReadAsUnsignedAndCheckedAgainstTheirRange) {
  std::int32_t countdown = -1;
  dialog.exchange = [&](DataExchange& dx) {
    dx.number(kText2, countdown);
    dx.number(kDay, day);
    dx.range(day, 1, 32767);
  };
  whileOpen([&] {
    EXPECT_EQ(edit(kText2)->text(), "4294967295") << "a signed field shows its bit pattern";
    edit(kDay)->setSystemText("12a");
    EXPECT_FALSE(dialog.updateData(true));
    EXPECT_EQ(day, 1u) << "a field that held no number keeps its value";
    edit(kDay)->setSystemText("4294967296");
    EXPECT_FALSE(dialog.updateData(true));
    EXPECT_EQ(day, 4294967295u) << "the rejected value is already in the field";
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "Please enter a positive integer.");
    EXPECT_EQ(boxes.shown[1].text, "Please enter an integer between 1 and 32767.");
  });
}

TEST_F(DataExchangeTest, WritesTouchOnlyChangedTextAndLimitWhatTheOperatorTypes) {
  dialog.exchange = [&](DataExchange& dx) {
    dx.text(kText1, line);
    dx.maxChars(line, 64);
  };
  whileOpen([&] {
    QSignalSpy writes(edit(kText1), &QLineEdit::textChanged);
    dialog.updateData(false);
    EXPECT_EQ(writes.count(), 0);
    edit(kText1)->setFocus();
    QSignalSpy changes(edit(kText1), &EditControl::changed);
    QTest::keyClicks(edit(kText1), QString(65, 'y'));
    EXPECT_EQ(edit(kText1)->text().size(), 64);
    EXPECT_EQ(changes.count(), 64) << "a refused key is no change";
    line = std::string(70, 'z');  // the program may write more than the operator may type
    dialog.updateData(false);
    QTest::keyClick(edit(kText1), Qt::Key_Backspace);
    EXPECT_EQ(edit(kText1)->text().size(), 69);
  });
}

TEST_F(DataExchangeTest, NotificationsRaisedDuringATransferAreDroppedNotDelayed) {
  int changes = 0;
  int focusLosses = 0;
  dialog.onCommand(kText1, notify::kEditChanged, [&] { ++changes; });
  dialog.onCommand(kText2, notify::kEditLostFocus, [&] { ++focusLosses; });
  dialog.exchange = [&](DataExchange& dx) {
    dx.text(kText1, line);
    dx.maxChars(line, 3);
  };
  whileOpen([&] {
    line = "written";
    dialog.updateData(false);
    edit(kText2)->setFocus();
    EXPECT_FALSE(dialog.updateData(true));  // its failure takes the focus from the second edit
    QCoreApplication::processEvents();
    EXPECT_EQ(changes + focusLosses, 0);
    QTest::keyClick(edit(kText1), Qt::Key_Backspace);
    EXPECT_EQ(changes, 1) << "the operator's own change is reported";
  });
}

TEST_F(DataExchangeTest, AMissingControlOrAnyOtherFailureEndsTheTransferWithItsMessage) {
  CComboBox combo;
  dialog.exchange = [&](DataExchange& dx) {
    dx.control(kList, combo);
    dx.text(4242, line);
  };
  EXPECT_EQ(dialog.doModal(), -1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "An unsupported operation was attempted.");
  EXPECT_FALSE(combo.isAttached()) << "the wrapper outlived its control";

  dialog.exchange = [](DataExchange&) { throw std::runtime_error("a step gone wrong"); };
  EXPECT_EQ(dialog.doModal(), -1);
  EXPECT_EQ(boxes.shown.back().text, "Internal application error.");
}

}  // namespace
}  // namespace orvane::test
