#include "CIPAddressCtrl.h"

#include "IpAddressEdit.h"

namespace orvane {

bool CIPAddressCtrl::isAttached() const {
  return !address_.isNull();
}

IpAddressEdit* CIPAddressCtrl::widget() const {
  return address_.data();
}

bool CIPAddressCtrl::attach(QWidget* control) {
  address_ = qobject_cast<IpAddressEdit*>(control);
  return isAttached();
}

int CIPAddressCtrl::getAddress(std::uint32_t& address) const {
  if (!address_) return 0;
  address = address_->address();
  return address_->filledFields();
}

int CIPAddressCtrl::getAddress(std::uint8_t& field0, std::uint8_t& field1, std::uint8_t& field2,
                               std::uint8_t& field3) const {
  std::uint32_t address = 0;
  const int filled = getAddress(address);
  field0 = static_cast<std::uint8_t>(address >> 24);
  field1 = static_cast<std::uint8_t>(address >> 16);
  field2 = static_cast<std::uint8_t>(address >> 8);
  field3 = static_cast<std::uint8_t>(address);
  return filled;
}

void CIPAddressCtrl::setAddress(std::uint32_t address) {
  if (address_) address_->setAddress(address);
}

void CIPAddressCtrl::clearAddress() {
  if (address_) address_->clear();
}

bool CIPAddressCtrl::isBlank() const {
  return !address_ || address_->filledFields() == 0;
}

}  // namespace orvane
