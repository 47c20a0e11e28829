#pragma once

#include <string>
#include <string_view>

#include "HttpMessage.h"

namespace orvane {

// Whether `given` is the shared secret `expected`. The time taken depends only on the length of
// `given`, never on how many of its first bytes are right, so a client timing the refusals
// learns nothing of the secret.
[[nodiscard]] bool sameSecret(std::string_view expected, std::string_view given);

// The token a request presents: "Authorization: Bearer TOKEN", or the password of
// "Authorization: Basic" (any user name), or else a `token=` argument of the URL (for playouts
// that can only fill in a URL). Empty when there is none.
[[nodiscard]] std::string presentedToken(const HttpRequest& request);

// Decodes an application/x-www-form-urlencoded body into `into`: '+' is a blank, %XX a byte.
// False, with nothing added, when an escape is malformed.
[[nodiscard]] bool decodeForm(std::string_view body, std::multimap<std::string, std::string>& into);

}  // namespace orvane
