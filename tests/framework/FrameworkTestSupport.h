#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CDialog.h"
#include "DataExchange.h"
#include "DialogTemplateRegistry.h"
#include "EditControl.h"
#include "MessageBoxRecorder.h"
#include "ModalRun.h"

namespace orvane::test {

// Controls of the sample template.
inline constexpr int kText1 = 1013;
inline constexpr int kText2 = 1014;
inline constexpr int kDay = 1005;
inline constexpr int kFlag = 1007;
inline constexpr int kList = 1000;
inline constexpr int kAddress = 1010;
inline constexpr int kRows = 1029;
inline constexpr int kAction = 1008;

ControlTemplate controlOf(int id, ControlKind kind, DialogRect rect, std::string caption = {},
                          ControlStyle style = {});

// A dialog with every kind of control: two text edits with labels, a number edit, a check box,
// a simple combo box, an address, a list view, an action button, OK (the default) and Cancel.
// `consoleCancel` makes Cancel the default button, hidden and disabled, as the console has it.
DialogTemplate sampleTemplate(int id, bool consoleCancel = false);

// Registers a template for the life of the object.
struct ScopedTemplate {
  explicit ScopedTemplate(DialogTemplate dialog) : id(dialog.id) {
    DialogTemplateRegistry::add(std::move(dialog));
  }
  ~ScopedTemplate() { DialogTemplateRegistry::remove(id); }
  int id;
};

// A dialog whose exchange list is whatever the test sets.
class ScriptedDialog : public CDialog {
 public:
  using CDialog::CDialog;
  std::function<void(DataExchange&)> exchange;
  std::function<void()> afterInit;

 protected:
  void doDataExchange(DataExchange& dx) override {
    if (exchange) exchange(dx);
  }
  bool onInitDialog() override {
    const bool result = CDialog::onInitDialog();
    if (afterInit) afterInit();
    return result;
  }
};


// The sample template, a dialog on it and a message-box recorder.
class DialogFixture : public ::testing::Test {
 protected:
  explicit DialogFixture(int templateId, bool consoleCancel = false)
      : registered_(sampleTemplate(templateId, consoleCancel)), dialog(templateId) {}
  EditControl* edit(int id) { return qobject_cast<EditControl*>(dialog.controlWidget(id)); }
  QWidget* focus() { return dialog.window()->focusWidget(); }
  // Runs `steps` in the open dialog, then ends it with 0.
  void whileOpen(const std::function<void()>& steps) {
    runModal(dialog, [&] {
      steps();
      dialog.endDialog(0);
    });
  }

 private:
  ScopedTemplate registered_;

 protected:
  ScriptedDialog dialog;
  MessageBoxRecorder boxes;
};

}  // namespace orvane::test
