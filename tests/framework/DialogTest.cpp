#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include "CComboBox.h"
#include "CDialog.h"
#include "CIPAddressCtrl.h"
#include "CListCtrl.h"
#include "CWinApp.h"
#include "Cp1252.h"
#include "DataExchange.h"
#include "DialogTemplateRegistry.h"
#include "DialogUnits.h"
#include "EditControl.h"
#include "IpAddressEdit.h"
#include "ListViewControl.h"
#include "MessageBoxRecorder.h"
#include "MessageBoxes.h"
#include "ModalRun.h"
#include "Notification.h"

namespace orvane::test {
namespace {

struct Station {
  std::string name = "Antena 1";
  std::uint32_t port = 6969;
  std::int32_t music = 3;  // no state a check box has
};

enum : int { kTemplate = 690, kType = 1000, kAddress, kName, kPort, kMusic };

// Built the way the console's dialogs are, with one control of each kind they exchange.
class DemoDialog : public CDialog {
 public:
  explicit DemoDialog(Station& edited) : CDialog(kTemplate), station(edited) {}
  static DialogTemplate layout() {
    using K = ControlKind;
    DialogTemplate dialog{.id = kTemplate, .caption = pt("Estação"), .width = 220, .height = 120};
    dialog.controls = {{kNoControlId, K::Label, "Nome", {5, 7, 30, 8}},
                       {kName, K::Edit, {}, {40, 5, 80, 12}},
                       {kPort, K::Edit, {}, {40, 20, 32, 12}},
                       {kMusic, K::CheckBox, "Music", {80, 21, 40, 10}},
                       {kType, K::SimpleCombo, {}, {5, 40, 100, 55}},
                       {kAddress, K::IpAddress, {}, {110, 40, 70, 12}},
                       {1, K::DefPushButton, "OK", {110, 100, 50, 14}},
                       {2, K::PushButton, "Cancel", {165, 100, 50, 14}}};
    dialog.initialStrings = {{kType, pt("Não definido")}, {kType, "Noticias"}};
    return dialog;
  }
  Station& station;
  CComboBox type;
  CIPAddressCtrl address;

 protected:
  void doDataExchange(DataExchange& dx) override {
    dx.control(kType, type);
    dx.control(kAddress, address);
    dx.text(kName, station.name);
    dx.maxChars(station.name, 64);
    dx.number(kPort, station.port);
    dx.range(station.port, 1, 32767);
    dx.check(kMusic, station.music);
  }
};

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() { DialogTemplateRegistry::add(DemoDialog::layout()); }
  ~DialogTest() override { DialogTemplateRegistry::remove(kTemplate); }
  EditControl* edit(int id) const { return qobject_cast<EditControl*>(dialog.controlWidget(id)); }
  QWidget* focus() const { return dialog.window()->focusWidget(); }
  // Runs `steps` in the open dialog, then ends it with 0.
  void whileOpen(const std::function<void()>& steps) {
    runModal(dialog, [&] {
      steps();
      dialog.endDialog(0);
    });
  }

  Station station;
  DemoDialog dialog{station};
  MessageBoxRecorder boxes;
};

// The first write sets the limit, so typing over the selected name already stops at it.
TEST_F(DialogTest, EnterSavesWhatTheOperatorTypedWithinTheLimits) {
  const int result = runModal(dialog, [&] {
    auto* music = qobject_cast<QCheckBox*>(dialog.controlWidget(kMusic));
    EXPECT_EQ(std::pair(music->isChecked(), station.music), std::pair(false, 0));
    EXPECT_EQ(std::pair(focus(), edit(kName)->selectedText()),
              std::pair(static_cast<QWidget*>(edit(kName)), QString("Antena 1")));
    QTest::keyClicks(focus(), QString(65, 'x'));
    music->click();
    QTest::keyClick(focus(), Qt::Key_Return);
  });
  EXPECT_EQ(std::tuple(result, station.name, station.music),
            std::tuple(1, std::string(64, 'x'), 1));
}

// Only the program can put a name longer than its check into the edit. The port's value would
// fail its own check, had the transfer gone on to it.
TEST_F(DialogTest, AnOverlongNameFailsAtItsEditStopsTheTransferAndRaisesNoNotifications) {
  station.name = std::string(65, 'x');
  int notifications = 0;
  dialog.onCommand(kName, notify::kEditChanged, [&] { ++notifications; });
  dialog.onCommand(kPort, notify::kEditLostFocus, [&] { ++notifications; });
  whileOpen([&] {
    edit(kPort)->setSystemText("0");
    edit(kPort)->setFocus();
    EXPECT_FALSE(dialog.updateData(true));  // its failure takes the focus from the port
    QCoreApplication::processEvents();
    EXPECT_EQ(notifications, 0) << "dropped while a transfer wrote the name or moved the focus";
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Please enter no more than 64 characters.");
    EXPECT_EQ(std::tuple(station.name.size(), station.port), std::tuple(65u, 6969u));
    EXPECT_EQ(std::pair(focus(), edit(kName)->selectedText().size()),
              std::pair(static_cast<QWidget*>(edit(kName)), qsizetype{65}));
    dialog.updateData(false);
    EXPECT_EQ(edit(kName)->selectedText().size(), 65) << "an unchanged text rewritten";
    QTest::keyClick(focus(), Qt::Key_Backspace);
    EXPECT_EQ(notifications, 1) << "the operator's own change is reported";
  });
}

TEST_F(DialogTest, AMissingTemplateOrControlEndsTheRunWithMinusOne) {
  EXPECT_EQ(CDialog(4711).doModal(), -1);
  DialogTemplate withoutPort = DemoDialog::layout();
  std::erase_if(withoutPort.controls, [](const auto& c) { return c.id == kPort; });
  DialogTemplateRegistry::add(withoutPort);
  EXPECT_EQ(runModal(dialog, [] {}), -1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "An unsupported operation was attempted.");
}

// The dialog plays the console, the main window. A box it opens is its own, styled as given; a
// framework box belongs to the innermost window, always under the application's title (the
// executable's base name), with the exclamation where the style names no icon.
TEST_F(DialogTest, BoxesAndDialogsBelongToTheirWindowsAndKeepThemDisabled) {
  CWinApp app;
  app.setMainWindow(&dialog);
  Station other;
  DemoDialog editor(other);
  whileOpen([&] {
    boxes.answers = {message::kAnswerNo};
    EXPECT_EQ(dialog.messageBox("Quer?", std::nullopt, message::kYesNoQuestion),
              message::kAnswerNo);
    dialog.messageBox("Mensagem recebida", std::string("Socket"));
    std::vector<std::string> seen, wanted = {"framework_tests 36", "Socket 0"};
    const std::pair<unsigned, unsigned> styles[] = {
        {0, 0x30}, {4, 0x34}, {16, 16},  {36, 36},
        {64, 64},  {1, 0x31}, {3, 0x33}, {2, 2}};  // abort, retry and ignore: left alone
    for (const auto& [given, used] : styles) {
      frameworkMessageBox("x", given);
      wanted.push_back("framework_tests " + std::to_string(used));
    }
    for (const auto& box : boxes.shown) {
      if (box.owner == dialog.window() && !box.ownerWindowEnabled) {
        seen.push_back(box.title + " " + std::to_string(box.style));
      }
    }
    EXPECT_EQ(seen, wanted);
    runModal(editor, [&] {
      EXPECT_FALSE(dialog.window()->isEnabled());
      frameworkMessageBox("over the editor");
      EXPECT_EQ(boxes.shown.back().owner, editor.window());
      editor.endDialog(2);
    });
    EXPECT_TRUE(dialog.window()->isEnabled());
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.window()));
  });
}

// Five expiries before the loop gets to the first tick give one tick; a handler waiting in a
// box still gets the next ones; none outlives the window.
TEST_F(DialogTest, TicksNeverPileUpYetReachAHandlerWaitingInABox) {
  std::vector<int> ticks;
  bool tickedDuringBox = false;
  dialog.onTimer([&](int id) {
    ticks.push_back(id);
    if (ticks.size() != 2) return;
    boxes.holdNextOpen([&] { return ticks.size() >= 4; });
    dialog.messageBox("Please enter a positive integer.");
    tickedDuringBox = ticks.size() >= 4;
  });
  whileOpen([&] {
    dialog.setTimer(101, 60000);
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(dialog.window());
    QTimerEvent expired(timers.at(0).timerId);
    for (int i = 0; i < 5; ++i) QCoreApplication::sendEvent(dialog.window(), &expired);
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, std::vector<int>{101});
    dialog.setTimer(101, 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tickedDuringBox; }, 8000));
  });
  ticks.clear();
  QTest::qWait(20);
  EXPECT_TRUE(ticks.empty()) << "a tick outlived its window";
}

// What the program selects or sets shows in the control and tells no one.
TEST_F(DialogTest, ControlsArePlacedInDialogUnitsNamedAndDrivenByTheirWrappers) {
  const DialogUnits units(6, 13);  // an 8-point sans-serif at 96 dots per inch
  EXPECT_EQ(units.toPixels({0, 0, 417, 239}), QRect(0, 0, 626, 388));  // halves round up
  int selections = 0;
  dialog.onCommand(kType, notify::kSelectionChanged, [&] { ++selections; });
  whileOpen([&] {
    const DialogUnits used = DialogUnits::forFont(dialog.window()->font());
    EXPECT_EQ(dialog.window()->size(), QSize(used.toPixelsX(220), used.toPixelsY(120)));
    EXPECT_EQ(edit(kName)->geometry(), used.toPixels({40, 5, 80, 12}));
    EXPECT_EQ(edit(kName)->accessibleName(), "Nome");  // the label on its left
    EXPECT_EQ(dialog.type.setCurSel(1), 1);
    EXPECT_EQ(dialog.controlText(kType), "Noticias");
    EXPECT_EQ(dialog.type.setCurSel(2), -1);
    EXPECT_EQ(std::pair(dialog.type.getCurSel(), dialog.controlText(kType)),
              std::pair(-1, std::string()));
    dialog.address.setAddress(0x7F000001);
    dialog.address.widget()->field(3)->setSystemText("");
    std::uint32_t value = 0;
    const int filled = dialog.address.getAddress(value);
    EXPECT_EQ(std::pair(filled, value), std::pair(3, 0x7F000000u)) << "leftmost highest, blank 0";
    // Handing the focus on would make the next control report losing a focus never given.
    dialog.controlWidget(kMusic)->setFocus();
    dialog.enableControl(kMusic, false);
    EXPECT_EQ(QApplication::focusWidget(), dialog.window());
  });
  EXPECT_EQ(selections, 0);
}

// Rows and their selection are the text-list editor's; a column inserted before others is not.
TEST(Controls, TheListViewKeepsEachRowsCellsUnderTheirColumns) {
  ListViewControl view;
  CListCtrl rows;
  ASSERT_TRUE(rows.attach(&view));
  rows.insertColumn(0, "ORD", CListCtrl::kAlignLeft, 45);
  rows.insertColumn(1, "TMS", CListCtrl::kAlignRight, 45);
  rows.insertItem(0, "1");
  EXPECT_EQ(rows.insertItem(50, "2"), 1) << "past the end appends";
  rows.setItemText(1, 1, "10");
  EXPECT_EQ(rows.insertColumn(1, "TEXTO", CListCtrl::kAlignLeft, 420), 1);
  EXPECT_EQ(rows.getItemText(1, 2), "10") << "cells move right with their column";
}

}  // namespace
}  // namespace orvane::test
