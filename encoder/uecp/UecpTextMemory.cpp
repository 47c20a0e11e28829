#include "UecpTextMemory.h"

#include <algorithm>

#include "RdsCharset.h"
#include "RdsToWindows1252.h"

namespace orvane {

// A text the translation keeps intact needs no memory: only one that lost letters is kept.
void UecpTextMemory::remember(std::string_view rds) {
  std::string windows1252 = windows1252FromRdsText(rds);
  if (orvane::rdsText(windows1252) == rds) return;
  std::erase_if(texts_, [&](const auto& text) { return text.first == windows1252; });
  texts_.emplace_back(std::move(windows1252), std::string(rds));
  if (texts_.size() > kTexts) texts_.pop_front();
}

[[gnu::hot]] std::string UecpTextMemory::rdsText(std::string_view windows1252) const {
  const std::size_t end = windows1252.find_last_not_of(' ') + 1;
  const std::string_view text = windows1252.substr(0, end);
  for (const auto& [key, rds] : texts_) {
    if (key == text) return rds + std::string(windows1252.substr(end));
  }
  return orvane::rdsText(windows1252);
}

}  // namespace orvane
