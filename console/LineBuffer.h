#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "ConsoleState.h"

namespace orvane {

// The console formats one command line at a time into its 256-byte line buffer; these are the
// only ways it is written, so nothing ever goes past its end.

// True when `text` fits the buffer's 255 characters.
inline bool fitsLine(std::string_view text) {
  return text.size() <= kLineCapacity;
}

// Copies `text` into the buffer and terminates it; a longer text is cut to 255 characters.
void storeLine(std::array<char, kLineBufferSize>& buffer, std::string_view text);

// The buffer's text up to its terminating zero.
std::string_view lineText(const std::array<char, kLineBufferSize>& buffer);

}  // namespace orvane
