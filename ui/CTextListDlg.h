#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "CDialog.h"
#include "CListCtrl.h"
#include "ConsoleState.h"

namespace orvane {

// The radiotext list editor. The rows hold the list; the three edits below it hold the values
// being edited, which reach the selected row when the operator leaves an edit. OK writes the
// whole list over RDSTXT.TXT; Cancel drops the changes.
class CTextListDlg : public CDialog {
 public:
  static constexpr std::size_t kMaxTextLength = kRadioTextLength;
  static constexpr std::uint32_t kNewRowDwellUnits = 4;  // one minute on air

  explicit CTextListDlg(std::filesystem::path workingFolder = ".", CWnd* parent = nullptr);

  CListCtrl& entryList() { return entryList_; }

 protected:
  void doDataExchange(DataExchange& exchange) override;
  bool onInitDialog() override;
  void onOK() override;
  void onCancel() override;

 private:
  void bindHandlers();
  void insertColumns();
  int selectedRow() const;
  void enableList(bool enabled);
  static std::uint32_t numberInCell(const std::string& cell);

  void textChanged();
  void dwellChanged();
  void orderChanged();
  void dwellLeft();
  void textLeft();
  void orderLeft();
  void rowDoubleClicked();
  void newRow();
  void clearFields();
  void deleteRow();

  std::filesystem::path workingFolder_;
  CListCtrl entryList_;
  std::uint32_t dwellUnits_ = 0;
  std::uint32_t orderNumber_ = 0;
  std::string entryText_;
  std::uint32_t charsLeft_ = 0;
  // A change typed into one of the three edits that has not yet reached the selected row.
  int editPending_ = 0;
  // The text edit was left with a row selected; Cancel then asks before dropping the changes.
  int listModified_ = 0;
};

}  // namespace orvane
