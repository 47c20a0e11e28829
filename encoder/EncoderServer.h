#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AcceptPause.h"
#include "AirLog.h"
#include "ChangeLedger.h"
#include "ClientSession.h"
#include "EncoderState.h"
#include "FileDescriptor.h"
#include "PollTask.h"

namespace orvane {

// The server loop: one listening socket, at most one client, everything non-blocking under one
// poll, so that no client can stall the server, whatever it sends or fails to read.
class EncoderServer {
 public:
  // Replies a client has not taken yet, at most. A client that lets more pile up is not reading
  // at all and is disconnected: dropping replies instead would hide errors from the operator, and
  // keeping the connection would hold the one client place for nobody.
  static constexpr std::size_t kMaxUnsentReplies = 64 * 1024;

  // `listener` is a listening socket, or invalid to serve no console; the loop runs until
  // `stopFd` becomes readable or one of `tasks` is over. The log is a task of the loop too.
  EncoderServer(FileDescriptor listener, int stopFd, EncoderState& state, AirLog& log, bool echo,
                std::vector<PollTask*> tasks = {});

  // False when the loop could not go on waiting (poll failed), which is a failure of the run, not
  // its end: the caller must not report it as success.
  [[nodiscard]] bool run();

  // Where the console's changes of what goes on air are recorded, with the client's address.
  void recordChanges(ChangeLedger& ledger) { ledger_ = &ledger; }
  [[nodiscard]] std::size_t clients() const { return client_ ? 1 : 0; }

  // A reload moves the listener: the console connected through the old one stays, as a session
  // stays when sshd's listener moves, since dropping it would take the operator off the air.
  void moveListener(FileDescriptor listener) { listener_ = std::move(listener); }
  [[nodiscard]] std::uint16_t port() const;
  // The tasks from the next turn on: a task may change them while this turn's are served, and
  // the ones it replaced are not looked at again.
  void replaceTasks(std::vector<PollTask*> tasks);

 private:
  struct Client {
    Client(FileDescriptor s, std::string p, ClientSession c)
        : socket(std::move(s)), peer(std::move(p)), session(std::move(c)) {}
    FileDescriptor socket;
    std::string peer;
    ClientSession session;
    std::string unsent;
    bool inputEnded = false;  // the client sent its last byte; stays until its replies are out
  };

  int addTaskWaits(std::vector<pollfd>& fds, int timeoutMs);
  bool serviceTasks(const std::vector<pollfd>& fds);
  void acceptPending();
  void pauseAccepting();
  void refuseBusy(FileDescriptor socket);
  void serveClient(short events);
  void readFromClient();
  void flushToClient();
  void endClient(std::string_view reason);

  FileDescriptor listener_;
  int stopFd_;
  EncoderState& state_;
  AirLog& log_;
  bool echo_;
  std::vector<PollTask*> tasks_;           // the log first
  std::vector<std::size_t> taskFdCounts_;  // how many of the polled descriptors each task gave
  std::optional<std::vector<PollTask*>> nextTasks_;
  std::optional<Client> client_;
  AcceptPause acceptPause_;
  bool acceptFailing_ = false;  // reported, and not accepted since
  ChangeLedger* ledger_ = nullptr;
};

}  // namespace orvane
