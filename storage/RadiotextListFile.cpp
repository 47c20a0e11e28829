#include "RadiotextListFile.h"

#include "TextListFile.h"

namespace orvane {

bool RadiotextListFile::readEntry(std::int32_t orderNumber, std::string& text,
                                  std::int32_t& dwell) {
  return ReadListEntry(folder_, orderNumber, text, dwell);
}

}  // namespace orvane
