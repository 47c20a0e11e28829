#pragma once

#include <string_view>

namespace orvane {

// The programme-item time as the operator types it, "HH:MM". Operators' habits were formed on this
// exact reading, so it stays strict about the colon: optional blanks, a decimal number, a colon
// straight after it, optional blanks, a decimal number; whatever follows is ignored.
struct PinTime {
  enum class Result { valid, badSyntax, outOfRange };
  Result result = Result::badSyntax;
  int hour = 0;
  int minute = 0;
};

// Hour above 23 or minute above 59 is out of range; so is a negative value, because both are
// compared as unsigned numbers, and so is a number too large for an int.
PinTime scanPinTime(std::string_view text);

}  // namespace orvane
