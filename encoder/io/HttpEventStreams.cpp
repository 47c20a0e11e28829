#include "HttpEventStreams.h"

#include <microhttpd.h>

#include <algorithm>
#include <cstring>

#include "HttpMessage.h"

namespace orvane {
namespace {

constexpr std::size_t kBlockBytes = 16 * 1024;

}  // namespace

struct HttpEventStreams::Stream {
  HttpEventStreams* owner;
  MHD_Connection* connection;
  std::string peer;
  std::string pending;
  std::size_t sent = 0;  // of `pending`
  bool suspended = false;
  bool ending = false;  // cut off or closing: the reply ends at the next read
};

HttpEventStreams::~HttpEventStreams() {
  for (Stream* stream : streams_) stream->owner = nullptr;
}

bool HttpEventStreams::room(const std::string& peer) const {
  const auto own =
      std::ranges::count_if(streams_, [&peer](const Stream* s) { return s->peer == peer; });
  return streams_.size() < maxStreams_ && static_cast<std::size_t>(own) < maxPerPeer_;
}

bool HttpEventStreams::open(MHD_Connection* connection, const std::string& peer,
                            std::string opening) {
  if (!room(peer)) return false;
  auto stream = std::make_unique<Stream>(Stream{this, connection, peer, std::move(opening)});
  MHD_Response* reply = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, kBlockBytes, &read,
                                                          stream.get(), &release);
  if (reply == nullptr) return false;
  MHD_add_response_header(reply, MHD_HTTP_HEADER_CONTENT_TYPE, "text/event-stream; charset=utf-8");
  for (const auto& [name, value] : kProtectiveHeaders) MHD_add_response_header(reply, name, value);
  streams_.push_back(stream.release());  // from here the reply owns it
  MHD_queue_response(connection, MHD_HTTP_OK, reply);
  MHD_destroy_response(reply);
  return true;
}

void HttpEventStreams::publish(std::string_view bytes) {
  for (Stream* stream : streams_) {
    if (stream->ending) continue;
    if (stream->pending.size() - stream->sent + bytes.size() > kMaxBacklogBytes) {
      stream->ending = true;
    } else {
      stream->pending.append(bytes);
    }
    wake(*stream);
  }
}

void HttpEventStreams::closeAll() {
  for (Stream* stream : streams_) {
    stream->ending = true;
    wake(*stream);
  }
}

void HttpEventStreams::wake(Stream& stream) {
  if (!stream.suspended) return;
  stream.suspended = false;
  MHD_resume_connection(stream.connection);
  woken_ = true;
}

// Called by the daemon whenever the connection can take more; with nothing to give, the
// connection sleeps until the next publish.
ssize_t HttpEventStreams::read(void* cls, std::uint64_t, char* buffer, std::size_t max) {
  auto& stream = *static_cast<Stream*>(cls);
  if (stream.ending || stream.owner == nullptr) return MHD_CONTENT_READER_END_OF_STREAM;
  const std::size_t count = std::min(max, stream.pending.size() - stream.sent);
  if (count == 0) {
    stream.pending.clear();
    stream.sent = 0;
    stream.suspended = true;
    MHD_suspend_connection(stream.connection);
    return 0;
  }
  std::memcpy(buffer, stream.pending.data() + stream.sent, count);
  stream.sent += count;
  return static_cast<ssize_t>(count);
}

void HttpEventStreams::release(void* cls) {
  auto* stream = static_cast<Stream*>(cls);
  if (stream->owner != nullptr) std::erase(stream->owner->streams_, stream);
  delete stream;
}

}  // namespace orvane
