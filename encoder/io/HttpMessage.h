#pragma once

#include <functional>
#include <map>
#include <string>

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
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
};

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

}  // namespace orvane
