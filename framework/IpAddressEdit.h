#pragma once

#include <QFrame>
#include <array>
#include <cstdint>

namespace orvane {

class EditControl;

// Four decimal fields 0..255 separated by dots, read and set as one IPv4 address.
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
  int fieldValue(int index) const;
  void moveToNextField(int index);
  void clampField(int index);

  std::array<EditControl*, 4> fields_{};
};

}  // namespace orvane
