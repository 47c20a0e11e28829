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
  // Runs without a control go across whole: the air log describes every change this way.
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char32_t codePoint = codePointOfCp1252(static_cast<unsigned char>(bytes[i]));
    if (codePoint >= kFirstC1Control && codePoint <= kLastC1Control) {
      out += utf8FromCp1252(bytes.substr(runStart, i - runStart));
      out += kReplacementUtf8;
      runStart = i + 1;
    }
  }
  out += utf8FromCp1252(bytes.substr(runStart));
  return out;
}

std::string windows1252FromUtf8(std::string_view utf8) {
  return cp1252FromUtf8(utf8);
}

}  // namespace orvane
