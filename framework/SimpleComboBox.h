#pragma once

#include <QListWidget>
#include <QWidget>

namespace orvane {

class EditControl;

// A combo box of the simple kind: an edit field over a list that is always open. The list's
// selection is the combo box's selection; choosing an entry shows its text in the field. Once
// an entry is selected, no click or key takes the selection away; only select() can. The field
// always names the entry that counts: typing selects the entry the text is (else the first one
// it begins, ignoring case), and text that names no entry gives way to the selected entry's
// name when the field is left or Enter is pressed.
class SimpleComboBox : public QWidget {
  Q_OBJECT

 public:
  explicit SimpleComboBox(QWidget* parent = nullptr);

  int addString(const QString& text);
  int count() const;
  QString itemText(int index) const;
  // -1 when nothing is selected.
  int currentSelection() const;
  // Selects without telling anyone; an index outside the list clears the selection and the
  // field.
  void select(int index);

  EditControl* edit() const { return edit_; }
  QListWidget* list() const { return list_; }

 signals:
  // The operator chose another entry, with the mouse or the arrow keys.
  void selectionChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void noteSelectionChanged();
  void typed(const QString& text);
  int entryTyped(const QString& text) const;
  void showSelectedName();

  EditControl* edit_;
  QListWidget* list_;
  bool selectingByProgram_ = false;
  int lastSelection_ = -1;
};

}  // namespace orvane
