#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "AcceptPause.h"
#include "AirLog.h"
#include "ChangeLedger.h"
#include "EncoderState.h"
#include "FileDescriptor.h"
#include "PollTask.h"
#include "UecpSession.h"

namespace orvane {

// The UECP side door: a task of the server's poll loop that takes connections from automation
// systems and applies what they send to the on-air state, beside the console. Everything is
// non-blocking and bounded: a few clients at a time, each with a decoder of fixed size and at
// most a few kilobytes of answers waiting; answers a client does not read are dropped rather than
// kept, since UECP clients are often one-way by design and must not be cut off for it.
class UecpListener : public PollTask {
 public:
  static constexpr std::size_t kMaxClients = 8;
  static constexpr std::size_t kMaxUnsentAnswers = 4096;

  UecpListener(FileDescriptor listener, EncoderState& state, AirLog& log, UecpAddress own,
               UecpTextMemory* texts = nullptr);

  // Where the clients' changes of what goes on air are recorded, with their addresses.
  void recordChanges(ChangeLedger& ledger) { ledger_ = &ledger; }
  [[nodiscard]] std::size_t clients() const { return clients_.size(); }

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

 private:
  struct Client {
    FileDescriptor socket;
    UecpSession session;
    std::string unsent;
    bool gone = false;
  };

  void accept();
  void read(Client& client);
  void flush(Client& client);
  void end(Client& client);

  FileDescriptor listener_;
  AcceptPause acceptPause_;
  EncoderState& state_;
  AirLog& log_;
  UecpAddress own_;
  UecpTextMemory* texts_;
  std::vector<std::unique_ptr<Client>> clients_;
  ChangeLedger* ledger_ = nullptr;
};

}  // namespace orvane
