#include "ConsoleWindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QTest>

#include "ConsoleTemplate.h"
#include "ConsoleTick.h"
#include "DialogTemplateRegistry.h"
#include "ModalRun.h"
#include "TextListTemplate.h"

namespace orvane::test {

ConsoleWindowFixture::ConsoleWindowFixture() {
  DialogTemplateRegistry::add(consoleTemplate());
  DialogTemplateRegistry::add(textListTemplate());
  console = std::make_unique<CConsoleDlg>(folder.path());
}

ConsoleWindowFixture::~ConsoleWindowFixture() {
  console.reset();
  DialogTemplateRegistry::remove(kConsoleTemplateId);
  DialogTemplateRegistry::remove(kTextListTemplateId);
}

int ConsoleWindowFixture::whileOpen(const std::function<void()>& steps, bool stepsLeave) {
  return runModal(*console, [&] {
    console->killTimer(ConsoleTick::kTimerId);
    steps();
    if (!stepsLeave) console->endDialog(0);
  });
}

void ConsoleWindowFixture::tick(int count) {
  for (int i = 0; i < count; ++i) console->core().tick().onTick();
}

std::string textsOf(const CWnd& dialog, std::initializer_list<int> ids) {
  std::string all;
  for (const int id : ids) all += "|" + dialog.controlText(id);
  return all.erase(0, 1);
}

std::string ConsoleWindowFixture::enabled(std::initializer_list<int> ids) const {
  std::string all;
  for (const int id : ids) all += console->isControlEnabled(id) ? '1' : '0';
  return all;
}

std::string ConsoleWindowFixture::ticked(std::initializer_list<int> ids) const {
  std::string all;
  for (const int id : ids) all += widget<QCheckBox>(id)->isChecked() ? '1' : '0';
  return all;
}

void ConsoleWindowFixture::choose(int listId, int index) {
  QListWidget* entries = list(listId)->list();
  QListWidgetItem* item = entries->item(index);
  entries->scrollToItem(item);
  QTest::mouseClick(entries->viewport(), Qt::LeftButton, {},
                    entries->visualItemRect(item).center());
}

void ConsoleWindowFixture::click(int id) {
  QTest::mouseClick(widget<QAbstractButton>(id), Qt::LeftButton);
}

void ConsoleWindowFixture::key(Qt::Key pressed, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(QApplication::focusWidget(), pressed, modifiers);
}

void typeInto(EditControl* target, const QString& keys) {
  target->setFocus();
  target->selectAll();
  QTest::keyClick(target, Qt::Key_Backspace);
  for (const QChar c : keys) {
    // Qt's key table knows only ASCII; other letters arrive as a key event carrying their text.
    if (c.unicode() < 0x80) {
      QTest::keyClick(target, c.toLatin1());
    } else {
      QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}

}  // namespace orvane::test
