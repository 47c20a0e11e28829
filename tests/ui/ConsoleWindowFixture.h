#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QTest>
#include <functional>
#include <initializer_list>

#include "CConsoleDlg.h"
#include "ConsoleTemplate.h"
#include "ConsoleTick.h"
#include "DialogTemplateRegistry.h"
#include "EditControl.h"
#include "MessageBoxRecorder.h"
#include "ModalRun.h"
#include "SimpleComboBox.h"
#include "TempDir.h"
#include "TextListTemplate.h"

namespace orvane::test {

// The real console window in a fresh working folder, with every message box recorded. The
// one-second timer is stopped once the window is open, so that ticks come only when a test asks.
class ConsoleWindowFixture : public ::testing::Test {
 protected:
  ConsoleWindowFixture() {
    DialogTemplateRegistry::add(consoleTemplate());
    DialogTemplateRegistry::add(textListTemplate());
  }
  ~ConsoleWindowFixture() override {
    console.reset();
    DialogTemplateRegistry::remove(kConsoleTemplateId);
    DialogTemplateRegistry::remove(kTextListTemplateId);
  }

  // Opens the console and runs `steps` in it; closes it after them unless they leave by
  // themselves. Returns the dialog's result.
  int whileOpen(const std::function<void()>& steps, bool stepsLeave = false) {
    return runModal(*console, [&] {
      console->killTimer(ConsoleTick::kTimerId);
      steps();
      if (!stepsLeave) console->endDialog(0);
    });
  }
  void tick(int count = 1) {
    for (int i = 0; i < count; ++i) console->core().tick().onTick();
  }

  // The dialog the helpers below work on: the console, unless a test has opened another.
  CDialog& front() const { return inFront != nullptr ? *inFront : *console; }
  template <class Widget = QWidget>
  Widget* widget(int id) const {
    return qobject_cast<Widget*>(front().controlWidget(id));
  }
  // The controls' texts joined with "|".
  std::string texts(std::initializer_list<int> ids) const {
    std::string all;
    for (const int id : ids) all += "|" + front().controlText(id);
    return all.erase(0, 1);
  }
  // Which controls are enabled, and which are ticked, one digit each.
  std::string enabled(std::initializer_list<int> ids) const {
    std::string all;
    for (const int id : ids) all += front().isControlEnabled(id) ? '1' : '0';
    return all;
  }
  std::string ticked(std::initializer_list<int> ids) const {
    std::string all;
    for (const int id : ids) all += widget<QCheckBox>(id)->isChecked() ? '1' : '0';
    return all;
  }
  // Chooses a list entry as the operator would, with the mouse.
  void choose(int listId, int index, Qt::KeyboardModifiers modifiers = {}) {
    QListWidget* entries = widget<SimpleComboBox>(listId)->list();
    entries->scrollToItem(entries->item(index));
    QTest::mouseClick(entries->viewport(), Qt::LeftButton, modifiers,
                      entries->visualItemRect(entries->item(index)).center());
  }
  // Types into an edit as the operator would, after selecting what is there.
  void type(int id, const QString& keys) {
    auto* target = widget<EditControl>(id);
    target->setFocus();
    target->selectAll();
    QTest::keyClick(target, Qt::Key_Backspace);
    // Qt's key table knows only ASCII; every letter arrives as a key event carrying its text.
    for (const QChar c : keys) QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, c, {});
  }
  void click(int id) { QTest::mouseClick(widget<QAbstractButton>(id), Qt::LeftButton); }
  void key(Qt::Key pressed, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(QApplication::focusWidget(), pressed, modifiers);
  }

  TempDir folder;
  MessageBoxRecorder boxes;
  std::unique_ptr<CConsoleDlg> console = std::make_unique<CConsoleDlg>(folder.path());
  CDialog* inFront = nullptr;
};

}  // namespace orvane::test
