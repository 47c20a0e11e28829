#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <functional>
#include <initializer_list>

#include "CConsoleDlg.h"
#include "EditControl.h"
#include "MessageBoxRecorder.h"
#include "SimpleComboBox.h"
#include "TempDir.h"

namespace orvane::test {

// Types into an edit as the operator would, after selecting what is there.
void typeInto(EditControl* target, const QString& keys);
// The texts of a dialog's controls, joined with "|".
std::string textsOf(const CWnd& dialog, std::initializer_list<int> ids);

// The real console window in a fresh working folder, with every message box recorded. The
// one-second timer is stopped once the window is open, so that ticks come only when a test asks.
class ConsoleWindowFixture : public ::testing::Test {
 protected:
  ConsoleWindowFixture();
  ~ConsoleWindowFixture() override;

  // Opens the console and runs `steps` in it; closes it after them unless they leave by
  // themselves. Returns the dialog's result.
  int whileOpen(const std::function<void()>& steps, bool stepsLeave = false);
  void tick(int count = 1);

  template <class Widget>
  Widget* widget(int id) const {
    return qobject_cast<Widget*>(console->controlWidget(id));
  }
  SimpleComboBox* list(int id) const { return widget<SimpleComboBox>(id); }
  QWidget* focus() const { return console->window()->focusWidget(); }
  std::string text(int id) const { return console->controlText(id); }
  std::string texts(std::initializer_list<int> ids) const { return textsOf(*console, ids); }
  // Which controls are enabled, and which are ticked, one digit each.
  std::string enabled(std::initializer_list<int> ids) const;
  std::string ticked(std::initializer_list<int> ids) const;
  // Chooses a list entry as the operator would, with the mouse.
  void choose(int listId, int index);
  void type(int id, const QString& keys) { typeInto(widget<EditControl>(id), keys); }
  void click(int id);
  void key(Qt::Key pressed, Qt::KeyboardModifiers modifiers = {});

  TempDir folder;
  MessageBoxRecorder boxes;
  std::unique_ptr<CConsoleDlg> console;
};

}  // namespace orvane::test
