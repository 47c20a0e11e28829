// From the console's ENCODE to the last byte of its UECP frame at a peer, through the real
// encoder, against a bare relay that forwards the console's bytes to the peer untouched: the same
// two hops on loopback with nothing done between them. The encoder's log goes into a pipe that
// another process reads, as the journal does under systemd, so that its reader competes for the
// CPU as it does on a station's machine. A second relay waits as the encoder's loop does (poll,
// then a read that does not block), which parts the kernel's price of one loop for everything
// from the encoder's own work. A third relay waits so too and writes a log line after each
// forward into a pipe that a process of its own reads: what the log and its reader cost on their
// own. Rounds take turns among them all, so that load from elsewhere falls on each alike; each set
// of series gives one ratio of each kind.
// Given a number of code lines, a fourth relay waits as the loop does and then runs that many
// 64-byte lines of code, each once, between its read and its write: on a machine whose other
// processes take the caches, what a command costs beyond the loop is the code it brings back, and
// the encoder against that relay says how many lines' worth its path is. Given a number of pages
// (with or without code lines), that relay also reads a byte of each of that many 4 KiB pages of
// memory it already holds, 64 KiB apart as a program's code and data lie: on a virtual machine
// where the host, or the kernel's own memory monitor (DAMON), sweeps page mappings now and then
// (seen here: every 512 ms), the first touch of each page after that can cost microseconds, and
// the 99th percentile is then set by how many pages a command's path touches, not by the work done
// on them.
// With ORVANE_BENCH_BASELINE naming an earlier build's encoder, that one takes its turns too, and
// the two are compared with each other round by round: before and after in the same run.
// ORVANE_BENCH_SETTLE_US sets the pause before each leg (2000 us unless given). On a virtual
// machine whose host runs others while this one sleeps, what a leg finds still in the caches
// depends on how long it slept: a shorter pause says how much of a ratio is code fetched again.
//   orvane_bench_encode_relay ENCODER [pairs] [rounds per pair] [code lines, at most 512]
//                             [pages, at most 256]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kPatienceMs = 5000;
constexpr char kUecpStop = '\xFF';
constexpr int kDefaultPairs = 7;
constexpr int kDefaultRounds = 300;
// Longer than the encoder's turn after a frame (its log line, the pipe's reader) takes under load.
constexpr int kSettleMicros = 2000;
// What the encoder's loop waits on in this bench: its stop signal, the listener, the console, the
// signal's timer and the UECP peer; and its usual nearest deadline.
constexpr std::size_t kEncoderLoopFds = 5;
constexpr int kEncoderLoopDeadlineMs = 27;

// Code for the fourth relay: each instance fills one cache line of its own and hands on to the
// next, so that `lines` of them are `lines` lines of code, run once each.
constexpr int kMaxCodeLines = 512;
// Far enough apart that the host maps each page back on its own, not with its neighbours.
constexpr std::size_t kPageSpacing = 64 * 1024;
constexpr int kMaxPages = 256;
template <int I>
[[gnu::noinline, gnu::aligned(64)]] unsigned codeLine(unsigned x, int lines) {
  x = (x ^ (x >> 7)) * (2u * I + 3u) + I;
  if constexpr (I + 1 < kMaxCodeLines) {
    if (I + 1 < lines) return codeLine<I + 1>(x, lines);
  }
  return x;
}
volatile unsigned codeSink;

// Each page is written once before the rounds, so that every one is mapped when they start.
unsigned touchPages(int pages) {
  static std::vector<unsigned char> held(kMaxPages * kPageSpacing, 1);
  unsigned sum = 0;
  for (int page = 0; page < pages; ++page)
    sum += held[static_cast<std::size_t>(page) * kPageSpacing];
  return sum;
}

// As long as the line the encoder logs for each round's change.
constexpr std::string_view kLogLine =
    "2026-12-08 14:02:19  RTXT1 \"#1 Bom dia, Lisboa! A mÃºsica nÃ£o pÃ¡ra.\"\n";

int listening() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
  listen(fd, 4);
  return fd;
}

int portOf(int fd) {
  sockaddr_in at{};
  socklen_t size = sizeof at;
  getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size);
  return ntohs(at.sin_port);
}

int acceptWithin(int fd) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, kPatienceMs) != 1) return -1;
  const int link = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
  const int on = 1;
  setsockopt(link, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return link;
}

int connectTo(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  sockaddr_in at{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
  return connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 ? fd : -1;
}

void settle() {
  static const char* const given = std::getenv("ORVANE_BENCH_SETTLE_US");
  static const long micros = given != nullptr ? std::max(0L, std::atol(given)) : kSettleMicros;
  constexpr long kMicrosPerSecond = 1'000'000;
  constexpr long kNanosPerMicro = 1'000;
  const timespec pause{micros / kMicrosPerSecond, micros % kMicrosPerSecond * kNanosPerMicro};
  nanosleep(&pause, nullptr);
}

// Whether `received` holds `marker` and the stop byte of the frame it is in.
bool framedAfter(const std::string& received, const std::string& marker) {
  const std::size_t at = received.find(marker);
  return at != std::string::npos &&
         received.find(kUecpStop, at + marker.size()) != std::string::npos;
}

// Reads whatever comes until nothing has come for `quietMs`.
void drain(int fd, int quietMs) {
  char chunk[4096];
  for (pollfd p{fd, POLLIN, 0}; poll(&p, 1, quietMs) == 1;) {
    if (read(fd, chunk, sizeof chunk) <= 0) return;
  }
}

// A pipe whose other end a process of its own reads, as the journal reads a service's output;
// returns the end to write to.
int pipeWithReader(pid_t& reader) {
  int log[2];
  if (pipe(log) != 0) return -1;
  if ((reader = fork()) == 0) {
    close(log[1]);
    drain(log[0], -1);
    _exit(0);
  }
  close(log[0]);
  return log[1];
}

// The bare relay: one connection in, one out, bytes across as they come. `waitsAsTheLoopDoes`
// makes it wait as the encoder's loop does, in poll over as many descriptors with a deadline and
// then a read that does not block; what that costs is the kernel's price of one loop for all.
// Given a `log`, it writes a line there after each forward, as long as the encoder's line about a
// new radiotext, for a reader of its own.
[[noreturn]] void relay(int in, int peerPort, bool waitsAsTheLoopDoes, int codeLines, int pages,
                        int log) {
  touchPages(pages);
  const int console = acceptWithin(in);
  const int out = connectTo(peerPort);
  int idle[2][2];
  if (pipe(idle[0]) != 0 || pipe(idle[1]) != 0) _exit(1);
  std::array<pollfd, kEncoderLoopFds> fds{{{idle[0][0], POLLIN, 0},
                                           {in, POLLIN, 0},
                                           {console, POLLIN, 0},
                                           {idle[1][0], POLLIN, 0},
                                           {out, POLLIN, 0}}};
  char chunk[4096];
  for (;;) {
    ssize_t got = 0;
    if (waitsAsTheLoopDoes) {
      if (poll(fds.data(), fds.size(), kEncoderLoopDeadlineMs) < 0) _exit(1);
      if (fds[2].revents == 0) continue;
      got = recv(console, chunk, sizeof chunk, MSG_DONTWAIT);
      if (codeLines > 0) codeSink = codeLine<0>(static_cast<unsigned>(got), codeLines);
      if (pages > 0) codeSink = codeSink + touchPages(pages);
    } else {
      got = read(console, chunk, sizeof chunk);
    }
    if (got <= 0) break;
    for (ssize_t sent = 0; sent < got;) {
      const ssize_t n = write(out, chunk + sent, static_cast<std::size_t>(got - sent));
      if (n <= 0) _exit(1);
      sent += n;
    }
    if (log >= 0 && write(log, kLogLine.data(), kLogLine.size()) < 0) _exit(1);
  }
  _exit(0);
}

// The encoder with its log into a pipe, and the pipe's own reader; the log's first line, which
// names the console's port, comes back to the bench through `announce`. It keeps no state, so
// that no run starts from another's air and no line about the state comes before the port.
pid_t startEncoder(const char* path, int peerPort, int announce[2], pid_t& reader) {
  int log[2];
  if (pipe(log) != 0) return -1;
  if ((reader = fork()) == 0) {
    close(log[1]);
    std::string first;
    char c;
    while (read(log[0], &c, 1) == 1 && c != '\n') first += c;
    [[maybe_unused]] auto sent = write(announce[1], first.data(), first.size());
    close(announce[1]);
    drain(log[0], -1);
    _exit(0);
  }
  const std::string uecp = "tcp:127.0.0.1:" + std::to_string(peerPort);
  const pid_t encoder = fork();
  if (encoder == 0) {
    dup2(log[1], STDOUT_FILENO);
    execl(path, path, "--no-state", "--port", "0", "--uecp", uecp.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(log[0]);
  close(log[1]);
  close(announce[1]);
  return encoder;
}

// Whatever a peer holds from an earlier round, so that it cannot end this one.
void discardPending(int fd) {
  char chunk[4096];
  while (recv(fd, chunk, sizeof chunk, MSG_DONTWAIT) > 0) {
  }
}

// Microseconds from the batch's first byte sent to the last byte that was expected: for the
// relay, the batch itself; for the encoder, the end of the frame that carries `marker`. Any frame
// ends with the stop byte, so a chunk ending with one says nothing about which frame it closed.
double round(int console, int peer, const std::string& batch, const std::string& marker) {
  discardPending(peer);
  const auto start = std::chrono::steady_clock::now();
  if (write(console, batch.data(), batch.size()) != static_cast<ssize_t>(batch.size())) return -1;
  std::string received;
  char chunk[4096];
  for (;;) {
    const ssize_t got = read(peer, chunk, sizeof chunk);
    if (got <= 0) return -1;
    received.append(chunk, static_cast<std::size_t>(got));
    if (marker.empty() ? received.size() >= batch.size() : framedAfter(received, marker)) break;
  }
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
      .count();
}

// An encoder with its console link and its peer, the greeting already read.
struct EncoderLeg {
  pid_t pid = -1;
  pid_t reader = -1;
  int console = -1;
  int peer = -1;
};

EncoderLeg startEncoderLeg(const char* path, int peers) {
  EncoderLeg leg;
  int announce[2];
  if (pipe(announce) != 0) return leg;
  leg.pid = startEncoder(path, portOf(peers), announce, leg.reader);
  char first[256] = {};
  pollfd said{announce[0], POLLIN, 0};
  const bool announced =
      poll(&said, 1, kPatienceMs) == 1 && read(announce[0], first, sizeof first - 1) > 0;
  close(announce[0]);
  if (!announced) return leg;
  const std::string line = first;
  leg.peer = acceptWithin(peers);
  if (leg.peer < 0) return leg;
  drain(leg.peer, 200);  // the greeting: the whole state, the mode and the clock
  leg.console = connectTo(std::atoi(line.substr(line.rfind(':') + 1).c_str()));
  return leg;
}

double at(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

struct Relay {
  pid_t pid = -1;
  int console = -1;
  int peer = -1;
};

// One ratio of medians and one of 99th percentiles for each pair of series.
struct Ratios {
  std::vector<double> medians, tails;
  void add(const std::vector<double>& over, const std::vector<double>& under) {
    medians.push_back(at(over, 0.5) / at(under, 0.5));
    tails.push_back(at(over, 0.99) / at(under, 0.99));
  }
  void print(const char* what, int pairs, int rounds) const {
    std::printf(
        "%s, %d pairs of %d: median %.2fx %.2fx %.2fx, p99 %.2fx %.2fx %.2fx "
        "(min median max)\n",
        what, pairs, rounds, at(medians, 0), at(medians, 0.5), at(medians, 1), at(tails, 0),
        at(tails, 0.5), at(tails, 1));
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s ENCODER [pairs] [rounds per pair] [code lines] [pages]\n",
                 argv[0]);
    return 2;
  }
  const int pairs = argc > 2 ? std::atoi(argv[2]) : kDefaultPairs;
  const int rounds = argc > 3 ? std::atoi(argv[3]) : kDefaultRounds;
  const int codeLines = argc > 4 ? std::clamp(std::atoi(argv[4]), 0, kMaxCodeLines) : 0;
  const int pages = argc > 5 ? std::clamp(std::atoi(argv[5]), 0, kMaxPages) : 0;
  const bool fourthRelay = codeLines > 0 || pages > 0;
  signal(SIGPIPE, SIG_IGN);

  const int peers = listening();
  EncoderLeg encoder = startEncoderLeg(argv[1], peers);
  // An earlier build, when given, takes turns with the rest: its figures and this build's then
  // come from the same minutes of the machine, whose speed moves from one run to the next.
  const char* baselinePath = std::getenv("ORVANE_BENCH_BASELINE");
  const bool withBaseline = baselinePath != nullptr && *baselinePath != '\0';
  EncoderLeg baseline = withBaseline ? startEncoderLeg(baselinePath, peers) : EncoderLeg{};
  if (encoder.console < 0 || (withBaseline && baseline.console < 0)) return 1;

  // The bare relay, the one that waits as the encoder's loop does, the one that logs too, and the
  // one that runs code.
  std::vector<Relay> relays(fourthRelay ? 4 : 3);
  pid_t relayReader = -1;
  const int relayLog = pipeWithReader(relayReader);
  if (relayLog < 0) return 1;
  for (std::size_t r = 0; r < relays.size(); ++r) {
    const int in = listening();
    if ((relays[r].pid = fork()) == 0) {
      relay(in, portOf(peers), r >= 1, r == 3 ? codeLines : 0, r == 3 ? pages : 0,
            r == 2 ? relayLog : -1);
    }
    relays[r].console = connectTo(portOf(in));
    relays[r].peer = acceptWithin(peers);
    if (relays[r].console < 0 || relays[r].peer < 0) return 1;
  }
  // encoder / bare, loop relay / bare, encoder / loop relay, encoder / the relay that runs code,
  // logging relay / loop relay, encoder / logging relay, encoder / baseline, baseline / bare
  std::array<Ratios, 8> ratios;
  // via the encoder, the bare relay, the loop relay, the logging one, the one that runs code, the
  // baseline encoder
  constexpr int kBaselineLeg = 5;
  std::vector<int> legs{0, 1, 2, 3};
  if (fourthRelay) legs.push_back(4);
  if (withBaseline) legs.push_back(kBaselineLeg);
  const auto legCount = static_cast<int>(legs.size());
  int n = 0;
  for (int pair = 0; pair < pairs; ++pair) {
    std::array<std::vector<double>, 6> times;
    for (int i = 0; i < rounds; ++i) {
      // The round's number opens the text and is sent as it is: digits need no stuffing.
      const std::string marker = "#" + std::to_string(++n) + " ";
      const std::string batch =
          "TXT0=\"" + marker + "Bom dia, Lisboa! A m\xFAsica n\xE3o p\xE1ra.\"\nENCODE\n";
      // Each leg starts from quiet: what one leaves running (the encoder's log and its reader)
      // must not fall on the other's time. The first leg changes every round.
      for (int leg = 0; leg < legCount; ++leg) {
        settle();
        const int via = legs[static_cast<std::size_t>((i + leg) % legCount)];
        double took = 0;
        if (via == 0 || via == kBaselineLeg) {
          const EncoderLeg& through = via == 0 ? encoder : baseline;
          took = round(through.console, through.peer, batch, marker);
        } else {
          took = round(relays[via - 1].console, relays[via - 1].peer, batch, {});
        }
        if (took < 0) return 1;
        times[via].push_back(took);
      }
    }
    ratios[0].add(times[0], times[1]);
    ratios[1].add(times[2], times[1]);
    ratios[2].add(times[0], times[2]);
    if (fourthRelay) ratios[3].add(times[0], times[4]);
    ratios[4].add(times[3], times[2]);
    ratios[5].add(times[0], times[3]);
    if (withBaseline) {
      ratios[6].add(times[0], times[kBaselineLeg]);
      ratios[7].add(times[kBaselineLeg], times[1]);
    }
    std::printf(
        "pair %d: encoder %.1f us (p99 %.1f), relay %.1f us (p99 %.1f), "
        "loop relay %.1f us (p99 %.1f), logging relay %.1f us (p99 %.1f)\n",
        pair + 1, at(times[0], 0.5), at(times[0], 0.99), at(times[1], 0.5), at(times[1], 0.99),
        at(times[2], 0.5), at(times[2], 0.99), at(times[3], 0.5), at(times[3], 0.99));
    if (fourthRelay) {
      std::printf("        relay running %d code lines over %d pages %.1f us (p99 %.1f)\n",
                  codeLines, pages, at(times[4], 0.5), at(times[4], 0.99));
    }
    if (withBaseline) {
      std::printf("        baseline encoder %.1f us (p99 %.1f)\n", at(times[kBaselineLeg], 0.5),
                  at(times[kBaselineLeg], 0.99));
    }
  }
  ratios[0].print("ENCODE to the last byte / bare relay", pairs, rounds);
  ratios[1].print("a relay waiting as the loop does / bare relay", pairs, rounds);
  ratios[2].print("ENCODE to the last byte / a relay waiting as the loop does", pairs, rounds);
  ratios[4].print("a relay that also logs / a relay waiting as the loop does", pairs, rounds);
  ratios[5].print("ENCODE to the last byte / a relay that also logs", pairs, rounds);
  if (fourthRelay) {
    const std::string what = "ENCODE to the last byte / a relay running " +
                             std::to_string(codeLines) + " code lines over " +
                             std::to_string(pages) + " pages";
    ratios[3].print(what.c_str(), pairs, rounds);
  }
  if (withBaseline) {
    ratios[7].print("the baseline's ENCODE to the last byte / bare relay", pairs, rounds);
    ratios[6].print("ENCODE to the last byte / the baseline's", pairs, rounds);
  }
  for (const Relay& r : relays) close(r.console);
  close(relayLog);
  for (const EncoderLeg* leg : {&encoder, &baseline}) {
    if (leg->pid < 0) continue;
    kill(leg->pid, SIGTERM);
    waitpid(leg->pid, nullptr, 0);
    waitpid(leg->reader, nullptr, 0);
  }
  for (const Relay& r : relays) waitpid(r.pid, nullptr, 0);
  waitpid(relayReader, nullptr, 0);
  return 0;
}
