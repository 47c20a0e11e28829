#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AcceptPause.h"
#include "AutomationDesk.h"
#include "FileDescriptor.h"
#include "LineAssembler.h"
#include "PollTask.h"
#include "SongLines.h"

namespace orvane {

// The answer to one line of the line door, each ended by a line feed: "+" when it went on air,
// "/ what is not" when only in part, "! reason" for a command the door does not take and
// "- reason" for a value it does not take; "KEY=value" for a read, and "??" ends its list with
// "+". The refusal, when there was one, is kept beside the reply for a door that tells no one
// but the log.
struct LineAnswer {
  std::string reply;  // empty for a blank line
  std::optional<Refusal> refusal;
};
[[nodiscard]] LineAnswer answerDoorLine(AutomationDesk& desk, std::string_view line,
                                        std::string_view source);

// A refusal as the line door's clients read it: its mark ("!" or "-"), the reason, a line feed.
[[nodiscard]] std::string lineRefusal(const Refusal& refusal);

// KEY=value lines from playouts, over TCP (answered, several clients) and UDP (one way) on the
// same port. A song's fields on lines of their own are gathered (see SongLines) on the loop's
// clock, no thread. Each client is read and answered without blocking; one that floods with lines
// and never reads the answers, or comes beyond kMaxClients, is shown the door.
class LineDoor : public PollTask {
 public:
  static constexpr std::size_t kMaxClients = 8;
  static constexpr std::size_t kMaxUnsentBytes = 16 * 1024;
  static constexpr std::size_t kMaxDatagram = 2048;
  // Datagrams read in one turn of the loop, so that a flood on UDP cannot starve the other
  // doors, the console and the signal; the rest wait for the next turn.
  static constexpr int kMaxDatagramsPerTurn = 64;

  using Clock = std::function<std::int64_t()>;  // monotonic microseconds

  LineDoor(AutomationDesk& desk, AirLog& log, Clock clock = {});

  // Also to move an open door; false, with the door where it was, when the place is taken.
  [[nodiscard]] bool open(const std::string& address, std::uint16_t port, std::string& error);
  [[nodiscard]] std::uint16_t port() const { return port_; }

  [[nodiscard]] Wait wait() override;
  bool service(std::span<const pollfd> polled) override;

 private:
  struct Client {
    FileDescriptor socket;
    std::string peer;
    LineAssembler lines;
    std::string unsent;
    bool done = false;
  };

  void accept();
  void readDatagrams();
  void serve(Client& client, short events);
  void flush(Client& client);
  LineAnswer answer(std::string_view line, const std::string& source);
  void putSongOnAir(const SongLines::Ready& ready);

  AutomationDesk& desk_;
  AirLog& log_;
  FileDescriptor listener_;
  FileDescriptor datagrams_;
  std::uint16_t port_ = 0;
  std::vector<Client> clients_;
  AcceptPause acceptPause_;
  Clock clock_;
  SongLines songs_;
};

}  // namespace orvane
