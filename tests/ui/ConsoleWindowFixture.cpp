#include "ConsoleWindowFixture.h"

#include <QListWidget>
#include <QTest>

#include "ConsoleTemplate.h"
#include "ConsoleTick.h"
#include "ControlId.h"
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

void ConsoleWindowFixture::whileOpen(const std::function<void()>& steps) {
  runModal(*console, [&] {
    console->killTimer(ConsoleTick::kTimerId);
    steps();
    console->endDialog(0);
  });
}

int ConsoleWindowFixture::runModalAndLeave(const std::function<void()>& steps) {
  return runModal(*console, [&] {
    console->killTimer(ConsoleTick::kTimerId);
    steps();
  });
}

void ConsoleWindowFixture::tick(int count) {
  for (int i = 0; i < count; ++i) console->core().tick().onTick();
}

EditControl* ConsoleWindowFixture::edit(int id) const {
  return qobject_cast<EditControl*>(console->controlWidget(id));
}

QCheckBox* ConsoleWindowFixture::checkBox(int id) const {
  return qobject_cast<QCheckBox*>(console->controlWidget(id));
}

QPushButton* ConsoleWindowFixture::button(int id) const {
  return qobject_cast<QPushButton*>(console->controlWidget(id));
}

SimpleComboBox* ConsoleWindowFixture::list(int id) const {
  return qobject_cast<SimpleComboBox*>(console->controlWidget(id));
}

IpAddressEdit* ConsoleWindowFixture::address() const {
  return qobject_cast<IpAddressEdit*>(console->controlWidget(control::kServerAddress));
}

QWidget* ConsoleWindowFixture::focus() const {
  return console->window()->focusWidget();
}

void ConsoleWindowFixture::choose(int listId, int index) {
  QListWidget* entries = list(listId)->list();
  QListWidgetItem* item = entries->item(index);
  entries->scrollToItem(item);
  QTest::mouseClick(entries->viewport(), Qt::LeftButton, {},
                    entries->visualItemRect(item).center());
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

void ConsoleWindowFixture::type(int id, const QString& keys) {
  typeInto(edit(id), keys);
}

void ConsoleWindowFixture::click(int id) {
  QTest::mouseClick(button(id), Qt::LeftButton);
}

}  // namespace orvane::test
