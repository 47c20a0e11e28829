#pragma once

#include <cstdint>

namespace orvane {

// The extended country code of group 1A tells apart the countries that share the PI's first hex
// digit. Only the codes the standard gives out name a country at all (the rows A0 to A6, D0 to
// D3, E0 to E4 and F0 to F3); any other is a code that receivers cannot look up.
[[nodiscard]] bool isAssignedCountryCode(std::uint8_t extendedCountryCode);

// Whether some country has both this code and the country digit of `programmeIdentification`:
// when none has, receivers would show no country, or a wrong one, for the station.
[[nodiscard]] bool namesCountry(std::uint8_t extendedCountryCode,
                                std::uint16_t programmeIdentification);

}  // namespace orvane
