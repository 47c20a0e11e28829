#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
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
//
// Over UDP, as a network's head reaches its sites, there are no connections: each datagram is one
// whole frame, answered to where it came from, and each of the last few senders keeps its own
// conversation (its communication mode). A datagram that is not one whole frame is counted and
// dropped, never kept to be finished by the next.
class UecpListener : public PollTask {
 public:
  static constexpr std::size_t kMaxClients = 8;
  static constexpr std::size_t kMaxUnsentAnswers = 4096;
  static constexpr std::size_t kMaxDatagramsPerTurn = 64;  // so that a flood cannot hold the loop

  enum class Transport { Stream, Datagrams };

  // `listener` is a listening TCP socket, or for Datagrams a bound UDP one.
  UecpListener(FileDescriptor listener, EncoderState& state, AirLog& log, UecpAddress own,
               UecpTextMemory* texts = nullptr, Transport transport = Transport::Stream);

  // Where the clients' changes of what goes on air are recorded, with their addresses.
  void recordChanges(ChangeLedger& ledger) { ledger_ = &ledger; }
  // Connected clients, or over UDP the senders heard lately.
  [[nodiscard]] std::size_t clients() const {
    return transport_ == Transport::Stream ? clients_.size() : senders_.size();
  }
  // From now on listens on `listener`, of the same transport; the clients connected and the
  // senders heard stay, as a reload must not cut an automation system off.
  void moveTo(FileDescriptor listener) { listener_ = std::move(listener); }
  [[nodiscard]] int socket() const { return listener_.get(); }
  [[nodiscard]] Transport transport() const { return transport_; }
  [[nodiscard]] const UecpAddress& own() const { return own_; }
  // Datagrams dropped for not being one whole frame, since the start.
  [[nodiscard]] std::uint64_t droppedDatagrams() const { return droppedDatagrams_; }

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

 private:
  struct Client {
    FileDescriptor socket;
    UecpSession session;
    std::string unsent;
    bool gone = false;
  };

  struct Sender {
    sockaddr_in from{};
    UecpSession session;
    std::uint64_t heard = 0;  // the datagram count when it was last heard
  };

  void readDatagrams();
  void takeDatagram(std::string_view datagram, const sockaddr_in& from);
  Sender& senderFor(const sockaddr_in& from);
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
  Transport transport_;
  std::vector<std::unique_ptr<Sender>> senders_;
  std::uint64_t datagrams_ = 0;
  std::uint64_t droppedDatagrams_ = 0;
  ChangeLedger* ledger_ = nullptr;
};

}  // namespace orvane
