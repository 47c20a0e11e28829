#pragma once

#include <array>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

// One HTTP request as a handler of the encoder's HTTP door sees it: the server has already
// bounded its size, checked its token and decoded its query, so a handler is a pure function
// from this to an answer.
struct HttpRequest {
  std::string method;  // "GET", "POST", ...
  std::string path;    // without the query: "/nowplaying"
  std::multimap<std::string, std::string>
      query;                                   // decoded arguments of the URL, and of a form body
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;                            // as received, at most the server's bound
  std::string peer;                            // the client's address, for the log: "10.0.0.5"
};

struct HttpResponse {
  using Headers = std::vector<std::pair<std::string, std::string>>;

  // Not an aggregate, so that the handlers' {status, type, body} need not name the headers.
  HttpResponse(int status_ = 200, std::string contentType_ = "text/plain; charset=utf-8",
               std::string body_ = {}, Headers headers_ = {})
      : status(status_),
        contentType(std::move(contentType_)),
        body(std::move(body_)),
        headers(std::move(headers_)) {}

  int status;
  std::string contentType;
  std::string body;
  Headers headers;  // beyond those every answer has
};

// On every answer, streams included: a browser must not guess another type than the one given
// (a text from the air read as a script), tell another site where its user came from, or keep
// the air's values in a cache for whoever uses the machine next.
inline constexpr std::array<std::pair<const char*, const char*>, 3> kProtectiveHeaders = {{
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"},
    {"Cache-Control", "no-store"},
}};

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

}  // namespace orvane
