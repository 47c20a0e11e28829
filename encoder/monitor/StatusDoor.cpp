#include "StatusDoor.h"

#include "StatusJson.h"
#include "StatusPages.h"

namespace orvane {

void attachStatus(HttpServer& http, StatusMonitor& monitor) {
  for (const char* path : {"/", "/style.css", "/app.js"}) {
    http.route("GET", path,
               [](const HttpRequest& request) { return statusPageFile(request.path); });
  }
  http.route("GET", "/status",
             [&monitor](const HttpRequest&) { return statusAnswer(monitor.snapshot()); });
  http.route("GET", "/metrics",
             [&monitor](const HttpRequest&) { return metricsAnswer(monitor.snapshot()); });
  http.eventStream(
      "/events", [&monitor] { return serverSentEvent("status", statusJson(monitor.snapshot())); });
  monitor.addDoor("http", [&http] { return http.connections(); });
  monitor.setWatcher({
      [&http](const std::string& json) { http.publish(serverSentEvent("status", json)); },
      [&http] { http.publish(serverSentEvent("heartbeat", "{}")); },
  });
}

void detachStatus(StatusMonitor& monitor) {
  monitor.removeDoor("http");
  monitor.setWatcher({});
}

}  // namespace orvane
