#include "LineDoor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "Listener.h"
#include "NonBlocking.h"
#include "SystemClock.h"
#include "Windows1252.h"

namespace orvane {
namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr std::int64_t kMicrosPerMilli = 1000;

// The first byte is all that pira-style clients read, within a few seconds: "+" done, "!" a
// command the encoder does not take, "-" a value it does not take, "/" done in part.
char refusalMark(Refusal::Kind kind) {
  switch (kind) {
    case Refusal::Kind::InvalidValue:
      return '-';
    case Refusal::Kind::UnknownKey:
    case Refusal::Kind::NotOnAir:
    case Refusal::Kind::Busy:
      break;
  }
  return '!';
}

LineAnswer answerOf(const AutomationDesk::Outcome& outcome) {
  switch (outcome.kind) {
    case AutomationDesk::Outcome::Kind::OnAir:
      if (outcome.message.empty()) return {"+\n", std::nullopt};
      [[fallthrough]];
    case AutomationDesk::Outcome::Kind::Skipped:
      return {"+ " + outcome.message + "\n", std::nullopt};
    case AutomationDesk::Outcome::Kind::Partly:
      return {"/ " + outcome.message + "\n", std::nullopt};
    case AutomationDesk::Outcome::Kind::Refused:
      break;
  }
  return {lineRefusal(outcome.refusal), outcome.refusal};
}

std::string addressOf(const sockaddr_in& from) {
  char text[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
  return text;
}

}  // namespace

std::string lineRefusal(const Refusal& refusal) {
  return std::string{refusalMark(refusal.kind), ' '} + refusal.text + "\n";
}

LineAnswer answerDoorLine(AutomationDesk& desk, std::string_view line, std::string_view source) {
  const auto parsed = parseDoorLine(line);
  if (const auto* refusal = std::get_if<Refusal>(&parsed)) return {lineRefusal(*refusal), *refusal};
  const DoorLine& door = std::get<DoorLine>(parsed);
  switch (door.kind) {
    case DoorLine::Kind::Blank:
      return {};
    case DoorLine::Kind::Read:
      return {std::string(doorKeyName(door.key)) + "=" + desk.read(door.key) + "\n", std::nullopt};
    case DoorLine::Kind::ReadAll: {
      std::string all;
      for (DoorKey key : doorReadAllFields()) {
        all += std::string(doorKeyName(key)) + "=" + desk.read(key) + "\n";
      }
      return {all + "+\n", std::nullopt};
    }
    case DoorLine::Kind::Set:
      break;
  }
  return answerOf(desk.set({{door.key, door.value}}, source));
}

LineDoor::LineDoor(AutomationDesk& desk, AirLog& log, Clock clock)
    : desk_(desk), log_(log), clock_(clock ? std::move(clock) : Clock(monotonicMicros)) {}

// A song's field is answered "+" when it is gathered, and its song's own answer when it ends one.
LineAnswer LineDoor::answer(std::string_view line, const std::string& source) {
  const auto parsed = parseDoorLine(line);
  const auto* door = std::get_if<DoorLine>(&parsed);
  if (!door || door->kind != DoorLine::Kind::Set ||
      door->key->doorSyntax != DoorSyntax::SongField) {
    return answerDoorLine(desk_, line, source);
  }
  auto taken = songs_.take(source, door->key, door->value, clock_());
  if (const auto* refusal = std::get_if<Refusal>(&taken)) return {lineRefusal(*refusal), *refusal};
  const auto& ready = std::get<std::optional<SongLines::Ready>>(taken);
  if (!ready) return {"+\n", std::nullopt};
  return answerOf(desk_.song(ready->song, ready->source));
}

void LineDoor::putSongOnAir(const SongLines::Ready& ready) {
  const LineAnswer answered = answerOf(desk_.song(ready.song, ready.source));
  if (answered.refusal) {
    log_.writeAboutPeer("Linhas (" + ready.source + "): ! " + answered.refusal->text);
  }
}

// Opening again moves the door: the new sockets open before the old ones close, so that a port
// in use leaves the door where it was, and the clients of the old place are let go.
bool LineDoor::open(const std::string& address, std::uint16_t port, std::string& error) {
  FileDescriptor listener = listenOn(address, port, error);
  if (!listener.valid()) return false;
  const std::uint16_t bound = localPort(listener.get());
  FileDescriptor datagrams = bindDatagrams(address, bound, error);
  if (!datagrams.valid()) return false;
  listener_ = std::move(listener);
  datagrams_ = std::move(datagrams);
  port_ = bound;
  clients_.clear();
  return true;
}

PollTask::Wait LineDoor::wait() {
  Wait wait;
  wait.fds.push_back({acceptPause_.pollFd(listener_.get()), POLLIN, 0});
  wait.fds.push_back({datagrams_.get(), POLLIN, 0});
  for (const Client& client : clients_) {
    wait.fds.push_back({client.socket.get(),
                        static_cast<short>(POLLIN | (client.unsent.empty() ? 0 : POLLOUT)), 0});
  }
  wait.timeoutMs = acceptPause_.leftMs();
  if (const auto due = songs_.nextDue()) {
    const auto left = static_cast<int>(
        std::clamp<std::int64_t>((*due - clock_() + kMicrosPerMilli - 1) / kMicrosPerMilli, 0,
                                 SongLines::kQuietMicros / kMicrosPerMilli));
    wait.timeoutMs = wait.timeoutMs < 0 ? left : std::min(wait.timeoutMs, left);
  }
  return wait;
}

bool LineDoor::service(std::span<const pollfd> polled) {
  if (polled.size() < 2) return true;
  for (std::size_t i = 0; i + 2 < polled.size() && i < clients_.size(); ++i) {
    if (polled[i + 2].revents != 0) serve(clients_[i], polled[i + 2].revents);
  }
  std::erase_if(clients_, [](const Client& client) { return client.done; });
  if (polled[1].revents != 0) readDatagrams();
  if (polled[0].revents != 0) accept();
  for (const SongLines::Ready& ready : songs_.due(clock_())) putSongOnAir(ready);
  return true;
}

void LineDoor::accept() {
  FileDescriptor socket(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!socket.valid()) {
    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
      acceptPause_.start();
    }
    return;
  }
  const std::string peer = peerName(socket.get());
  if (clients_.size() >= kMaxClients) {
    const std::string busy = lineRefusal({Refusal::Kind::Busy, "demasiados clientes"});
    [[maybe_unused]] auto sent = send(socket.get(), busy.data(), busy.size(), kSendFlags);
    log_.writeAboutPeer("Linhas: recusado " + peer + ", demasiados clientes");
    return;
  }
  detectDeadPeer(socket.get());
  log_.writeAboutPeer("Linhas: cliente ligado " + peer);
  // Playouts written for hardware encoders end their lines with CR alone.
  clients_.push_back(
      {std::move(socket), peer, LineAssembler(LineAssembler::Ending::AnyOfCrLf), {}, false});
}

// Each datagram is whole lines; the last may lack its line feed.
void LineDoor::readDatagrams() {
  std::array<char, kMaxDatagram> buffer;
  for (int i = 0; i < kMaxDatagramsPerTurn; ++i) {
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t got = recvfrom(datagrams_.get(), buffer.data(), buffer.size(), MSG_TRUNC,
                                 reinterpret_cast<sockaddr*>(&from), &size);
    if (got < 0) return;
    const std::string source = "UDP " + addressOf(from);
    if (static_cast<std::size_t>(got) > buffer.size()) {
      log_.writeAboutPeer("Linhas: datagrama grande demais de " + source + ", ignorado");
      continue;
    }
    LineAssembler lines(LineAssembler::Ending::AnyOfCrLf);
    std::string_view bytes(buffer.data(), static_cast<std::size_t>(got));
    const bool ended = bytes.ends_with('\n') || bytes.ends_with('\r');
    for (const auto& piece : lines.feed(std::string(bytes) + (ended ? "" : "\n"))) {
      if (piece.kind == LineAssembler::Piece::Kind::Line) {
        // No one reads a datagram's answer: what was not done, in whole or in part, is logged.
        const LineAnswer answered = answer(piece.text, source);
        if (answered.refusal || answered.reply.starts_with('/')) {
          log_.writeAboutPeer("Linhas (" + source +
                              "): " + answered.reply.substr(0, answered.reply.size() - 1));
        }
      }
    }
  }
}

void LineDoor::serve(Client& client, short events) {
  if ((events & (POLLIN | POLLHUP | POLLERR)) != 0) {
    std::array<char, kReadChunk> buffer;
    const ssize_t got = recv(client.socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (got < 0 && wouldBlock()) return;
    if (got <= 0) {
      log_.writeAboutPeer("Linhas: cliente saiu " + client.peer);
      client.done = true;
      return;
    }
    const std::string source = "linhas " + client.peer.substr(0, client.peer.rfind(':'));
    for (const auto& piece : client.lines.feed({buffer.data(), static_cast<std::size_t>(got)})) {
      client.unsent +=
          piece.kind == LineAssembler::Piece::Kind::Overlong
              ? lineRefusal({Refusal::Kind::InvalidValue,
                             "linha com mais de " + std::to_string(LineAssembler::kMaxLineLength) +
                                 " bytes"})
              : answer(piece.text, source).reply;
    }
  }
  flush(client);
}

void LineDoor::flush(Client& client) {
  while (!client.unsent.empty() && !client.done) {
    const ssize_t sent =
        send(client.socket.get(), client.unsent.data(), client.unsent.size(), kSendFlags);
    if (sent < 0 && wouldBlock()) break;
    if (sent <= 0) {
      client.done = true;
      return;
    }
    client.unsent.erase(0, static_cast<std::size_t>(sent));
  }
  if (client.unsent.size() > kMaxUnsentBytes) {
    log_.writeAboutPeer("Linhas: desligado " + client.peer + ", não lê as respostas");
    client.done = true;
  }
}

}  // namespace orvane
