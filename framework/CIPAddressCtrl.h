#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>

namespace orvane {

class IpAddressEdit;

// A dialog's IP-address control, attached by a control step of the exchange list. The four
// fields make one 32-bit value whose highest byte is the leftmost field: 0x7F000001 shows
// 127.0.0.1.
class CIPAddressCtrl {
 public:
  bool attach(QWidget* control);  // false when the control is no address control
  bool isAttached() const;
  IpAddressEdit* widget() const;

  // Blank fields read as 0. Returns how many fields are not blank.
  int getAddress(std::uint32_t& address) const;
  int getAddress(std::uint8_t& field0, std::uint8_t& field1, std::uint8_t& field2,
                 std::uint8_t& field3) const;
  void setAddress(std::uint32_t address);
  void clearAddress();
  bool isBlank() const;

 private:
  QPointer<IpAddressEdit> address_;
};

}  // namespace orvane
