// From a console update to the first bit of the RDS that carries it, where a sound card plays it:
// the real encoder's multiplex on a pipe that this program takes at a card's pace, with a card's
// buffer ahead of what it plays. Each update changes the programme type, which every group
// carries, so that the scheduler's choice of groups plays no part; the groups the encoder made
// (its --groups file, in the order of the signal) say where in the signal the change begins.
//   orvane_bench_update_to_air ENCODER [updates] [card buffer ms] [encoder options...]
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "MpxModulator.h"

namespace {

using orvane::MpxModulator;

constexpr int kRate = 192000;
constexpr int kBytesPerSample = 2;
constexpr int kDefaultUpdates = 20;
constexpr int kDefaultCardBufferMs = 50;
constexpr double kWarmUpSeconds = 1.5;
// Updates this far apart and more, at random within the spread, so that they fall anywhere in
// the group on air.
constexpr double kUpdateGapSeconds = 0.4;
constexpr double kUpdateSpreadSeconds = 0.3;
constexpr double kTailSeconds = 0.6;
constexpr int kPatienceMs = 5000;
constexpr int kPollMs = 1;

double now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The encoder's line-door port, from its log line "... a escutar em 127.0.0.1:PORT".
int portFromLog(int logFd) {
  std::string log;
  char chunk[512];
  for (const double until = now() + kPatienceMs / 1000.0; now() < until;) {
    pollfd p{logFd, POLLIN, 0};
    if (poll(&p, 1, kPatienceMs) != 1) return -1;
    const ssize_t got = read(logFd, chunk, sizeof chunk);
    if (got <= 0) return -1;
    log.append(chunk, static_cast<std::size_t>(got));
    const auto at = log.find("a escutar em ");
    const auto end = at == std::string::npos ? at : log.find('\n', at);
    if (end != std::string::npos) return std::atoi(log.c_str() + log.rfind(':', end) + 1);
  }
  return -1;
}

int connectTo(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  sockaddr_in at{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
  if (connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) return -1;
  return fd;
}

// The programme type of each group made, from lines "PPPP BBBB CCCC DDDD".
std::vector<int> programmeTypes(const std::string& path) {
  std::vector<int> types;
  std::ifstream in(path);
  std::string pi, b, c, d;
  while (in >> pi >> b >> c >> d) types.push_back((std::stoi(b, nullptr, 16) >> 5) & 0x1F);
  return types;
}

double at(std::vector<double> values, double fraction) {
  std::ranges::sort(values);
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

struct Update {
  double sentAt;
  int type;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s ENCODER [updates] [card buffer ms] [options...]\n", argv[0]);
    return 2;
  }
  const int updates = argc > 2 ? std::atoi(argv[2]) : kDefaultUpdates;
  const int cardBufferMs = argc > 3 ? std::atoi(argv[3]) : kDefaultCardBufferMs;
  char folder[] = "/tmp/orvane-update-to-air-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const std::string groups = std::string(folder) + "/groups.txt";

  int signalEnds[2], logEnds[2];
  if (pipe2(signalEnds, O_CLOEXEC) != 0 || pipe2(logEnds, O_CLOEXEC) != 0) return 1;
  const pid_t encoder = fork();
  if (encoder == 0) {
    dup2(signalEnds[1], STDOUT_FILENO);
    dup2(logEnds[1], STDERR_FILENO);
    std::vector<std::string> args{argv[1], "--port", "0", "--no-state", "--groups",
                                  groups,  "--mpx",  "-", "--rate",     "192000"};
    for (int i = 4; i < argc; ++i) args.emplace_back(argv[i]);
    std::vector<char*> raw;
    for (auto& arg : args) raw.push_back(arg.data());
    raw.push_back(nullptr);
    execv(raw[0], raw.data());
    _exit(127);
  }
  close(signalEnds[1]);
  close(logEnds[1]);
  const int console = connectTo(portFromLog(logEnds[0]));
  if (console < 0) return 1;

  // The card: sample i plays at start + i / rate, and the card takes samples into its buffer as
  // far ahead of that as the buffer holds.
  const double cardBuffer = cardBufferMs / 1000.0 * kRate * kBytesPerSample;
  std::vector<char> chunk(1 << 16);
  std::vector<Update> sent;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> spread(0, kUpdateSpreadSeconds);
  double start = -1;
  double nextUpdate = 0;
  double taken = 0;
  char logChunk[4096];
  for (double end = 0; end == 0 || now() < end;) {
    pollfd fds[2] = {{signalEnds[0], POLLIN, 0}, {logEnds[0], POLLIN, 0}};
    poll(fds, 2, kPollMs);
    if ((fds[1].revents & POLLIN) != 0) (void)!read(logEnds[0], logChunk, sizeof logChunk);
    const double t = now();
    const double room = start < 0 ? cardBuffer : cardBuffer + (t - start) * kRate * 2 - taken;
    if ((fds[0].revents & POLLIN) != 0 && room >= kBytesPerSample) {
      const auto most = std::min(chunk.size(), static_cast<std::size_t>(room) / 2 * 2);
      const ssize_t got = read(signalEnds[0], chunk.data(), most);
      if (got <= 0) break;
      if (start < 0) start = t, nextUpdate = t + kWarmUpSeconds;
      taken += static_cast<double>(got);
    }
    if (start >= 0 && end == 0 && t >= nextUpdate) {
      const int type = sent.size() % 2 == 0 ? 5 : 10;
      char batch[32];
      const int length = std::snprintf(batch, sizeof batch, "PTY=%02X\nENCODE\n", type);
      if (write(console, batch, static_cast<std::size_t>(length)) != length) return 1;
      sent.push_back({now(), type});
      nextUpdate = t + kUpdateGapSeconds + spread(random);
      if (static_cast<int>(sent.size()) == updates) end = t + kTailSeconds;
    }
  }
  kill(encoder, SIGTERM);
  for (char* drain = chunk.data(); read(signalEnds[0], drain, chunk.size()) > 0;) {
  }
  waitpid(encoder, nullptr, 0);

  const MpxModulator modulator(kRate);
  const auto firstBitAt = [&](std::int64_t group) {
    return start +
           static_cast<double>(modulator.samplesOfGroups(group) + modulator.delaySamples()) / kRate;
  };
  const std::vector<int> types = programmeTypes(groups);
  std::vector<double> latencies, beyondGroupOnAir;
  std::size_t k = 0;
  for (const Update& update : sent) {
    while (k < types.size() && types[k] != update.type) ++k;
    if (k == types.size()) return 1;
    std::int64_t onAir = 0;  // the group whose bits the card was playing when the update went
    while (firstBitAt(onAir + 1) <= update.sentAt) ++onAir;
    latencies.push_back((firstBitAt(static_cast<std::int64_t>(k)) - update.sentAt) * 1000);
    beyondGroupOnAir.push_back((firstBitAt(static_cast<std::int64_t>(k)) - firstBitAt(onAir + 1)) *
                               1000);
  }
  std::printf(
      "update to its first bit at the card, %zu updates, card buffer %d ms: %.1f %.1f %.1f ms; "
      "beyond the group on air: %.1f %.1f %.1f ms (min median max)\n",
      sent.size(), cardBufferMs, at(latencies, 0), at(latencies, 0.5), at(latencies, 1),
      at(beyondGroupOnAir, 0), at(beyondGroupOnAir, 0.5), at(beyondGroupOnAir, 1));
  std::remove(groups.c_str());
  rmdir(folder);
  return 0;
}
