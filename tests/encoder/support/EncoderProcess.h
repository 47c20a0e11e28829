#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The whole program as a child process, and a client that speaks to it over loopback.
namespace orvane::test {

constexpr int kPatienceMs = 10000;  // any single wait longer than this is a failure

// Lines from a pipe or a socket, waiting with poll and a timeout rather than hanging.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}

  // The next line without its line feed; nothing on timeout or at the end.
  std::optional<std::string> next() {
    std::size_t end;
    while ((end = buffered_.find('\n')) == std::string::npos) {
      if (readMore() <= 0) return std::nullopt;
    }
    std::string line = buffered_.substr(0, end);
    buffered_.erase(0, end + 1);
    return line;
  }

  // Reads on to the end, a reset connection included; false on timeout.
  bool toEnd() {
    long got = 1;
    while (got > 0) got = readMore();
    return got == 0;
  }

 private:
  long readMore() {
    pollfd p{fd_, POLLIN, 0};
    char chunk[4096];
    const ssize_t got = poll(&p, 1, kPatienceMs) == 1 ? read(fd_, chunk, sizeof chunk) : -1;
    if (got > 0) buffered_.append(chunk, static_cast<std::size_t>(got));
    return got < 0 && errno == ECONNRESET ? 0 : got;
  }

  int fd_;
  std::string buffered_;
};

// The real orvane-encoder as a child process, keeping no state unless its arguments name a file,
// so that no test ever starts from another's air. Its log is on standard output, or on standard
// error when the signal goes to standard output, which then comes in through `signalFd()`. Its
// standard input has hung up, as at the end of a finished pipeline.
class EncoderProcess {
 public:
  enum class Log { OnStandardOutput, OnStandardError };

  // `inChild` runs in the child just before the program starts: limits, namespaces, redirections.
  explicit EncoderProcess(const std::vector<std::string>& args = {"--port", "0"},
                          Log log = Log::OnStandardOutput,
                          const std::function<void()>& inChild = {}) {
    std::vector<char*> argv{const_cast<char*>(ORVANE_ENCODER_PATH)};
    static char noState[] = "--no-state";
    const auto keeping = [](const std::string& arg) {
      return arg == "--state" || arg == "--no-state" || arg == "--commands";
    };
    if (std::ranges::none_of(args, keeping)) argv.push_back(noState);
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int logEnds[2], signalEnds[2], inputEnds[2];
    for (int* ends : {logEnds, signalEnds, inputEnds}) {
      if (pipe2(ends, O_CLOEXEC) != 0) return;
    }
    if ((pid_ = fork()) == 0) {
      dup2(inputEnds[0], STDIN_FILENO);
      dup2(logEnds[1], log == Log::OnStandardOutput ? STDOUT_FILENO : STDERR_FILENO);
      if (log == Log::OnStandardError) dup2(signalEnds[1], STDOUT_FILENO);
      if (inChild) inChild();
      execv(argv[0], argv.data());
      _exit(127);
    }
    for (int end : {logEnds[1], signalEnds[1], inputEnds[0], inputEnds[1]}) close(end);
    log_ = LineReader(logFd_ = logEnds[0]);
    signalFd_ = signalEnds[0];
  }

  ~EncoderProcess() {
    if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
    close(logFd_);
    closeSignal();
  }

  // Standard output when it carries the signal; closing it is its reader going away.
  [[nodiscard]] int signalFd() const { return signalFd_; }
  void closeSignal() {
    if (signalFd_ >= 0) close(std::exchange(signalFd_, -1));
  }

  [[nodiscard]] pid_t pid() const { return pid_; }

  // The port announced on the first line, whatever the address; 0 when none was.
  std::uint16_t port() {
    const std::string first = port_ == 0 ? log_.next().value_or("") : "";
    if (first.starts_with("orvane-encoder: a escutar em ")) {
      port_ = std::stoi(first.substr(first.rfind(':') + 1));
    }
    return static_cast<std::uint16_t>(port_);
  }

  std::optional<std::string> nextLine() { return log_.next(); }

  // The next log line, its time stamp cut off.
  std::optional<std::string> nextEvent() {
    auto line = log_.next();
    if (line) line->erase(0, std::string_view("2024-01-01 00:00:00  ").size());
    return line;
  }

  bool skipPast(std::string_view prefix) {
    for (auto event = nextEvent(); event; event = nextEvent()) {
      if (event->starts_with(prefix)) return true;
    }
    return false;
  }

  // The child lets go of the log only by exiting, so the end of the log is the wait.
  int waitForExit(int signal = 0) {
    if (signal != 0) kill(pid_, signal);
    int status = 0;
    if (pid_ <= 0 || !log_.toEnd() || waitpid(std::exchange(pid_, -1), &status, 0) < 0) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int logFd_ = -1, signalFd_ = -1, port_ = 0;
  LineReader log_{-1};
};

// A blocking loopback client; one with a small receive buffer fills it soon when it never reads.
class TestClient {
 public:
  explicit TestClient(std::uint16_t port, int receiveBuffer = 0, const char* address = "127.0.0.1")
      : socket_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)), replies_(socket_) {
    if (receiveBuffer > 0) setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof(int));
    const timeval patience{kPatienceMs / 1000, 0};
    setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    sockaddr_in server{AF_INET, htons(port), {}, {}};
    inet_pton(AF_INET, address, &server.sin_addr);
    connect(socket_, reinterpret_cast<sockaddr*>(&server), sizeof server);
  }
  ~TestClient() { close(socket_); }

  bool send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }
  std::optional<std::string> readLine() { return replies_.next(); }
  bool closedByServer() { return replies_.toEnd(); }
  [[nodiscard]] int fd() const { return socket_; }  // for a client that reads its own way

 private:
  int socket_;
  LineReader replies_;
};

}  // namespace orvane::test
