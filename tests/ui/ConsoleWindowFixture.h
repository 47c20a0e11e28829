#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <functional>

#include "CConsoleDlg.h"
#include "EditControl.h"
#include "IpAddressEdit.h"
#include "MessageBoxRecorder.h"
#include "SimpleComboBox.h"
#include "TempDir.h"

namespace orvane::test {

// Types into an edit as the operator would, after selecting what is there.
void typeInto(EditControl* target, const QString& keys);

// The real console window in a fresh working folder, with every message box recorded. The
// one-second timer is stopped once the window is open, so that ticks come only when a test asks.
class ConsoleWindowFixture : public ::testing::Test {
 protected:
  ConsoleWindowFixture();
  ~ConsoleWindowFixture() override;

  // Opens the console, runs `steps` in it, and closes it again.
  void whileOpen(const std::function<void()>& steps);
  // Opens the console and runs `steps`, which must end it; returns the dialog's result.
  int runModalAndLeave(const std::function<void()>& steps);
  void tick(int count = 1);

  EditControl* edit(int id) const;
  QCheckBox* checkBox(int id) const;
  QPushButton* button(int id) const;
  SimpleComboBox* list(int id) const;
  IpAddressEdit* address() const;
  QWidget* focus() const;
  bool enabled(int id) const { return console->isControlEnabled(id); }
  std::string text(int id) const { return console->controlText(id); }
  // Chooses a list entry as the operator would, with the mouse.
  void choose(int listId, int index);
  // Types into an edit as the operator would, after selecting what is there.
  void type(int id, const QString& keys);
  void click(int id);

  TempDir folder;
  MessageBoxRecorder boxes;
  std::unique_ptr<CConsoleDlg> console;
};

}  // namespace orvane::test
