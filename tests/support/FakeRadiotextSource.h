#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "RadiotextSource.h"

namespace orvane::test {

// A radiotext list held in memory.
class FakeRadiotextSource : public RadiotextSource {
 public:
  bool readEntry(std::int32_t orderNumber, std::string& text, std::int32_t& dwell) override {
    const auto found = entries.find(orderNumber);
    if (found == entries.end()) return false;
    text = found->second.first;
    dwell = found->second.second;
    return true;
  }

  void add(std::int32_t orderNumber, std::string text, std::int32_t dwell) {
    entries[orderNumber] = {std::move(text), dwell};
  }

  std::map<std::int32_t, std::pair<std::string, std::int32_t>> entries;
};

}  // namespace orvane::test
