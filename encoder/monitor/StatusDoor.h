#pragma once

#include "HttpServer.h"
#include "StatusMonitor.h"

namespace orvane {

// Puts the status page, /status, /events and /metrics on the HTTP door, and the monitor's news
// on its event streams. Called before the door opens; both must outlive the loop.
void attachStatus(HttpServer& http, StatusMonitor& monitor);
// The monitor no longer looks at a door a reload closed.
void detachStatus(StatusMonitor& monitor);

}  // namespace orvane
