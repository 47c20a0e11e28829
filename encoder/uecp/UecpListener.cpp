#include "UecpListener.h"

#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "Listener.h"
#include "NonBlocking.h"
#include "UecpDatagram.h"

namespace orvane {
namespace {

constexpr std::size_t kReadChunk = 4096;
// The longest frame, every byte of its body stuffed, with its start and stop; one byte more tells
// a datagram too long for a frame from one that just fits.
constexpr std::size_t kMaxDatagram = 2 * kMaxUecpFrameBody + 2 + 1;

bool sameSender(const sockaddr_in& a, const sockaddr_in& b) {
  return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

}  // namespace

UecpListener::UecpListener(FileDescriptor listener, EncoderState& state, AirLog& log,
                           UecpAddress own, UecpTextMemory* texts, Transport transport)
    : listener_(std::move(listener)),
      state_(state),
      log_(log),
      own_(own),
      texts_(texts),
      transport_(transport) {}

PollTask::Wait UecpListener::wait() {
  Wait wait;
  if (transport_ == Transport::Datagrams) {
    wait.fds.push_back({listener_.get(), POLLIN, 0});
    return wait;
  }
  wait.fds.push_back({acceptPause_.pollFd(listener_.get()), POLLIN, 0});
  wait.timeoutMs = acceptPause_.leftMs();
  for (const auto& client : clients_) {
    const short events = static_cast<short>(POLLIN | (client->unsent.empty() ? 0 : POLLOUT));
    wait.fds.push_back({client->socket.get(), events, 0});
  }
  return wait;
}

bool UecpListener::service(std::span<const pollfd> polled) {
  if (transport_ == Transport::Datagrams) {
    if (!polled.empty() && polled[0].revents != 0) readDatagrams();
    return true;
  }
  for (std::size_t i = 0; i < clients_.size() && i + 1 < polled.size(); ++i) {
    const short revents = polled[i + 1].revents;
    if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0) read(*clients_[i]);
    if (!clients_[i]->gone && (revents & POLLOUT) != 0) flush(*clients_[i]);
  }
  std::erase_if(clients_, [](const auto& client) { return client->gone; });
  if (!polled.empty() && polled[0].revents != 0) accept();
  return true;
}

void UecpListener::readDatagrams() {
  std::array<char, kMaxDatagram> buffer;
  for (std::size_t i = 0; i < kMaxDatagramsPerTurn; ++i) {
    sockaddr_in from{};
    socklen_t size = sizeof from;
    // MSG_TRUNC gives the datagram's whole length, so one longer than the buffer is known as such.
    const ssize_t got =
        recvfrom(listener_.get(), buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC,
                 reinterpret_cast<sockaddr*>(&from), &size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return;  // none waiting, or none to be had this turn
    ++datagrams_;
    const std::string_view datagram(buffer.data(),
                                    std::min(static_cast<std::size_t>(got), buffer.size()));
    if (static_cast<std::size_t>(got) > buffer.size() || !frameOfDatagram(datagram)) {
      ++droppedDatagrams_;
      log_.writeAboutPeer("UECP datagrama de " + addressName(from) +
                          " descartado: não é uma trama inteira (" +
                          std::to_string(droppedDatagrams_) + " desde o início)");
      continue;
    }
    takeDatagram(datagram, from);
  }
}

// Answers a sender does not take are lost, as a datagram can be: nothing waits for them.
void UecpListener::takeDatagram(std::string_view datagram, const sockaddr_in& from) {
  Sender& sender = senderFor(from);
  sender.heard = datagrams_;
  const std::optional<OnAirState> before = ledger_ ? std::optional(state_.onAir()) : std::nullopt;
  const std::string answers = sender.session.receive(datagram);
  if (before && *before != state_.onAir()) {
    ledger_->record(ChangeSource::Uecp, sender.session.peer());
  }
  for (const std::string_view answer : datagramsOf(answers)) {
    sendto(listener_.get(), answer.data(), answer.size(), kSendFlags,
           reinterpret_cast<const sockaddr*>(&from), sizeof from);
  }
}

// The sender heard longest ago gives its place to a new one beyond the limit.
UecpListener::Sender& UecpListener::senderFor(const sockaddr_in& from) {
  const auto known = std::ranges::find_if(
      senders_, [&from](const auto& sender) { return sameSender(sender->from, from); });
  if (known != senders_.end()) return **known;
  if (senders_.size() >= kMaxClients) {
    senders_.erase(std::ranges::min_element(
        senders_, [](const auto& a, const auto& b) { return a->heard < b->heard; }));
  }
  std::string peer = addressName(from) + " (UDP)";
  log_.writeAboutPeer("UECP cliente: " + peer);
  senders_.push_back(std::make_unique<Sender>(
      Sender{from, UecpSession(state_, log_, own_, std::move(peer), texts_), datagrams_}));
  return *senders_.back();
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
