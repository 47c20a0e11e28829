#include "EncoderServer.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <span>
#include <string>

#include "CommandParser.h"
#include "Listener.h"
#include "NonBlocking.h"

namespace orvane {
namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr std::size_t kLoopFds = 3;  // the stop signal, the listener and the client

// A peer whose host lost power or its network never says goodbye: the keepalive probes or the
// unacknowledged replies run out, and the place is free for the console when it comes back.
std::string leaveReason(bool failed) {
  if (failed && (errno == ETIMEDOUT || errno == EHOSTUNREACH || errno == ENETUNREACH)) {
    return "Cliente desligado, não responde há " + std::to_string(kDeadPeerSeconds) + " s";
  }
  return "Cliente saiu";
}

}  // namespace

EncoderServer::EncoderServer(FileDescriptor listener, int stopFd, EncoderState& state, AirLog& log,
                             bool echo, std::vector<PollTask*> tasks)
    : listener_(std::move(listener)),
      stopFd_(stopFd),
      state_(state),
      log_(log),
      echo_(echo),
      tasks_(std::move(tasks)) {
  tasks_.insert(tasks_.begin(), &log_);
}

std::uint16_t EncoderServer::port() const {
  return listener_.valid() ? localPort(listener_.get()) : 0;
}

void EncoderServer::replaceTasks(std::vector<PollTask*> tasks) {
  tasks.insert(tasks.begin(), &log_);
  nextTasks_ = std::move(tasks);
}

// The client is served before the listener is looked at, so that a console which closes and at
// once reconnects finds its old place already free. The tasks take their turns after the console,
// and never more than short ones, so that they cannot hold a command's reply back for long. The
// log's lines of a turn go out at its end, after the replies and the frames to UECP peers.
// What a command runs through up to its UECP frame is marked hot, to lie on few pages of code
// (docs/encoder.md, "Decisions"): a function added to that way should be marked too.
[[gnu::hot]] bool EncoderServer::run() {
  for (;;) {
    if (nextTasks_) {
      tasks_ = std::move(*nextTasks_);
      nextTasks_.reset();
    }
    // Unused entries must be -1: poll reports a hang-up even on an entry that asks for nothing,
    // so a 0 there (standard input, a finished pipe) would wake the loop at once, forever.
    std::vector<pollfd> fds{
        {stopFd_, POLLIN, 0}, {acceptPause_.pollFd(listener_.get()), POLLIN, 0}, {-1, 0, 0}};
    if (client_) {
      fds[2].fd = client_->socket.get();
      fds[2].events = static_cast<short>((client_->inputEnded ? 0 : POLLIN) |
                                         (client_->unsent.empty() ? 0 : POLLOUT));
    }
    const int timeoutMs = addTaskWaits(fds, acceptPause_.leftMs());
    if (poll(fds.data(), fds.size(), timeoutMs) < 0) {
      if (errno == EINTR) continue;
      log_.write(std::string("Servidor interrompido: ") + std::strerror(errno));
      return false;
    }
    if (fds[0].revents != 0) return true;
    const AirLog::Hold peersFirst(log_);
    if (client_ && fds[2].revents != 0) serveClient(fds[2].revents);
    if (fds[1].revents != 0) acceptPending();
    if (!serviceTasks(fds)) return true;
  }
}

// Each task's descriptors follow the loop's own three, in the order of the tasks; the earliest
// deadline wins.
int EncoderServer::addTaskWaits(std::vector<pollfd>& fds, int timeoutMs) {
  taskFdCounts_.clear();
  for (PollTask* task : tasks_) {
    PollTask::Wait wait = task->wait();
    fds.insert(fds.end(), wait.fds.begin(), wait.fds.end());
    taskFdCounts_.push_back(wait.fds.size());
    if (wait.timeoutMs >= 0 && (timeoutMs < 0 || wait.timeoutMs < timeoutMs)) {
      timeoutMs = wait.timeoutMs;
    }
  }
  return timeoutMs;
}

[[gnu::hot]] bool EncoderServer::serviceTasks(const std::vector<pollfd>& fds) {
  std::size_t first = kLoopFds;
  // Replaced tasks may be gone already.
  for (std::size_t i = 0; i < tasks_.size() && !nextTasks_; ++i) {
    const std::span<const pollfd> own(fds.data() + first, taskFdCounts_[i]);
    first += taskFdCounts_[i];
    if (!tasks_[i]->service(own)) return false;
  }
  return true;
}

void EncoderServer::acceptPending() {
  FileDescriptor socket(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!socket.valid()) {
    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) pauseAccepting();
    return;
  }
  acceptFailing_ = false;
  if (client_) {
    refuseBusy(std::move(socket));
    return;
  }
  detectDeadPeer(socket.get());
  std::string peer = peerName(socket.get());
  log_.writeAboutPeer("Cliente ligado: " + peer);
  client_.emplace(std::move(socket), std::move(peer), ClientSession(state_, log_, echo_));
}

// Logged once until a connection is accepted again: the cause lasts, and so would the lines.
void EncoderServer::pauseAccepting() {
  if (!acceptFailing_) {
    log_.write("Não foi possível aceitar ligações (" + std::string(std::strerror(errno)) +
               "); nova tentativa a cada " + std::to_string(AcceptPause::kLength.count()) + " s");
  }
  acceptFailing_ = true;
  acceptPause_.start();
}

// The refused client may already have sent something; reading it before the close keeps the
// kernel from answering with a reset that could destroy the reply before it is read.
void EncoderServer::refuseBusy(FileDescriptor socket) {
  // A few reads are enough for what a client sends before it hears the refusal.
  constexpr int kMaxDiscardReads = 16;
  const Refusal busy{Refusal::Kind::Busy, "servidor ocupado"};
  const std::string reply = consoleRefusal(busy) + "\n";
  log_.writeAboutPeer("Recusado " + peerName(socket.get()) + ": " + busy.text);
  [[maybe_unused]] auto sent = send(socket.get(), reply.data(), reply.size(), kSendFlags);
  shutdown(socket.get(), SHUT_WR);
  std::array<char, kReadChunk> discard;
  for (int i = 0;
       i < kMaxDiscardReads && recv(socket.get(), discard.data(), discard.size(), MSG_DONTWAIT) > 0;
       ++i) {
  }
}

[[gnu::hot]] void EncoderServer::serveClient(short events) {
  if (!client_->inputEnded && (events & (POLLIN | POLLHUP | POLLERR)) != 0) readFromClient();
  if (client_ && !client_->unsent.empty() && (events & POLLOUT) != 0) flushToClient();
  if (client_ && client_->inputEnded && (events & (POLLHUP | POLLERR)) != 0) {
    endClient("Cliente saiu");
  }
}

[[gnu::hot]] void EncoderServer::readFromClient() {
  std::array<char, kReadChunk> buffer;
  const ssize_t got = recv(client_->socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
  if (got < 0 && wouldBlock()) return;
  if (got <= 0) {
    client_->inputEnded = true;
    if (got < 0 || client_->unsent.empty()) endClient(leaveReason(got < 0));
    return;
  }
  client_->unsent += client_->session.receive({buffer.data(), static_cast<std::size_t>(got)});
  if (client_->session.takeAirChanged() && ledger_) {
    ledger_->record(ChangeSource::Console, client_->peer);
  }
  flushToClient();
  if (client_ && client_->unsent.size() > kMaxUnsentReplies) {
    endClient("Cliente desligado, não lê as respostas");
  }
}

[[gnu::hot]] void EncoderServer::flushToClient() {
  while (!client_->unsent.empty()) {
    const ssize_t sent =
        send(client_->socket.get(), client_->unsent.data(), client_->unsent.size(), kSendFlags);
    if (sent < 0 && wouldBlock()) return;
    if (sent <= 0) {
      endClient(leaveReason(sent < 0));
      return;
    }
    client_->unsent.erase(0, static_cast<std::size_t>(sent));
  }
  if (client_->inputEnded) endClient("Cliente saiu");
}

void EncoderServer::endClient(std::string_view reason) {
  std::string line = std::string(reason) + ": " + client_->peer;
  if (client_->session.midLine()) line += " (a meio de uma linha, descartada)";
  log_.writeAboutPeer(line);
  if (state_.discardPending()) log_.write("Descartado o que esperava por ENCODE");
  client_.reset();
}

}  // namespace orvane
