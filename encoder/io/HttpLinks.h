#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct MHD_Connection;

namespace orvane {

// The connections the HTTP door has open: whose they are, and by when the request each one is
// sending must be whole. A client that trickles its head a byte every few seconds is never
// silent, so an idle timeout alone would let it keep its place for ever; the deadline counts
// from the moment the connection may begin a request (opened, or its last answer sent) to the
// last byte of the body. Event streams have no deadline and are counted apart. Pure: the
// caller gives the time and does what is due.
class HttpLinks {
 public:
  struct Link {
    std::string peer;
    int fd = -1;
    std::optional<std::int64_t> deadline;  // none while answering, or for a stream
    bool stream = false;
  };

  void opened(MHD_Connection* connection, Link link) { links_[connection] = std::move(link); }
  void closed(MHD_Connection* connection) { links_.erase(connection); }
  [[nodiscard]] Link* find(MHD_Connection* connection);

  [[nodiscard]] std::size_t count() const { return links_.size(); }
  // Connections that are not event streams: requests, and those that may yet send one.
  [[nodiscard]] std::size_t requests() const;
  [[nodiscard]] std::size_t requestsFrom(const std::string& peer) const;

  [[nodiscard]] std::optional<std::int64_t> nextDeadline() const;
  // The links whose deadline is past at `nowMicros`; each is given once (its deadline cleared).
  [[nodiscard]] std::vector<Link> takeOverdue(std::int64_t nowMicros);

 private:
  std::unordered_map<MHD_Connection*, Link> links_;
};

}  // namespace orvane
