#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "AirLog.h"
#include "AutomationDesk.h"
#include "PollTask.h"
#include "StreamStatusJson.h"

namespace orvane {

// Many stations have no playout that talks to the encoder, only the stream server's own idea of
// what is playing. This door asks an Icecast (or a Shoutcast v2) for it every kInterval and puts
// a new song on air, through libcurl's multi interface driven by the poll loop: curl says which
// sockets and which deadline it waits for, the loop waits, curl does its part of the transfer.
// A server that is down or answers something else is logged once, until it answers again, and
// the air keeps what it has meanwhile. The same song polled again is no new song, so a text put
// on air by someone else in the meantime stays.
class StreamStatusDoor : public PollTask {
 public:
  static constexpr std::chrono::seconds kInterval{5};
  static constexpr std::chrono::milliseconds kConnectTimeout{2000};
  static constexpr std::chrono::milliseconds kTotalTimeout{4000};  // within one interval
  static constexpr std::size_t kMaxBody = 256 * 1024;  // a status with hundreds of mounts
  static constexpr long kMaxRedirects = 3;

  using Clock = std::function<std::int64_t()>;  // monotonic microseconds

  // `url` as given: a server's base ("http://radio:8000"), or its status page itself.
  StreamStatusDoor(std::string url, std::string mount, AutomationDesk& desk, AirLog& log,
                   Clock clock = {});
  ~StreamStatusDoor() override;
  StreamStatusDoor(const StreamStatusDoor&) = delete;
  StreamStatusDoor& operator=(const StreamStatusDoor&) = delete;

  [[nodiscard]] bool open(std::string& error);

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

 private:
  struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
  };
  struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
  };

  static int onSocket(CURL* easy, curl_socket_t socket, int what, void* door, void* perSocket);
  static int onTimer(CURLM* multi, long timeoutMs, void* door);
  static std::size_t onBody(char* bytes, std::size_t size, std::size_t count, void* door);

  void start();
  void finished(CURLcode code);
  void take(const StreamStatus& status);
  void problem(const std::string& reason);

  bool shoutcast_ = false;  // set by the URL's reading, so it is made before the URL
  std::string url_;
  std::string mount_;
  std::string name_;  // "Icecast 10.0.0.9:8000", for the log
  AutomationDesk& desk_;
  AirLog& log_;
  Clock clock_;
  std::unique_ptr<CURLM, MultiDeleter> multi_;
  std::unique_ptr<CURL, EasyDeleter> easy_;  // the transfer under way, if any
  std::map<curl_socket_t, short> sockets_;   // what curl waits for on each
  std::optional<std::int64_t> curlDeadline_;
  std::int64_t nextPoll_ = 0;
  std::string body_;
  bool overlong_ = false;
  bool failing_ = false;
  std::optional<NowPlaying> lastSong_;
};

// The URL to poll for `url` as given: Shoutcast's stats when it names /stats (in JSON), else
// Icecast's /status-json.xsl under the given base unless the URL names a page already.
[[nodiscard]] std::string streamStatusUrl(std::string_view url, bool& shoutcast);

}  // namespace orvane
