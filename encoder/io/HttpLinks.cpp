#include "HttpLinks.h"

#include <algorithm>

namespace orvane {

HttpLinks::Link* HttpLinks::find(MHD_Connection* connection) {
  const auto found = links_.find(connection);
  return found == links_.end() ? nullptr : &found->second;
}

std::size_t HttpLinks::requests() const {
  return static_cast<std::size_t>(
      std::ranges::count_if(links_, [](const auto& entry) { return !entry.second.stream; }));
}

std::size_t HttpLinks::requestsFrom(const std::string& peer) const {
  return static_cast<std::size_t>(std::ranges::count_if(links_, [&peer](const auto& entry) {
    return !entry.second.stream && entry.second.peer == peer;
  }));
}

std::optional<std::int64_t> HttpLinks::nextDeadline() const {
  std::optional<std::int64_t> next;
  for (const auto& [connection, link] : links_) {
    if (link.deadline && (!next || *link.deadline < *next)) next = link.deadline;
  }
  return next;
}

std::vector<HttpLinks::Link> HttpLinks::takeOverdue(std::int64_t nowMicros) {
  std::vector<Link> overdue;
  for (auto& [connection, link] : links_) {
    if (!link.deadline || *link.deadline > nowMicros) continue;
    link.deadline.reset();
    overdue.push_back(link);
  }
  return overdue;
}

}  // namespace orvane
