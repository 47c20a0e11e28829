#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// Where the rotation looks radiotext entries up by order number. In the program this is the
// radiotext list file, read afresh on every call.
class RadiotextSource {
 public:
  virtual ~RadiotextSource() = default;
  // True when an entry with that order number exists; then `text` and `dwell` are set. False
  // leaves both untouched.
  virtual bool readEntry(std::int32_t orderNumber, std::string& text, std::int32_t& dwell) = 0;
};

}  // namespace orvane
