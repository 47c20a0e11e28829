#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "RadiotextSource.h"

namespace orvane {

// The rotation's view of the radiotext list file of a folder: every lookup reads the file afresh,
// so entries saved by the list editor count from the next lookup on.
class RadiotextListFile : public RadiotextSource {
 public:
  explicit RadiotextListFile(std::filesystem::path folder) : folder_(std::move(folder)) {}
  bool readEntry(std::int32_t orderNumber, std::string& text, std::int32_t& dwell) override;

 private:
  std::filesystem::path folder_;
};

}  // namespace orvane
