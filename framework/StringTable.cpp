#include "StringTable.h"

#include <map>
#include <utility>

namespace orvane {
namespace {

std::map<unsigned, std::string>& table() {
  static std::map<unsigned, std::string> texts = {
      {strings::kAboutMenuItem, "&About Orvane..."},
      {strings::kSocketsFailed, "Windows sockets initialization failed."},
      {strings::kEnterIntegerBetween, "Please enter an integer between %1 and %2."},
      {strings::kEnterNoMoreThan, "Please enter no more than %1 characters."},
      {strings::kEnterPositiveInteger, "Please enter a positive integer."},
  };
  return texts;
}

// Replaces every "%<digit>" marker in one pass, so an argument that itself holds "%2" stays
// as it is.
std::string substitute(const std::string& pattern, const std::string& first,
                       const std::string& second) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() &&
        (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
      out += pattern[i + 1] == '1' ? first : second;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace

std::string StringTable::load(unsigned id) {
  const auto found = table().find(id);
  return found == table().end() ? std::string{} : found->second;
}

void StringTable::define(unsigned id, std::string text) {
  table()[id] = std::move(text);
}

std::string StringTable::format(unsigned id, const std::string& first, const std::string& second) {
  return substitute(load(id), first, second);
}

}  // namespace orvane
