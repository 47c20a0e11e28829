#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AcceptPause.h"
#include "AutomationDesk.h"
#include "FileDescriptor.h"
#include "LineAssembler.h"
#include "PollTask.h"

namespace orvane {

// The answer to one line of the line door: "+" when it went on air, "! reason" when not,
// "KEY=value" for a read, each line ended by a line feed; "??" ends its list with "+". The
// refusal, when there was one, is kept beside the reply for a door that tells no one but the log.
struct LineAnswer {
  std::string reply;  // empty for a blank line
  std::optional<Refusal> refusal;
};
[[nodiscard]] LineAnswer answerDoorLine(AutomationDesk& desk, std::string_view line,
                                        std::string_view source);

// A refusal as the line door's clients read it: "! reason" and its line feed.
[[nodiscard]] std::string lineRefusal(const Refusal& refusal);

// KEY=value lines from playouts, over TCP (answered, several clients) and UDP (one way) on the
// same port. Each client is read and answered without blocking; one that floods with lines and
// never reads the answers, or comes beyond kMaxClients, is shown the door.
class LineDoor : public PollTask {
 public:
  static constexpr std::size_t kMaxClients = 8;
  static constexpr std::size_t kMaxUnsentBytes = 16 * 1024;
  static constexpr std::size_t kMaxDatagram = 2048;
  // Datagrams read in one turn of the loop, so that a flood on UDP cannot starve the other
  // doors, the console and the signal; the rest wait for the next turn.
  static constexpr int kMaxDatagramsPerTurn = 64;

  LineDoor(AutomationDesk& desk, AirLog& log);

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

  AutomationDesk& desk_;
  AirLog& log_;
  FileDescriptor listener_;
  FileDescriptor datagrams_;
  std::uint16_t port_ = 0;
  std::vector<Client> clients_;
  AcceptPause acceptPause_;
};

}  // namespace orvane
