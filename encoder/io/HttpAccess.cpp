#include "HttpAccess.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

namespace orvane {
namespace {

constexpr std::string_view kBearer = "bearer ";
constexpr std::string_view kBasic = "basic ";

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Base64 as HTTP Basic carries it; nothing for anything else.
std::optional<std::string> base64Decoded(std::string_view text) {
  while (text.ends_with('=')) text.remove_suffix(1);
  std::string out;
  unsigned bits = 0;
  int held = 0;
  for (char c : text) {
    const int value = base64Value(c);
    if (value < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<unsigned>(value);
    held += 6;
    if (held >= 8) {
      held -= 8;
      out.push_back(static_cast<char>((bits >> held) & 0xFF));
    }
  }
  return out;
}

std::string_view afterScheme(std::string_view value, std::size_t schemeSize) {
  value.remove_prefix(schemeSize);
  const auto start = value.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view{} : value.substr(start);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool decodeComponent(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out.push_back(' ');
    } else if (text[i] != '%') {
      out.push_back(text[i]);
    } else if (i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

bool startsCaseless(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c =
        text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool sameSecret(std::string_view expected, std::string_view given) {
  // Every byte of `given` is compared, against the secret repeated, so the loop's length is the
  // client's own; only the final length check tells a prefix apart.
  if (expected.empty()) return false;
  unsigned char difference = expected.size() == given.size() ? 0 : 1;
  for (std::size_t i = 0; i < given.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ expected[i % expected.size()]);
  }
  return difference == 0;
}

std::string presentedToken(const HttpRequest& request) {
  if (const auto found = request.headers.find("authorization"); found != request.headers.end()) {
    if (startsCaseless(found->second, kBearer)) {
      return std::string(afterScheme(found->second, kBearer.size()));
    }
    // Playouts that speak Basic put the token where the password goes; the user name is theirs.
    if (startsCaseless(found->second, kBasic)) {
      const auto pair = base64Decoded(afterScheme(found->second, kBasic.size()));
      const auto colon = pair ? pair->find(':') : std::string::npos;
      return colon == std::string::npos ? std::string{} : pair->substr(colon + 1);
    }
  }
  const auto argument = request.query.find("token");
  return argument == request.query.end() ? std::string{} : argument->second;
}

bool decodeForm(std::string_view body, std::multimap<std::string, std::string>& into) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::string key, value;
  while (!body.empty()) {
    const std::string_view pair = body.substr(0, body.find('&'));
    body.remove_prefix(std::min(body.size(), pair.size() + 1));
    if (pair.empty()) continue;
    const auto equals = pair.find('=');
    const std::string_view rawValue =
        equals == std::string_view::npos ? std::string_view{} : pair.substr(equals + 1);
    if (!decodeComponent(pair.substr(0, equals), key) || !decodeComponent(rawValue, value)) {
      return false;
    }
    pairs.emplace_back(key, value);
  }
  into.insert(pairs.begin(), pairs.end());
  return true;
}

}  // namespace orvane
