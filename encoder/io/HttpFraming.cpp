#include "HttpFraming.h"

#include <algorithm>

namespace orvane {
namespace {

std::string_view trimmed(std::string_view text) {
  const auto start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

bool caselessEqual(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

// The one length a Content-Length value gives: digits, or a list of the same digits repeated
// (which a proxy may make of two equal fields). Empty when it gives none or several.
std::string lengthOf(std::string_view value) {
  std::string length;
  while (true) {
    const auto comma = value.find(',');
    const std::string_view item = trimmed(value.substr(0, comma));
    if (item.empty() || !std::ranges::all_of(item, [](char c) { return c >= '0' && c <= '9'; })) {
      return {};
    }
    if (!length.empty() && length != item) return {};
    length = item;
    if (comma == std::string_view::npos) return length;
    value.remove_prefix(comma + 1);
  }
}

}  // namespace

std::optional<std::string> framingFault(const HttpHeaderFields& fields, std::string_view version) {
  std::vector<std::string_view> codings;
  std::string length;
  bool hasLength = false;
  for (const auto& [name, value] : fields) {
    if (name == "transfer-encoding") codings.push_back(value);
    if (name != "content-length") continue;
    const std::string given = lengthOf(value);
    if (given.empty()) return "Content-Length inválido";
    if (hasLength && given != length) return "dois Content-Length diferentes";
    length = given;
    hasLength = true;
  }
  if (codings.empty()) return std::nullopt;
  if (hasLength) return "Content-Length e Transfer-Encoding juntos";
  if (codings.size() > 1) return "Transfer-Encoding repetido";
  if (version == "HTTP/1.0") return "Transfer-Encoding em HTTP/1.0";
  // The only coding this door reads; any other, or chunked under another, leaves the end unknown.
  if (!caselessEqual(trimmed(codings.front()), "chunked")) return "Transfer-Encoding não é chunked";
  return std::nullopt;
}

}  // namespace orvane
