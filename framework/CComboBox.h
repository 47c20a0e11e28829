#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

namespace orvane {

class SimpleComboBox;

// A dialog's combo box of the simple kind, attached by a control step of the exchange list.
// Does nothing (and reports -1) while not attached.
class CComboBox {
 public:
  bool attach(QWidget* control);  // false when the control is no combo box
  bool isAttached() const;
  SimpleComboBox* widget() const;

  // The selected entry's index, or -1 when nothing is selected.
  int getCurSel() const;
  // Selects entry `index`; an index outside the list, -1 included, clears the selection and
  // returns -1.
  int setCurSel(int index);
  // Appends an entry; returns its index.
  int addString(const std::string& text);
  int getCount() const;
  std::string getLBText(int index) const;

 private:
  QPointer<SimpleComboBox> combo_;
};

}  // namespace orvane
