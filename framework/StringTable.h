#pragma once

#include <string>

namespace orvane {

// Identifiers of the strings the program and the framework load by number.
namespace strings {
inline constexpr unsigned kAboutMenuItem = 101;
inline constexpr unsigned kSocketsFailed = 103;
inline constexpr unsigned kEnterIntegerBetween = 61714;  // %1 minimum, %2 maximum
inline constexpr unsigned kEnterNoMoreThan = 61716;      // %1 the limit
inline constexpr unsigned kEnterPositiveInteger = 61719;
}  // namespace strings

// The program's string resources, in the console's code page. Texts come built in; other
// layers may add their own at start-up.
class StringTable {
 public:
  // The text for `id`; empty when there is none.
  static std::string load(unsigned id);
  static void define(unsigned id, std::string text);
  // The text for `id` with "%1" and "%2" replaced by the arguments.
  static std::string format(unsigned id, const std::string& first, const std::string& second = {});
};

}  // namespace orvane
