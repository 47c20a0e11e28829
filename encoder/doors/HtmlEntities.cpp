#include "HtmlEntities.h"

#include <array>
#include <charconv>
#include <optional>
#include <utility>

namespace orvane {
namespace {

// Longer than any reference decoded here ("&#x10FFFF;"), so a stray '&' costs little.
constexpr std::size_t kMaxReferenceLength = 10;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

constexpr std::array<std::pair<std::string_view, char32_t>, 6> kNamed = {{
    {"amp", U'&'},
    {"lt", U'<'},
    {"gt", U'>'},
    {"quot", U'"'},
    {"apos", U'\''},
    {"nbsp", U'\u00A0'},
}};

std::optional<char32_t> numbered(std::string_view digits) {
  int base = 10;
  if (digits.starts_with('x') || digits.starts_with('X')) {
    base = 16;
    digits.remove_prefix(1);
  }
  std::uint32_t value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() ||
      value == 0 || value > kMaxCodePoint || (value >= 0xD800 && value <= 0xDFFF)) {
    return std::nullopt;
  }
  return static_cast<char32_t>(value);
}

std::optional<char32_t> named(std::string_view name) {
  if (name.starts_with('#')) return numbered(name.substr(1));
  for (const auto& [known, character] : kNamed) {
    if (name == known) return character;
  }
  return std::nullopt;
}

void appendUtf8(char32_t c, std::string& out) {
  const auto byte = [&out](std::uint32_t value) { out.push_back(static_cast<char>(value)); };
  if (c < 0x80) {
    byte(c);
  } else if (c < 0x800) {
    byte(0xC0 | (c >> 6));
    byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    byte(0xE0 | (c >> 12));
    byte(0x80 | ((c >> 6) & 0x3F));
    byte(0x80 | (c & 0x3F));
  } else {
    byte(0xF0 | (c >> 18));
    byte(0x80 | ((c >> 12) & 0x3F));
    byte(0x80 | ((c >> 6) & 0x3F));
    byte(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string decodeHtmlEntities(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto amp = text.find('&');
    out += text.substr(0, amp);
    if (amp == std::string_view::npos) break;
    text.remove_prefix(amp);
    const auto semicolon = text.substr(0, kMaxReferenceLength + 2).find(';');
    const auto character =
        semicolon == std::string_view::npos ? std::nullopt : named(text.substr(1, semicolon - 1));
    if (character) {
      appendUtf8(*character, out);
      text.remove_prefix(semicolon + 1);
    } else {
      out.push_back('&');
      text.remove_prefix(1);
    }
  }
  return out;
}

}  // namespace orvane
