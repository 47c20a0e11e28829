#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// The longest start of `text` within `maxLength` characters that ends where a word ends, blanks
// at its end left out: a title cut mid-word reads as a fault on the receiver. A first word
// longer than `maxLength` is cut at `maxLength`. Text within the bound comes back as it is.
[[nodiscard]] std::string cutAtWord(std::string_view text, std::size_t maxLength);

}  // namespace orvane
