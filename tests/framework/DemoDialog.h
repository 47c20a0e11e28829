#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "CComboBox.h"
#include "CDialog.h"
#include "DialogTemplateRegistry.h"
#include "EditControl.h"
#include "MessageBoxRecorder.h"
#include "ModalRun.h"

namespace orvane::test {

// One station's settings, as the demo dialog edits them.
struct StationSettings {
  std::string name = "Antena 1";
  std::uint32_t port = 6969;
  std::int32_t music = 1;
  int type = 1;
  std::string typeCode = "01";
};

// A small dialog built the way the console's dialogs are: a template in dialog units, an
// exchange list with checks, a selection handler that transfers both ways, and its own
// initialisation and OK.
class DemoDialog : public CDialog {
 public:
  static constexpr int kTemplateId = 690;
  static constexpr int kName = 1016;
  static constexpr int kPort = 1011;
  static constexpr int kMusic = 1021;
  static constexpr int kType = 1000;
  static constexpr int kTypeCode = 1017;

  // `consoleButtons`: Cancel is the default button, hidden and disabled, as the console has it.
  static DialogTemplate dialogTemplate(bool consoleButtons = false);
  explicit DemoDialog(StationSettings& settings);

 protected:
  void doDataExchange(DataExchange& dx) override;
  bool onInitDialog() override;
  void onOK() override;

 private:
  void typeChosen();

  StationSettings& settings_;
  CComboBox type_;
};

// The demo dialog on its template, over `settings`, with its message boxes recorded.
class DemoDialogTest : public ::testing::Test {
 protected:
  DemoDialogTest() { DialogTemplateRegistry::add(DemoDialog::dialogTemplate()); }
  ~DemoDialogTest() override { DialogTemplateRegistry::remove(DemoDialog::kTemplateId); }
  EditControl* edit(int id) const { return qobject_cast<EditControl*>(dialog.controlWidget(id)); }
  QWidget* focus() const { return dialog.window()->focusWidget(); }
  // Runs `steps` in the open dialog, then ends it with 0.
  void whileOpen(const std::function<void()>& steps) {
    runModal(dialog, [&] {
      steps();
      dialog.endDialog(0);
    });
  }

  StationSettings settings;
  DemoDialog dialog{settings};
  MessageBoxRecorder boxes;
};

}  // namespace orvane::test
