#include "CommandFile.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <variant>

#include "CommandParser.h"
#include "FileDescriptor.h"
#include "LineAssembler.h"
#include "NonBlocking.h"

namespace orvane {
namespace {

bool applyLine(const LineAssembler::Piece& piece, EncoderState& state, AirLog& log,
               std::string& why) {
  if (piece.kind == LineAssembler::Piece::Kind::Overlong) {
    why = consoleRefusal(
        {Refusal::Kind::InvalidValue,
         "linha com mais de " + std::to_string(LineAssembler::kMaxLineLength) + " bytes"});
    return false;
  }
  if (piece.text.empty()) return true;
  const ParseResult result = parseCommand(piece.text);
  if (const auto* refusal = std::get_if<Refusal>(&result)) {
    why = consoleRefusal(*refusal);
    return false;
  }
  log.write(state.apply(std::get<Command>(result)));
  return true;
}

// Lines as they come, numbered for the error message.
class CommandLines {
 public:
  CommandLines(const std::string& name, EncoderState& state, AirLog& log)
      : name_(name), state_(state), log_(log) {}

  bool feed(std::string_view bytes, std::string& error) {
    for (const auto& piece : assembler_.feed(bytes)) {
      ++lineNumber_;
      std::string why;
      if (!applyLine(piece, state_, log_, why)) {
        error = name_ + ":" + std::to_string(lineNumber_) + ": " + why;
        return false;
      }
    }
    return true;
  }

  // A last line without its line feed is still a line, and the end is an ENCODE.
  bool finish(std::string& error) {
    if (assembler_.midLine() && !feed("\n", error)) return false;
    Command encode;
    encode.keyword = Keyword::Encode;
    log_.write(state_.apply(encode));
    return true;
  }

 private:
  const std::string& name_;
  EncoderState& state_;
  AirLog& log_;
  LineAssembler assembler_;
  int lineNumber_ = 0;
};

// Non-blocking, so that opening a named pipe does not wait for its writer where no signal can
// end the wait; poll waits for it instead.
FileDescriptor openInput(const std::string& path) {
  if (path == "-") return FileDescriptor(dup(STDIN_FILENO));
  return FileDescriptor(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

}  // namespace

LoadOutcome loadCommandFile(const std::string& path, int stopFd, EncoderState& state, AirLog& log,
                            std::string& error) {
  const FileDescriptor input = openInput(path);
  if (!input.valid()) {
    error = "não foi possível abrir " + path + ": " + std::strerror(errno);
    return LoadOutcome::Unreadable;
  }
  CommandLines lines(path, state, log);
  std::array<char, 4096> chunk;
  for (;;) {
    std::array<pollfd, 2> fds{{{input.get(), POLLIN, 0}, {stopFd, POLLIN, 0}}};
    if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) break;
    if (fds[1].revents != 0) return LoadOutcome::Stopped;
    const ssize_t got = fds[0].revents != 0 ? read(input.get(), chunk.data(), chunk.size()) : -1;
    if (got == 0) return lines.finish(error) ? LoadOutcome::Loaded : LoadOutcome::Refused;
    if (got > 0 && !lines.feed({chunk.data(), static_cast<std::size_t>(got)}, error)) {
      return LoadOutcome::Refused;
    }
    if (got < 0 && fds[0].revents != 0 && !wouldBlock()) break;
  }
  error = "não foi possível ler " + path + ": " + std::strerror(errno);
  return LoadOutcome::Unreadable;
}

}  // namespace orvane
