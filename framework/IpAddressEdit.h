#pragma once

#include <QFrame>
#include <array>
#include <cstdint>

namespace orvane {

class EditControl;

// Four decimal fields 0..255 separated by dots, read and set as one IPv4 address. It types as
// operators know IP-address controls: a full field moves on to the next one, and a "." typed
// straight after that move only confirms it; "." in a filled field moves on too; a field entered
// that way, or clicked, has its old value selected, so typing replaces it; Backspace (and Left)
// at the start of a field goes back into the one before; a third digit that makes more than 255
// is put back to 255 with a beep. No typed digit is lost on the way: one with no room in its
// field goes on into the next field from the field's end, and is refused with a beep elsewhere.
// A whole dotted address pasted into any field fills all four; a shorter dotted tail fills the
// field and those after it.
class IpAddressEdit : public QFrame {
  Q_OBJECT

 public:
  explicit IpAddressEdit(QWidget* parent = nullptr);

  // The address with the leftmost field in the highest byte; a blank field reads as 0.
  std::uint32_t address() const;
  // How many fields are not blank.
  int filledFields() const;
  void setAddress(std::uint32_t address);
  void clear();

  EditControl* field(int index) const { return fields_.at(static_cast<std::size_t>(index)); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static constexpr int kFields = 4;
  static constexpr int kNoField = -1;

  int fieldValue(int index) const;
  int indexOf(const QObject* watched) const;
  bool fieldKey(int index, const QKeyEvent& key);
  void fieldEdited(int index, const QString& text);
  void enterField(int index);
  void enterFieldAtEnd(int index);
  bool pasteInto(int index, const QString& text);
  bool fullFieldDigit(int index, const QKeyEvent& key, bool atEnd);
  void fieldLeft(int index);

  std::array<EditControl*, kFields> fields_{};
  // The field the control moved into by itself after a full field; a "." typed there next is
  // the operator's own move to it, already made.
  int movedOnTo_ = kNoField;
};

}  // namespace orvane
