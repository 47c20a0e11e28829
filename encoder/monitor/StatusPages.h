#pragma once

#include <string_view>

#include "HttpMessage.h"
#include "StatusSnapshot.h"

namespace orvane {

// The answers of the status door, as pure functions: the page's own files, the status and the
// metrics. What the door serves is fixed here, so that no path a client sends can reach a file.

// "/", "/style.css" or "/app.js"; 404 for any other path.
[[nodiscard]] HttpResponse statusPageFile(std::string_view path);
[[nodiscard]] HttpResponse statusAnswer(const StatusSnapshot& status);
[[nodiscard]] HttpResponse metricsAnswer(const StatusSnapshot& status);

// One server-sent event: its name and one line of data, as /events streams them.
[[nodiscard]] std::string serverSentEvent(std::string_view name, std::string_view data);

}  // namespace orvane
