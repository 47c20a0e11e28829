#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace orvane {

// The Qt boundary of the console's text: records hold Windows-1252 bytes, widgets hold
// QString. Nothing else in the program converts.

QString qStringFromCp1252(std::string_view cp1252);

// A character the code page cannot hold becomes '?'. Edits never let the operator type one
// (EditValidator), so this only matters for text that did not come from the operator.
std::string cp1252FromQString(const QString& text);

// True when Windows-1252 has a byte for the code point.
bool fitsCp1252(char32_t codePoint);

}  // namespace orvane
