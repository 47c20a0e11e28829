#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>

namespace orvane {

// Texts that UECP clients sent in the RDS character set, kept as they came. The on-air state
// holds texts in Windows-1252, which lacks letters the RDS set has (ř, ě, č, Greek capitals):
// they are '?' there. A text that comes in over UECP and goes out over UECP again keeps them:
// for an on-air text that a client sent, the bridge sends the client's bytes rather than the
// Windows-1252 form translated back. Only such texts are kept, and only the last few.
class UecpTextMemory {
 public:
  static constexpr std::size_t kTexts = 4;  // the name, the two radiotext lines, one to spare

  // `rds`: a text as it went on air, in the RDS character set, trailing blanks dropped.
  void remember(std::string_view rds);

  // `windows1252` in the RDS character set: as a client sent it when one did, otherwise
  // translated character by character. Trailing blanks (a short name's padding) do not count.
  [[nodiscard]] std::string rdsText(std::string_view windows1252) const;

 private:
  std::deque<std::pair<std::string, std::string>> texts_;  // the Windows-1252 form, the bytes
};

}  // namespace orvane
