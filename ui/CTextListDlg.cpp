#include "CTextListDlg.h"

#include <algorithm>

#include "ControlId.h"
#include "Cp1252.h"
#include "DataExchange.h"
#include "ListViewRows.h"
#include "MessageStyle.h"
#include "Notification.h"
#include "ScanNumbers.h"
#include "TextListFile.h"
#include "TextListTemplate.h"

namespace orvane {
namespace {

constexpr int kOrderWidth = 45;
constexpr int kTextWidth = 420;
constexpr int kDwellWidth = 45;

std::string writeFailedText() {
  return pt("É conveniente verificar se o ficheiro\nnão está bloqueado contra escrita...");
}

}  // namespace

CTextListDlg::CTextListDlg(std::filesystem::path workingFolder, CWnd* parent)
    : CDialog(kTextListTemplateId, parent), workingFolder_(std::move(workingFolder)) {
  bindHandlers();
}

void CTextListDlg::bindHandlers() {
  using namespace listcontrol;
  onCommand(kEntryText, notify::kEditChanged, [this] { textChanged(); });
  onCommand(kDwellUnits, notify::kEditChanged, [this] { dwellChanged(); });
  onCommand(kOrderNumber, notify::kEditChanged, [this] { orderChanged(); });
  onCommand(kDwellUnits, notify::kEditLostFocus, [this] { dwellLeft(); });
  onCommand(kEntryText, notify::kEditLostFocus, [this] { textLeft(); });
  onCommand(kOrderNumber, notify::kEditLostFocus, [this] { orderLeft(); });
  onNotify(kEntryList, notify::kDoubleClick, [this] { rowDoubleClicked(); });
  onCommand(kNewRow, notify::kClicked, [this] { newRow(); });
  onCommand(kClearFields, notify::kClicked, [this] { clearFields(); });
  onCommand(kDeleteRow, notify::kClicked, [this] { deleteRow(); });
}

void CTextListDlg::doDataExchange(DataExchange& dx) {
  using namespace listcontrol;
  dx.control(kEntryList, entryList_);
  dx.number(kDwellUnits, dwellUnits_);
  dx.number(kOrderNumber, orderNumber_);
  dx.text(kEntryText, entryText_);
  dx.maxChars(entryText_, kMaxTextLength);
  dx.number(kCharsLeft, charsLeft_);
}

bool CTextListDlg::onInitDialog() {
  if (!CDialog::onInitDialog()) return false;
  editPending_ = 0;
  listModified_ = 0;
  insertColumns();
  ListViewRows rows(entryList_);
  LoadTextList(workingFolder_, rows);
  return true;
}

void CTextListDlg::insertColumns() {
  entryList_.insertColumn(kOrderColumn, "ORD", CListCtrl::kAlignLeft, kOrderWidth);
  entryList_.insertColumn(kTextColumn, "TEXTO", CListCtrl::kAlignRight, kTextWidth);
  entryList_.insertColumn(kDwellColumn, "TMS", CListCtrl::kAlignRight, kDwellWidth);
}

int CTextListDlg::selectedRow() const {
  return entryList_.getNextItem(-1, CListCtrl::kNextSelected);
}

void CTextListDlg::enableList(bool enabled) {
  enableControl(listcontrol::kEntryList, enabled);
}

// A cell's text read as the standard text-to-integer conversion reads it; no digits give 0.
std::uint32_t CTextListDlg::numberInCell(const std::string& cell) {
  return static_cast<std::uint32_t>(scanDecimal(cell).value_or(0));
}

void CTextListDlg::textChanged() {
  (void)updateData(true);
  // A text loaded from a file written by other means can be longer than the edit allows; the
  // count then shows 0 rather than wrapping round to a number near four thousand million.
  charsLeft_ = entryText_.size() < kMaxTextLength
                   ? static_cast<std::uint32_t>(kMaxTextLength - entryText_.size())
                   : 0;
  (void)updateData(false);
  enableList(false);
  editPending_ = 1;
}

void CTextListDlg::dwellChanged() {
  enableList(false);
  editPending_ = 1;
}

void CTextListDlg::orderChanged() {
  editPending_ = 1;
}

void CTextListDlg::dwellLeft() {
  const int row = selectedRow();
  if (row < 0) return;
  (void)updateData(true);
  enableList(true);
  if (editPending_ == 1) entryList_.setItemText(row, kDwellColumn, std::to_string(dwellUnits_));
  editPending_ = 0;
}

void CTextListDlg::textLeft() {
  const int row = selectedRow();
  if (row < 0) return;
  (void)updateData(true);
  listModified_ = 1;
  enableList(true);
  if (editPending_ == 1) entryList_.setItemText(row, kTextColumn, entryText_);
  editPending_ = 0;
}

void CTextListDlg::orderLeft() {
  (void)updateData(true);
  const std::string order = std::to_string(orderNumber_);
  const int row = selectedRow();
  if (row >= 0) {
    enableList(true);
    if (editPending_ == 1) {
      entryList_.setItemText(row, kOrderColumn, order);
      editPending_ = 0;
    }
    return;
  }
  ListViewRows rows(entryList_);
  for (std::size_t r = 0; r < rows.rowCount(); ++r) {
    if (numberInCell(rows.cell(r, kOrderColumn)) == orderNumber_) return;
  }
  rows.appendRow(order, "", std::to_string(kNewRowDwellUnits));
}

void CTextListDlg::rowDoubleClicked() {
  const int row = selectedRow();
  if (row < 0) return;
  (void)updateData(true);
  orderNumber_ = numberInCell(entryList_.getItemText(row, kOrderColumn));
  dwellUnits_ = numberInCell(entryList_.getItemText(row, kDwellColumn));
  entryText_ = entryList_.getItemText(row, kTextColumn);
  (void)updateData(false);
  textChanged();
  enableList(false);
  editPending_ = 0;
}

void CTextListDlg::newRow() {
  (void)updateData(true);
  dwellUnits_ = kNewRowDwellUnits;
  entryText_.clear();
  // Compared unsigned from 0, so a row reading -1 makes the next number 0: operators number their
  // lists around that.
  std::uint32_t largest = 0;
  ListViewRows rows(entryList_);
  for (std::size_t r = 0; r < rows.rowCount(); ++r) {
    largest = std::max(largest, numberInCell(rows.cell(r, kOrderColumn)));
  }
  orderNumber_ = largest + 1U;
  (void)updateData(false);
  orderLeft();
}

void CTextListDlg::clearFields() {
  (void)updateData(true);
  dwellUnits_ = kNewRowDwellUnits;
  entryText_.clear();
  (void)updateData(false);
}

void CTextListDlg::deleteRow() {
  const int row = selectedRow();
  if (row < 0) return;
  const std::string question =
      pt("Apagar a linha - tem a certeza que quer apagar?\nOs blocos não serão ordenados e tem "
         "que ter cuidado\nque a inserção de uma nova linha pode colidir com\num INDEX já "
         "definido.");
  if (messageBox(question, pt("Confirme apagamento de linha."), message::kYesNo) !=
      message::kAnswerYes) {
    return;
  }
  enableList(true);
  entryList_.deleteItem(row);
}

void CTextListDlg::onOK() {
  ListViewRows rows(entryList_);
  if (!SaveTextList(workingFolder_, rows)) {
    messageBox(writeFailedText(), pt("ERRO DE ESCRITA A RDSTXT.TXT"), message::kOkInformation);
    return;
  }
  CDialog::onOK();
}

void CTextListDlg::onCancel() {
  if (listModified_ == 1 &&
      messageBox(pt("Tem a certeza que quer sair sem gravar as alterações?"),
                 pt("Sair sem alterar dados."), message::kYesNoQuestion) == message::kAnswerNo) {
    return;
  }
  CDialog::onCancel();
}

}  // namespace orvane
