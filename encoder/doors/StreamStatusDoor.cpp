#include "StreamStatusDoor.h"

#include <algorithm>
#include <climits>
#include <span>

#include "SystemClock.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr long kHttpOk = 200;
constexpr std::string_view kIcecastStatus = "/status-json.xsl";

std::int64_t micros(std::chrono::milliseconds time) {
  return std::chrono::duration_cast<std::chrono::microseconds>(time).count();
}

// Scheme and host without any user or password, which the log must not show.
std::string serverOf(std::string_view url) {
  const auto scheme = url.find("://");
  if (scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
  url = url.substr(0, url.find_first_of("/?#"));
  const auto at = url.rfind('@');
  return std::string(at == std::string_view::npos ? url : url.substr(at + 1));
}

bool sameSong(const NowPlaying& a, const NowPlaying& b) {
  return std::tie(a.artist, a.title, a.text) == std::tie(b.artist, b.title, b.text);
}

}  // namespace

std::string streamStatusUrl(std::string_view url, bool& shoutcast) {
  std::string out(url);
  // Only the path says which server it is: a host may well be called stats.example.org.
  const auto scheme = url.find("://");
  const auto path = url.find('/', scheme == std::string_view::npos ? 0 : scheme + 3);
  shoutcast = path != std::string_view::npos && url.substr(path).starts_with("/stats");
  if (shoutcast) {
    if (url.find("json=1") == std::string_view::npos) {
      out += url.find('?') == std::string_view::npos ? "?json=1" : "&json=1";
    }
    return out;
  }
  if (url.find(kIcecastStatus) != std::string_view::npos) return out;
  while (out.ends_with('/')) out.pop_back();
  return out + std::string(kIcecastStatus);
}

StreamStatusDoor::StreamStatusDoor(std::string url, std::string mount, AutomationDesk& desk,
                                   AirLog& log, Clock clock)
    : shoutcast_(false),
      url_(streamStatusUrl(url, shoutcast_)),
      mount_(std::move(mount)),
      name_(std::string(shoutcast_ ? "Shoutcast " : "Icecast ") + serverOf(url)),
      desk_(desk),
      log_(log),
      clock_(clock ? std::move(clock) : Clock(monotonicMicros)) {}

StreamStatusDoor::~StreamStatusDoor() {
  if (easy_) curl_multi_remove_handle(multi_.get(), easy_.get());
}

bool StreamStatusDoor::open(std::string& error) {
  if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    error = "--icecast: a biblioteca curl não arrancou";
    return false;
  }
  multi_.reset(curl_multi_init());
  if (!multi_) {
    error = "--icecast: a biblioteca curl não arrancou";
    return false;
  }
  curl_multi_setopt(multi_.get(), CURLMOPT_SOCKETFUNCTION, &StreamStatusDoor::onSocket);
  curl_multi_setopt(multi_.get(), CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_.get(), CURLMOPT_TIMERFUNCTION, &StreamStatusDoor::onTimer);
  curl_multi_setopt(multi_.get(), CURLMOPT_TIMERDATA, this);
  nextPoll_ = clock_();
  return true;
}

int StreamStatusDoor::onSocket(CURL*, curl_socket_t socket, int what, void* door, void*) {
  auto& sockets = static_cast<StreamStatusDoor*>(door)->sockets_;
  if (what == CURL_POLL_REMOVE) {
    sockets.erase(socket);
  } else {
    sockets[socket] = static_cast<short>(((what & CURL_POLL_IN) != 0 ? POLLIN : 0) |
                                         ((what & CURL_POLL_OUT) != 0 ? POLLOUT : 0));
  }
  return 0;
}

int StreamStatusDoor::onTimer(CURLM*, long timeoutMs, void* door) {
  auto* self = static_cast<StreamStatusDoor*>(door);
  if (timeoutMs < 0) {
    self->curlDeadline_.reset();
  } else {
    self->curlDeadline_ = self->clock_() + timeoutMs * kMicrosPerMilli;
  }
  return 0;
}

// Returning less than was given makes curl end the transfer: a status that big is no status.
std::size_t StreamStatusDoor::onBody(char* bytes, std::size_t size, std::size_t count, void* door) {
  auto* self = static_cast<StreamStatusDoor*>(door);
  const std::size_t length = size * count;
  if (self->body_.size() + length > kMaxBody) {
    self->overlong_ = true;
    return 0;
  }
  self->body_.append(bytes, length);
  return length;
}

PollTask::Wait StreamStatusDoor::wait() {
  Wait wait;
  if (!multi_) return wait;
  for (const auto& [socket, events] : sockets_) wait.fds.push_back({socket, events, 0});
  const std::int64_t deadline = easy_ ? curlDeadline_.value_or(INT64_MAX) : nextPoll_;
  if (deadline == INT64_MAX) return wait;
  const std::int64_t left = std::max<std::int64_t>(0, deadline - clock_());
  wait.timeoutMs = static_cast<int>(
      std::min<std::int64_t>(INT_MAX, (left + kMicrosPerMilli - 1) / kMicrosPerMilli));
  return wait;
}

bool StreamStatusDoor::service(std::span<const pollfd> polled) {
  if (!multi_) return true;
  int running = 0;
  for (const pollfd& fd : polled) {
    if (fd.revents == 0) continue;
    const int mask = ((fd.revents & POLLIN) != 0 ? CURL_CSELECT_IN : 0) |
                     ((fd.revents & POLLOUT) != 0 ? CURL_CSELECT_OUT : 0) |
                     ((fd.revents & (POLLERR | POLLHUP)) != 0 ? CURL_CSELECT_ERR : 0);
    curl_multi_socket_action(multi_.get(), fd.fd, mask, &running);
  }
  if (curlDeadline_ && clock_() >= *curlDeadline_) {
    curlDeadline_.reset();
    curl_multi_socket_action(multi_.get(), CURL_SOCKET_TIMEOUT, 0, &running);
  }
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_.get()) {
      finished(message->data.result);
    }
  }
  if (!easy_ && clock_() >= nextPoll_) start();
  return true;
}

void StreamStatusDoor::start() {
  nextPoll_ = clock_() + micros(kInterval);
  easy_.reset(curl_easy_init());
  if (!easy_) return problem("a biblioteca curl não abriu um pedido");
  CURL* easy = easy_.get();
  body_.clear();
  overlong_ = false;
  curl_easy_setopt(easy, CURLOPT_URL, url_.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(kConnectTimeout.count()));
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(kTotalTimeout.count()));
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "orvane-encoder");
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &StreamStatusDoor::onBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  if (curl_multi_add_handle(multi_.get(), easy) != CURLM_OK) {
    easy_.reset();
    problem("a biblioteca curl não aceitou o pedido");
  }
}

void StreamStatusDoor::finished(CURLcode code) {
  long status = 0;
  curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status);
  curl_multi_remove_handle(multi_.get(), easy_.get());
  easy_.reset();
  if (overlong_) return problem("resposta com mais de " + std::to_string(kMaxBody) + " bytes");
  if (code != CURLE_OK) return problem(std::string("sem resposta: ") + curl_easy_strerror(code));
  if (status != kHttpOk) return problem("respondeu " + std::to_string(status));
  take(shoutcast_ ? readShoutcastStats(body_) : readIcecastStatus(body_, mount_));
}

void StreamStatusDoor::take(const StreamStatus& status) {
  if (const auto* error = std::get_if<std::string>(&status)) return problem(*error);
  if (failing_) log_.writeAboutPeer(name_ + ": responde de novo");
  failing_ = false;
  const auto& song = std::get<std::optional<NowPlaying>>(status);
  if (!song || (lastSong_ && sameSong(*lastSong_, *song))) return;
  lastSong_ = song;
  const auto outcome = desk_.song(*song, name_);
  if (outcome.kind == AutomationDesk::Outcome::Kind::Refused) {
    log_.writeAboutPeer(name_ + ": " + outcome.message);
  }
}

void StreamStatusDoor::problem(const std::string& reason) {
  if (failing_) return;
  failing_ = true;
  log_.writeAboutPeer(name_ + ": " + reason + "; o ar fica como está");
}

}  // namespace orvane
