#include "UecpListener.h"

#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "Listener.h"
#include "NonBlocking.h"

namespace orvane {
namespace {

constexpr std::size_t kReadChunk = 4096;

}  // namespace

UecpListener::UecpListener(FileDescriptor listener, EncoderState& state, AirLog& log,
                           UecpAddress own, UecpTextMemory* texts)
    : listener_(std::move(listener)), state_(state), log_(log), own_(own), texts_(texts) {}

PollTask::Wait UecpListener::wait() {
  Wait wait;
  wait.fds.push_back({acceptPause_.pollFd(listener_.get()), POLLIN, 0});
  wait.timeoutMs = acceptPause_.leftMs();
  for (const auto& client : clients_) {
    const short events = static_cast<short>(POLLIN | (client->unsent.empty() ? 0 : POLLOUT));
    wait.fds.push_back({client->socket.get(), events, 0});
  }
  return wait;
}

bool UecpListener::service(std::span<const pollfd> polled) {
  for (std::size_t i = 0; i < clients_.size() && i + 1 < polled.size(); ++i) {
    const short revents = polled[i + 1].revents;
    if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0) read(*clients_[i]);
    if (!clients_[i]->gone && (revents & POLLOUT) != 0) flush(*clients_[i]);
  }
  std::erase_if(clients_, [](const auto& client) { return client->gone; });
  if (!polled.empty() && polled[0].revents != 0) accept();
  return true;
}

// A client beyond the limit is closed at once: it is told nothing, since UECP has no word for it,
// and the log says why.
void UecpListener::accept() {
  FileDescriptor socket(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!socket.valid()) {
    if (!wouldBlock() && errno != ECONNABORTED) acceptPause_.start();
    return;
  }
  std::string peer = peerName(socket.get());
  if (clients_.size() >= kMaxClients) {
    log_.writeAboutPeer("UECP recusado " + peer + ": clientes a mais");
    return;
  }
  const int yes = 1;
  setsockopt(socket.get(), SOL_SOCKET, SO_KEEPALIVE, &yes, sizeof yes);
  log_.writeAboutPeer("UECP cliente ligado: " + peer);
  clients_.push_back(std::make_unique<Client>(Client{
      std::move(socket), UecpSession(state_, log_, own_, std::move(peer), texts_), {}, false}));
}

void UecpListener::read(Client& client) {
  std::array<char, kReadChunk> buffer;
  const ssize_t got = recv(client.socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
  if (got < 0 && wouldBlock()) return;
  if (got <= 0) {
    end(client);
    return;
  }
  const std::optional<OnAirState> before = ledger_ ? std::optional(state_.onAir()) : std::nullopt;
  const std::string answers =
      client.session.receive({buffer.data(), static_cast<std::size_t>(got)});
  if (before && *before != state_.onAir()) {
    ledger_->record(ChangeSource::Uecp, client.session.peer());
  }
  if (client.unsent.size() + answers.size() <= kMaxUnsentAnswers) client.unsent += answers;
  flush(client);
}

void UecpListener::flush(Client& client) {
  while (!client.unsent.empty()) {
    const ssize_t sent =
        send(client.socket.get(), client.unsent.data(), client.unsent.size(), kSendFlags);
    if (sent < 0 && wouldBlock()) return;
    if (sent <= 0) {
      end(client);
      return;
    }
    client.unsent.erase(0, static_cast<std::size_t>(sent));
  }
}

void UecpListener::end(Client& client) {
  std::string line = "UECP cliente saiu: " + client.session.peer();
  if (client.session.refused() > 0) {
    line += " (" + std::to_string(client.session.refused()) + " tramas recusadas)";
  }
  if (client.session.midFrame()) line += " (a meio de uma trama, descartada)";
  log_.writeAboutPeer(line);
  client.gone = true;
}

}  // namespace orvane
