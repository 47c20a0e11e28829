#include "CComboBox.h"

#include "Cp1252Text.h"
#include "SimpleComboBox.h"

namespace orvane {

bool CComboBox::isAttached() const {
  return !combo_.isNull();
}

SimpleComboBox* CComboBox::widget() const {
  return combo_.data();
}

bool CComboBox::attach(QWidget* control) {
  combo_ = qobject_cast<SimpleComboBox*>(control);
  return isAttached();
}

int CComboBox::getCurSel() const {
  return combo_ ? combo_->currentSelection() : -1;
}

int CComboBox::setCurSel(int index) {
  if (!combo_) return -1;
  combo_->select(index);
  return combo_->currentSelection();
}

int CComboBox::addString(const std::string& text) {
  return combo_ ? combo_->addString(qStringFromCp1252(text)) : -1;
}

int CComboBox::getCount() const {
  return combo_ ? combo_->count() : 0;
}

std::string CComboBox::getLBText(int index) const {
  return combo_ ? cp1252FromQString(combo_->itemText(index)) : std::string{};
}

}  // namespace orvane
