#include "ExtendedCountryCode.h"

#include <array>

namespace orvane {
namespace {

struct CountryRow {
  std::uint8_t code;
  std::uint16_t countryDigits;  // bit n set: some country has PI country digit n and this code
};

// The countries of each code by their PI digit, from the allocation tables of the standard for
// Europe and the Mediterranean, Africa, the Americas and Asia-Pacific.
constexpr std::array<CountryRow, 20> kCountries = {{
    {0xA0, 0x6FFE}, {0xA1, 0xF800}, {0xA2, 0xFFFE}, {0xA3, 0xFEFE}, {0xA4, 0x7FEE},
    {0xA5, 0xF800}, {0xA6, 0x8000}, {0xD0, 0xFFFE}, {0xD1, 0xFBFE}, {0xD2, 0xDFFE},
    {0xD3, 0x1568}, {0xE0, 0xBFFE}, {0xE1, 0xFFFE}, {0xE2, 0xFEFE}, {0xE3, 0xFF3E},
    {0xE4, 0xDF4E}, {0xF0, 0xFFFE}, {0xF1, 0xFFFE}, {0xF2, 0xFFFE}, {0xF3, 0xCA0E},
}};

const CountryRow* rowOf(std::uint8_t code) {
  for (const CountryRow& row : kCountries) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace

bool isAssignedCountryCode(std::uint8_t extendedCountryCode) {
  return rowOf(extendedCountryCode) != nullptr;
}

bool namesCountry(std::uint8_t extendedCountryCode, std::uint16_t programmeIdentification) {
  const CountryRow* row = rowOf(extendedCountryCode);
  const unsigned digit = programmeIdentification >> 12;
  return row && ((row->countryDigits >> digit) & 1U) != 0;
}

}  // namespace orvane
