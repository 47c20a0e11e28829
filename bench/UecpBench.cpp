// UECP must never be what an ENCODE waits for: from the console's ENCODE to the last byte of the
// resulting frames at a peer on loopback well under 5 ms, and frames made and read at a million
// a second or more on one core.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ClientSession.h"
#include "Listener.h"
#include "SystemClock.h"
#include "UecpBridge.h"
#include "UecpElement.h"
#include "UecpFrameDecoder.h"

namespace {

using namespace orvane;

const std::string kRadiotext =
    "Bom dia, Lisboa! A m\xFAsica n\xE3o p\xE1ra: 25 de Abril sem filas.";

void FrameEncode(benchmark::State& run) {
  const UecpFrame frame{{12, 3}, 0xFE, uecpRadiotext(kRadiotext, {})};
  std::string bytes;
  for (auto _ : run) {
    bytes.clear();
    appendUecpFrame(bytes, frame);
    benchmark::DoNotOptimize(bytes.data());
  }
  run.SetItemsProcessed(run.iterations());
}

// A mix as a bridge sends it: short flag elements and long radiotexts.
void FrameDecode(benchmark::State& run) {
  std::string stream;
  const std::vector<std::string> elements = {uecpTrafficFlags(true, true), uecpProgrammeType(10),
                                             uecpServiceName("ORVANE  "),
                                             uecpRadiotext(kRadiotext, {})};
  constexpr int kFrames = 1000;
  for (int i = 0; i < kFrames; ++i) {
    appendUecpFrame(stream, {{}, static_cast<std::uint8_t>(i), elements[i % elements.size()]});
  }
  UecpFrameDecoder decoder;
  std::vector<UecpFrameDecoder::Event> events;
  for (auto _ : run) {
    events.clear();
    decoder.feed(stream, events);
    benchmark::DoNotOptimize(events.data());
  }
  run.SetItemsProcessed(run.iterations() * kFrames);
}

// The console's batch through the server's own session, the bridge's turn of the poll loop, and
// the kernel's loopback to a peer that reads as soon as bytes come, until the frame's stop byte.
void EncodeToLastByte(benchmark::State& run) {
  std::string error;
  FileDescriptor listening = listenOn("127.0.0.1", 0, error);
  EncoderState state;
  FileDescriptor nowhere(open("/dev/null", O_WRONLY | O_CLOEXEC));
  AirLog log(nowhere.get());
  ClientSession console(state, log, false);
  UecpBridge bridge(state, {monotonicMicros, unixMicros, systemLocalOffsetMinutes});
  UecpTargetSetting setting;
  setting.name = "bench";
  setting.host = "127.0.0.1";
  setting.port = localPort(listening.get());
  bridge.addTarget(setting, log);
  auto turn = [&bridge](int timeoutMs) {
    PollTask::Wait wait = bridge.wait();
    poll(wait.fds.data(), wait.fds.size(), timeoutMs);
    bridge.service(wait.fds);
  };
  FileDescriptor peer;
  while (!peer.valid()) {
    turn(10);
    peer.reset(accept4(listening.get(), nullptr, nullptr, 0));
  }
  char chunk[4096];
  for (pollfd readable{peer.get(), POLLIN, 0}; poll(&readable, 1, 100) == 1;) {
    if (read(peer.get(), chunk, sizeof chunk) <= 0) break;  // the greeting: mode and clock
  }
  int round = 0;
  for (auto _ : run) {
    const std::string batch =
        "TXT0=\"" + std::to_string(++round) + " " + kRadiotext.substr(0, 50) + "\"\nENCODE\n";
    benchmark::DoNotOptimize(console.receive(batch));
    turn(0);
    for (bool stop = false; !stop;) {
      const ssize_t got = read(peer.get(), chunk, sizeof chunk);
      if (got <= 0) break;
      stop = chunk[got - 1] == static_cast<char>(kUecpStop);
    }
  }
}

}  // namespace

BENCHMARK(FrameEncode);
BENCHMARK(FrameDecode);
BENCHMARK(EncodeToLastByte)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
