#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// A request's header fields as they came, repeats and all, names in lower case.
using HttpHeaderFields = std::vector<std::pair<std::string, std::string>>;

// Why the length of a request's body is not beyond doubt, or nothing when it is. Any request
// that two readers could split in two different places (a proxy in front and this door behind
// it) is refused whole: both Content-Length and Transfer-Encoding, a second Transfer-Encoding,
// a coding other than chunked alone, Transfer-Encoding in HTTP/1.0, a Content-Length that is not
// a number or disagrees with another. Pure. The reason is UTF-8, for the log and the reply.
[[nodiscard]] std::optional<std::string> framingFault(const HttpHeaderFields& fields,
                                                      std::string_view version);

}  // namespace orvane
