#include "StatusPages.h"

#include <array>
#include <utility>

#include "MetricsText.h"
#include "StatusJson.h"
#include "WebPage.h"

namespace orvane {
namespace {

struct PageFile {
  std::string_view path;
  std::string_view contentType;
  std::string_view body;
};

constexpr std::array<PageFile, 3> kPageFiles = {{
    {"/", "text/html; charset=utf-8", web::k_index_html},
    {"/style.css", "text/css; charset=utf-8", web::k_style_css},
    {"/app.js", "text/javascript; charset=utf-8", web::k_app_js},
}};

constexpr int kNotFound = 404;

// The page runs its own script and style and talks to its own door, nothing else: a text from
// the air that slipped past textContent still could not run, and no other site may frame the
// page to make an operator click on it.
constexpr std::string_view kPagePolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
    "img-src 'self' data:; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

}  // namespace

HttpResponse statusPageFile(std::string_view path) {
  for (const PageFile& file : kPageFiles) {
    if (file.path == path) {
      return {200,
              std::string(file.contentType),
              std::string(file.body),
              {{"Content-Security-Policy", std::string(kPagePolicy)}, {"X-Frame-Options", "DENY"}}};
    }
  }
  return {kNotFound, "text/plain; charset=utf-8", "não existe\n"};
}

HttpResponse statusAnswer(const StatusSnapshot& status) {
  return {200, "application/json", statusJson(status)};
}

HttpResponse metricsAnswer(const StatusSnapshot& status) {
  return {200, "text/plain; version=0.0.4; charset=utf-8", metricsText(status)};
}

// The data is one line (the status JSON is), so one "data:" field carries it whole.
std::string serverSentEvent(std::string_view name, std::string_view data) {
  std::string event = "event: " + std::string(name) + "\ndata: ";
  for (char c : data) event += c == '\n' ? std::string("\ndata: ") : std::string(1, c);
  return event + "\n\n";
}

}  // namespace orvane
