#include "Windows1252.h"

#include "Cp1252.h"

namespace orvane {
namespace {

constexpr char32_t kFirstC1Control = 0x80;
constexpr char32_t kLastC1Control = 0x9F;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

// The console keeps the undefined bytes as C1 controls so that a file survives a round trip;
// the server's text goes to a terminal, where a C1 control is a command, so it shows U+FFFD.
std::string utf8FromWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char byte : bytes) {
    const char32_t codePoint = codePointOfCp1252(static_cast<unsigned char>(byte));
    const bool control = codePoint >= kFirstC1Control && codePoint <= kLastC1Control;
    out += control ? std::string(kReplacementUtf8) : utf8FromCp1252(std::string_view(&byte, 1));
  }
  return out;
}

std::string windows1252FromUtf8(std::string_view utf8) {
  return cp1252FromUtf8(utf8);
}

}  // namespace orvane
