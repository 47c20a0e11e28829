#include "HttpAccess.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orvane {
namespace {

constexpr std::string_view kBearer = "bearer ";

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
      std::string_view token(found->second);
      token.remove_prefix(kBearer.size());
      const auto start = token.find_first_not_of(' ');
      return start == std::string_view::npos ? std::string{} : std::string(token.substr(start));
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
