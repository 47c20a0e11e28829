#pragma once

#include <filesystem>
#include <functional>

#include "CComboBox.h"
#include "CDialog.h"
#include "CEncoderSocket.h"
#include "CIPAddressCtrl.h"
#include "ConsoleCore.h"
#include "ConsoleWindow.h"
#include "RadiotextListFile.h"

namespace orvane {

// The console window: the operator's one main window for the whole run. It shows the console
// record in its controls, forwards every button, list, focus and timer event to the console
// logic, and gives that logic its window through the ConsoleWindow interface.
class CConsoleDlg : public CDialog, public ConsoleWindow {
 public:
  // The system command that opens the About box; compared with its low four bits cleared.
  static constexpr unsigned kAboutCommand = 16;
  static constexpr unsigned kSystemCommandMask = 0xFFF0;

  // DEF.INI and RDSTXT.TXT are read from (and the list saved into) `workingFolder`.
  explicit CConsoleDlg(std::filesystem::path workingFolder = ".", CWnd* parent = nullptr);

  ConsoleCore& core() { return core_; }
  ConsoleState& state() { return core_.state(); }

  // What the About command runs; the application sets it.
  void setAboutHandler(std::function<void()> handler) { aboutHandler_ = std::move(handler); }
  // The window's system commands: the About item, else nothing of the console's own.
  void onSysCommand(unsigned commandId);

  // ConsoleWindow
  bool transferToRecord() override { return updateData(true); }
  bool transferToWindow() override { return updateData(false); }
  bool isTransferring() const override { return transferRunning(); }
  void enableControl(int controlId, bool enabled) override;
  int showMessage(const std::string& text, const std::optional<std::string>& title,
                  unsigned style) override;
  int programmeTypeSelection() const override { return programmeTypeList_.getCurSel(); }
  void selectProgrammeType(int index) override { programmeTypeList_.setCurSel(index); }
  int decoderIdSelection() const override { return decoderIdList_.getCurSel(); }
  void selectDecoderId(int index) override { decoderIdList_.setCurSel(index); }
  std::uint32_t serverAddress() const override;
  void setServerAddress(std::uint32_t address) override { serverAddress_.setAddress(address); }

 protected:
  void doDataExchange(DataExchange& exchange) override;
  bool onInitDialog() override;
  // "Sair do programa".
  void onOK() override;

 private:
  void bindHandlers();
  void addAboutMenu();
  void setWindowIcons();
  void applyStartupState();
  void openListEditor();

  std::filesystem::path workingFolder_;
  CComboBox decoderIdList_;
  CIPAddressCtrl serverAddress_;
  CComboBox programmeTypeList_;
  RadiotextListFile listFile_;
  CEncoderSocket socket_;
  ConsoleCore core_;
  std::function<void()> aboutHandler_;
};

}  // namespace orvane
