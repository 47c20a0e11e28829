#pragma once

#include <string>
#include <vector>

#include "DialogTemplate.h"

namespace orvane {

inline constexpr int kConsoleTemplateId = 102;

// The console window as its designer laid it out, in dialog units.
DialogTemplate consoleTemplate();

// The programme-type list (index = code 0..31) and the decoder-identification list (index =
// code 0..7), in the console's code page.
std::vector<std::string> programmeTypeNames();
std::vector<std::string> decoderIdNames();

}  // namespace orvane
