#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <tuple>

#include "CommandParser.h"
#include "EncoderServer.h"
#include "FileDescriptor.h"
#include "Listener.h"
#include "RdsCharset.h"
#include "ServiceName.h"
#include "UecpApply.h"
#include "UecpBridge.h"
#include "UecpFrameDecoder.h"
#include "UecpPeer.h"
#include "UecpSession.h"
#include "UecpTextMemory.h"
#include "Windows1252.h"

// UECP in process: elements and frames read back by the test's own peer, the listener's side
// fed frames by hand, and the bridge against peers on loopback, on a clock the test moves.
namespace orvane::test {
namespace {

std::string w(std::string_view utf8) {
  return windows1252FromUtf8(utf8);
}

std::string frame(UecpAddress to, std::uint8_t sequence, const std::string& message) {
  std::string bytes;
  appendUecpFrame(bytes, {to, sequence, message});
  return bytes;
}

AssignedFields everything() {
  AssignedFields all;
  for (std::size_t i = 0; i < static_cast<std::size_t>(OnAirField::Count); ++i) {
    all.set(static_cast<OnAirField>(i));
  }
  return all;
}

OnAirState station() {
  OnAirState state;
  state.programmeIdentification = 0xFEFD;  // both bytes need stuffing
  state.programmeType = 0x1A;
  state.programmeServiceName = w("RÁDIO");
  state.radiotext = {w("Bom dia, Lisboa! Música às 8h"),
                     w("Trânsito sem filas na A1 e na ponte 25 de Abril; chuva em Sintra")};
  state.programmeItemTime = {31, 23, 59};
  state.programmeItemGroups = state.clockTimeGroups = true;
  state.decoderIdentification = 0x0B;
  state.trafficAnnouncement = true;  // without TP: not on air
  state.trafficProgramme = state.music = false;
  state.programmeTypeName = w("Fadário");  // PTYN: sent, and applied when it comes back
  return state;
}

// Every field the bridge sends, at an address and with counters that need stuffing, split across
// reads: the test's peer reads what an encoder would hold, which is what is on air here (no TA
// without TP, a shorter radiotext ended as receivers expect it), and the listener's side takes
// the same bytes back to that state.
TEST(Uecp, EveryFieldRoundTripsThroughTheWire) {
  const OnAirState sent = station();
  std::string wire;
  std::uint8_t sequence = 0xFC;
  for (const auto& field :
       uecpSnapshot(sent, everything(), serviceNameFrames(sent.programmeServiceName)[0])) {
    for (const std::string& element : field) wire += frame({1023, 63}, sequence++, element);
  }
  wire += frame({}, 1, uecpClockSet({2024, 3, 9, 10, 30, 5, 42, -6}));
  UecpPeer peer;
  peer.feed(wire.substr(0, 7));
  peer.feed(wire.substr(7));
  EXPECT_EQ(std::tuple(peer.badFrames, peer.pi, peer.pty, peer.serviceName, peer.trafficFlags,
                       peer.di, peer.music, peer.pin, peer.clockTime, peer.clockSet),
            std::tuple(0, 0xFEFD, 0x1A, "RÁDIO   ", 0, 0x0B, 0, 31 << 11 | 23 << 6 | 59, 1,
                       std::string("\x18\x03\x09\x0A\x1E\x05\x2A\x26", 8)));
  ASSERT_FALSE(peer.addresses.empty());
  EXPECT_EQ(peer.addresses.front(), std::pair(1023, 63));
  // A buffer of two: the first replaces what the peer held, the second is added; each is sent
  // three or two times (about 24 groups) and toggles the A/B flag when it starts.
  ASSERT_EQ(peer.radiotext.size(), 2u);
  EXPECT_EQ(
      std::tuple(peer.radiotext[0].text, peer.radiotext[0].configuration, peer.radiotext[0].ended,
                 peer.radiotext[1].configuration, peer.radiotext[1].ended),
      std::tuple("Bom dia, Lisboa! Música às 8h", 0b0'00'0011'1, true, 0b0'10'0010'1, false));

  UecpFrameDecoder decoder;
  std::vector<UecpFrameDecoder::Event> events;
  decoder.feed(wire, events);
  OnAirState back;
  AssignedFields fields;
  for (const auto& event : events) {
    for (std::string_view element : splitUecpMessage(event.frame.message).elements) {
      EXPECT_EQ(applyUecpElement(element, back, fields), UecpAnswer::Ok);
    }
  }
  OnAirState onAir = sent;
  onAir.trafficAnnouncement = false;
  EXPECT_EQ(back, onAir);
}

// Whatever comes, memory stays put and the next good frame is found: each broken frame is one
// fault, and ten megabytes without a start byte are none.
TEST(UecpFrameDecoder, DropsBrokenFramesKeepsNoNoiseAndFindsTheNextGoodFrame) {
  const std::string good = frame({}, 7, uecpProgrammeType(5));
  std::string badCrc = good, longerThanSent = good;
  badCrc[badCrc.size() - 2] ^= 1;
  longerThanSent[4] = 0x40;
  using Fault = UecpFrameDecoder::Fault;
  const std::pair<std::string, Fault> rows[] = {
      {badCrc, Fault::BadCrc},
      {std::string("\xFE\x00\x00\x07\xFD\x07\xFF", 7), Fault::BadStuffing},
      {longerThanSent, Fault::BadLength},
      {"\xFE" + std::string(300, 'x'), Fault::TooLong},
      {std::string("\xFE\x00\x00\x07", 4), Fault::Incomplete},
  };
  UecpFrameDecoder decoder;
  std::vector<UecpFrameDecoder::Event> events;
  for (const auto& [broken, fault] : rows) {
    events.clear();
    decoder.feed(broken + good, events);
    ASSERT_EQ(events.size(), 2u) << static_cast<int>(fault);
    EXPECT_TRUE(!events[0].isFrame && events[0].fault == fault && events[1].isFrame)
        << static_cast<int>(fault);
  }
  events.clear();
  std::string noise(10 << 20, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 7919 % 0xFE);
  decoder.feed(noise, events);
  EXPECT_TRUE(events.empty() && !decoder.midFrame());
  for (char c : good) decoder.feed({&c, 1}, events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].frame.message, uecpProgrammeType(5));
}

// A client's frames as the listener takes them: whole or not at all, known elements it does not
// apply stepped over (said once) and the rest applied, only frames for its address answered,
// damaged ones included, and answered the way the client asked.
TEST(UecpSession, TakesWholeFramesAnswersAsAskedAndLeavesOtherAddressesAlone) {
  EncoderState state;
  PipedLog log;
  UecpSession session(state, log.log, {5, 2}, "10.0.0.9:4001");
  UecpPeer answers;
  // A peer's PS is the whole name, as the console's is: a playout's scrolling name yields to it.
  OnAirState scrolling;
  scrolling.scrollingServiceName = "TOCA FADO";
  (void)state.replaceOnAir(scrolling, {});
  EXPECT_EQ(session.receive(frame({5, 0}, 1, uecpProgrammeType(10) + uecpServiceName("NOTICIAS"))),
            "");
  const OnAirState taken = state.onAir();
  EXPECT_EQ(std::tuple(taken.programmeType, taken.programmeServiceName, taken.scrollingServiceName),
            std::tuple(10, "NOTICIAS", ""));
  answers.feed(session.receive(frame({6, 0}, 2, uecpProgrammeType(3))));
  answers.feed(session.receive(
      frame({5, 2}, 3, uecpServiceName("OUTRO") + std::string("\x07\x00\x00\x20", 4))));
  answers.feed(session.receive(frame({}, 4, uecpRequest(UecpCode::Acknowledgement))));
  answers.feed(session.receive(frame({}, 5, uecpRequest(UecpCode::Acknowledgement))));
  EXPECT_EQ(state.onAir(), taken);
  answers.feed(session.receive(frame({}, 6, uecpCommunicationMode(UecpMode::AnswerEveryFrame))));
  std::string badCrc = frame({}, 7, uecpMusic(false));
  std::string othersBadCrc = frame({6, 0}, 10, uecpMusic(false));
  badCrc[badCrc.size() - 2] ^= 1;
  othersBadCrc[othersBadCrc.size() - 2] ^= 1;
  const std::string ptyn = std::string("\x3E\x00\x00", 3) + "POP     ";
  const std::string af = std::string("\x13\x00\x00\x02\xE1\x05", 6);
  answers.feed(session.receive(
      othersBadCrc + badCrc + frame({}, 8, "\x0F" + uecpTrafficFlags(true, true)) +
      frame({}, 9, uecpServiceName("JAZZ") + ptyn + af + uecpTrafficFlags(true, true)) +
      frame({}, 11, af)));
  EXPECT_EQ(answers.answers, (std::vector<std::pair<int, int>>{
                                 {6, 3}, {0, -1}, {0, -1}, {1, 7}, {3, 8}, {9, 9}, {9, 11}}));
  ASSERT_FALSE(answers.addresses.empty());
  EXPECT_EQ(answers.addresses.front(), std::pair(5, 2));
  EXPECT_EQ(std::tuple(state.onAir().programmeServiceName, state.onAir().programmeTypeName,
                       state.onAir().trafficAnnouncement),
            std::tuple("JAZZ", "POP", true));
  const std::string logged = log.text();
  EXPECT_NE(logged.find("PS \"NOTICIAS\" (UECP 10.0.0.9:4001)"), std::string::npos);
  EXPECT_NE(logged.find("trama recusada, valor fora do intervalo"), std::string::npos);
  EXPECT_EQ(logged.find("CRC"), std::string::npos);  // one refusal logged, the rest counted
  EXPECT_NE(logged.find("AF não suportado, ignorado"), std::string::npos);
  EXPECT_EQ(logged.find("AF não suportado"), logged.rfind("AF não suportado"));
  EXPECT_EQ(session.refused(), 3u);
}

// The local offset's sign as group 4A has it (bit 5) and as some senders put it (bit 6) make a
// valid clock; both at once, or bit 7, do not.
TEST(UecpApply, TakesEitherSignOfTheClocksLocalOffset) {
  const std::pair<int, bool> rows[] = {{0x02, true}, {0x22, true}, {0x42, true}, {0x62, false}};
  for (const auto& [offset, valid] : rows) {
    std::string clock = uecpClockSet({2024, 3, 9, 10, 30, 5, 42, 0});
    clock.back() = static_cast<char>(offset);
    OnAirState state;
    AssignedFields fields;
    EXPECT_EQ(applyUecpElement(clock, state, fields) == UecpAnswer::Ok, valid) << offset;
  }
  EXPECT_EQ(uecpOffsetHalfHours(0x42), -2);
}

// A TA/TP element for services 2 to 9 is the TA of the other network numbered one less; services
// past them are still refused, and a flag byte out of range changes nothing.
TEST(UecpApply, TrafficFlagsOfAnotherServiceAreThatNetworksTa) {
  const std::tuple<std::uint8_t, std::uint8_t, UecpAnswer, int> rows[] = {
      {2, 0x03, UecpAnswer::Ok, 0},
      {9, 0x01, UecpAnswer::Ok, 7},
      {10, 0x01, UecpAnswer::BadService, -1},
      {3, 0x04, UecpAnswer::OutOfRange, -1}};
  for (const auto& [service, flags, answer, network] : rows) {
    OnAirState state;
    AssignedFields fields;
    const std::string element{'\x03', '\x00', static_cast<char>(service), static_cast<char>(flags)};
    EXPECT_EQ(applyUecpElement(element, state, fields), answer) << int(service);
    OnAirState expected;
    if (network >= 0) expected.otherNetworkTraffic[static_cast<std::size_t>(network)] = true;
    EXPECT_EQ(state, expected) << int(service);
  }
}

// The two lines are the element's buffer: a message added to a full one pushes the oldest out.
TEST(UecpApply, AMessageAddedToAFullBufferPushesTheOldestOut) {
  OnAirState state;
  AssignedFields fields;
  for (const auto& [text, added] : {std::pair{"um", false}, {"dois", true}, {"tres", true}})
    (void)applyUecpElement(uecpRadiotext(text, {added, 1, true}), state, fields);
  EXPECT_EQ(state.radiotext[0] + "|" + state.radiotext[1], "dois|tres");
}

// In gateway use, a letter of the RDS set that Windows-1252 lacks reaches peers as the client sent
// it, not as the '?' it is in this encoder's own state.
TEST(UecpSession, LettersWindows1252LacksReachPeersAsTheClientSentThem) {
  std::string name = "Dvo?" + rdsText(w("ák"));  // the '?' becomes "ř" in the RDS set
  while (utf8FromRds(name.substr(3, 1)) != "ř") ++name[3];
  EncoderState state;
  PipedLog log;
  UecpTextMemory texts;
  UecpSession session(state, log.log, {}, "playout", &texts);
  (void)session.receive(frame({}, 1, uecpServiceName(name) + uecpRadiotext("Largo, " + name, {})));
  const OnAirState& onAir = state.onAir();
  UecpPeer peer;
  for (const auto& field : uecpSnapshot(onAir, state.assigned(),
                                        serviceNameFrames(onAir.programmeServiceName)[0], &texts)) {
    for (const std::string& element : field) peer.feed(frame({}, 1, element));
  }
  EXPECT_EQ(std::tuple(onAir.programmeServiceName, peer.serviceName, peer.radiotext.at(0).text),
            std::tuple(w("Dvo?ák"), "Dvořák  ", "Largo, Dvořák"));
}

struct BridgeRig {
  BridgeRig() {
    for (const char* line : {"PSN=\"R\xC1"
                             "DIO\"",
                             "TXT0=\"Ol\xE1\"", "ENCODE", "TP=01", "TA=01"}) {
      (void)state.apply(std::get<Command>(parseCommand(line)));
    }
  }
  void add(const LoopbackPeer& peer, int site) {
    const std::string at = "tcp:127.0.0.1:" + std::to_string(peer.port);
    std::string error;
    bridge.addTarget(*parseUecpTarget(at + ",site=" + std::to_string(site), error), log);
  }
  // Turns of the poll loop until `done`, with a few seconds of real patience.
  template <typename Done>
  bool run(std::vector<LoopbackPeer*> peers, Done done) {
    const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < patience) {
      PollTask::Wait wait = bridge.wait();
      poll(wait.fds.data(), wait.fds.size(), std::clamp(wait.timeoutMs, 0, 20));
      bridge.service(wait.fds);
      for (LoopbackPeer* peer : peers) peer->serve();
      if (done()) return true;
    }
    return false;
  }
  // One turn of the loop that sleeps as the bridge asks; false when it would sleep for good, with
  // nothing left that could wake it but an unrelated event.
  bool turnAsAsked() {
    PollTask::Wait wait = bridge.wait();
    const bool timed = wait.timeoutMs >= 0 && wait.timeoutMs < 1000;
    if (poll(wait.fds.data(), wait.fds.size(), timed ? wait.timeoutMs : 200) == 0 && !timed) {
      return false;
    }
    bridge.service(wait.fds);
    return true;
  }
  void apply(std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) (void)state.apply(std::get<Command>(parseCommand(line)));
  }
  // The i-th new first line on air, and a turn of the loop that does not wait: true when the
  // link had bytes waiting and could take none.
  bool change(int i) {
    apply({"TXT0=\"" + std::to_string(i) + std::string(56, 'x') + "\"", "ENCODE"});
    PollTask::Wait wait = bridge.wait();
    poll(wait.fds.data(), wait.fds.size(), 0);
    bridge.service(wait.fds);
    return (wait.fds[0].events & ~wait.fds[0].revents & POLLOUT) != 0;
  }
  std::size_t logged(std::string_view text) {
    const std::string& all = piped.text();
    std::size_t count = 0;
    for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++count;
    return count;
  }

  std::int64_t now = 0;
  std::int64_t wallStep = 0;  // the time of day put right
  EncoderState state;
  PipedLog piped;
  AirLog& log = piped.log;
  UecpBridge bridge{
      state,
      {[this] { return now; }, [this] { return 1'710'000'000'000'000 + now + wallStep; },
       [](std::int64_t) { return 0; }}};
};

// A peer that is down at the start gets everything once it comes up, one that restarts gets
// everything again, and a change reaches every peer at its own address. The log says each
// change of a peer's state once, not each retry, and names the element a peer refused.
TEST(UecpBridge, ReachesPeersWhenTheyComeAndResendsEverythingAfterARestart) {
  BridgeRig rig;
  LoopbackPeer late, first;
  first.start();
  rig.add(late, 1);
  rig.add(first, 2);
  auto holds = [](const LoopbackPeer& peer, int flags) {
    return peer.view.serviceName == "RÁDIO   " && peer.view.radiotext.size() == 1 &&
           peer.view.trafficFlags == flags && peer.view.clockSet && peer.view.mode == 2;
  };
  ASSERT_TRUE(rig.run({&first}, [&] { return holds(first, 3); }));
  for (int retry = 0; retry < 3; ++retry) {  // refused each time, and said once
    rig.now += UecpTarget::kLastRetryMicros;
    int turns = 0;
    rig.run({}, [&] { return ++turns == 10; });
  }
  late.start();
  rig.now += UecpTarget::kLastRetryMicros;
  ASSERT_TRUE(rig.run({&late}, [&] { return holds(late, 3); }));
  (void)rig.state.apply(std::get<Command>(parseCommand("TA=00")));
  ASSERT_TRUE(rig.run({&late, &first}, [&] { return holds(late, 2) && holds(first, 2); }));
  ASSERT_TRUE(!late.view.addresses.empty() && !first.view.addresses.empty());
  EXPECT_EQ(late.view.addresses.back(), std::pair(1, 0));
  EXPECT_EQ(first.view.addresses.back(), std::pair(2, 0));

  first.hangUp();
  ASSERT_TRUE(rig.run({}, [&] { return rig.logged("em baixo") == 2; }));
  rig.now += 1'000'000;
  ASSERT_TRUE(rig.run({&first}, [&] { return holds(first, 2); }));
  int psCounter = 0;
  for (const auto& [code, counter] : first.view.elements)
    psCounter = code == 2 ? counter : psCounter;
  first.send(frame(
      {}, 0, uecpAcknowledgement(UecpAnswer::OutOfRange, static_cast<std::uint8_t>(psCounter))));
  ASSERT_TRUE(rig.run({&first}, [&] { return rig.logged("recusou PS: valor fora") == 1; }));
  EXPECT_EQ(std::tuple(rig.logged(": a ligar"), rig.logged(": ligado"), rig.logged("em baixo")),
            std::tuple(2u, 3u, 2u));
}

// Over UDP nothing connects, so a peer that is not there is known only by its refused port: it is
// down, said once, never "up" between attempts, and its wait between attempts still grows.
TEST(UecpBridge, AUdpPeerThatIsNotThereIsDownNotUpAtEveryAttempt) {
  BridgeRig rig;
  std::string error;
  FileDescriptor closed = bindDatagrams("127.0.0.1", 0, error);
  const std::string at = "udp:127.0.0.1:" + std::to_string(localPort(closed.get()));
  closed.reset();  // the port is free again, and nobody listens there
  rig.bridge.addTarget(*parseUecpTarget(at, error), rig.log);
  for (int retry = 0; retry < 3; ++retry) {
    rig.now += UecpTarget::kLastRetryMicros;
    int turns = 0;
    rig.run({}, [&] { return ++turns == 10; });
  }
  const auto health = rig.bridge.health().at(0);
  EXPECT_EQ(std::tuple(rig.logged(": ligado"), rig.logged("em baixo"), health.up,
                       health.connections, health.retryInMicros > UecpTarget::kFirstRetryMicros),
            std::tuple(0u, 1u, false, 0u, true));
}

// In the server's loop an ENCODE's frame is at the peer before its line is made or written:
// describing the change, and the log's reader that the write wakes, would otherwise take the CPU
// from the frame. The line follows within the same turn, before those written after it.
TEST(UecpBridge, AnEncodeReachesThePeerBeforeTheLog) {
  static constexpr std::string_view kLine = "RTXT1 \"Nova\"";
  BridgeRig rig;
  LoopbackPeer peer;
  peer.start();
  rig.add(peer, 1);
  ASSERT_TRUE(rig.run({&peer}, [&] { return peer.view.radiotext.size() == 1; }));
  // After the bridge in the loop's turn: what had reached the peer and the log by then.
  struct Watcher : PollTask {
    Watcher(LoopbackPeer& p, PipedLog& l) : peer(p), piped(l) {}
    Wait wait() override { return {{}, 10}; }
    bool service(std::span<const pollfd>) override {
      peer.serve();
      if (peer.view.radiotext.back().text != "Nova") return ++turns < 500;
      const auto& made = piped.log.recent();
      logFirst = piped.text().find(kLine) != std::string::npos ||
                 std::any_of(made.begin(), made.end(),
                             [](const std::string& line) { return line.ends_with(kLine); });
      piped.log.write("vigia");
      return false;
    }
    LoopbackPeer& peer;
    PipedLog& piped;
    int turns = 0;
    std::optional<bool> logFirst;
  } watcher(peer, rig.piped);
  std::string error;
  FileDescriptor listening = listenOn("127.0.0.1", 0, error);
  FileDescriptor console(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in at{AF_INET, htons(localPort(listening.get())), {htonl(INADDR_LOOPBACK)}, {}};
  ASSERT_EQ(connect(console.get(), reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
  const std::string batch = "TXT0=\"Nova\"\nENCODE\n";
  ASSERT_EQ(send(console.get(), batch.data(), batch.size(), 0), std::ssize(batch));
  int stop[2];
  ASSERT_EQ(pipe2(stop, O_CLOEXEC), 0);
  const FileDescriptor stopRead(stop[0]), stopWrite(stop[1]);
  orvane::EncoderServer server(std::move(listening), stopRead.get(), rig.state, rig.log, false,
                               {&rig.bridge, &watcher});
  EXPECT_TRUE(server.run());
  EXPECT_EQ(watcher.logFirst, false);
  EXPECT_LT(rig.piped.text().find(kLine), rig.piped.text().find("vigia")) << rig.piped.text();
}

// A long name's frames change on the peers by the steady clock, as on air: a clock put back an
// hour does not hold one frame there for an hour.
TEST(UecpBridge, AClockPutBackDoesNotHoldTheNameOnPeers) {
  BridgeRig rig;
  for (const char* line : {"PSN=\"RADIO ORVANE LISBOA\"", "ENCODE"}) {
    (void)rig.state.apply(std::get<Command>(parseCommand(line)));
  }
  LoopbackPeer peer;
  peer.start();
  rig.add(peer, 0);
  ASSERT_TRUE(rig.run({&peer}, [&] { return peer.view.serviceName == "RADIO   "; }));
  rig.wallStep = -3'600'000'000;
  rig.now += TimedServiceName::kFrameHoldMicros;
  EXPECT_TRUE(rig.run({&peer}, [&] { return peer.view.serviceName == "ORVANE  "; }));
}

// What a door or a UECP client puts on air replaces the state whole, not a command at a time;
// it reaches the peers as a console's ENCODE does.
TEST(UecpBridge, WhatAnotherDoorPutsOnAirReachesThePeersToo) {
  BridgeRig rig;
  LoopbackPeer peer;
  peer.start();
  rig.add(peer, 0);
  ASSERT_TRUE(rig.run({&peer}, [&] { return peer.view.serviceName == "RÁDIO   "; }));
  OnAirState next = rig.state.onAir();
  next.programmeType = 10;
  next.music = false;
  AssignedFields fields;
  fields.set(OnAirField::ProgrammeType);
  fields.set(OnAirField::Music);
  (void)rig.state.replaceOnAir(next, fields);
  EXPECT_TRUE(rig.run({&peer}, [&] { return peer.view.pty == 10 && peer.view.music == 0; }));
}

// A serial line is a target like any other: a pseudo-terminal stands in for the encoder's port.
TEST(UecpBridge, ASerialLineGetsTheStateToo) {
  BridgeRig rig;
  FileDescriptor port(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK));
  ASSERT_TRUE(port.valid() && grantpt(port.get()) == 0 && unlockpt(port.get()) == 0);
  std::string error;
  const std::string line = "serial:" + std::string(ptsname(port.get())) + ":19200,encoder=7";
  rig.bridge.addTarget(*parseUecpTarget(line, error), rig.log);
  UecpPeer peer;
  ASSERT_TRUE(rig.run({}, [&] {
    char chunk[512];
    for (ssize_t got; (got = read(port.get(), chunk, sizeof chunk)) > 0;) {
      peer.feed({chunk, static_cast<std::size_t>(got)});
    }
    return peer.serviceName == "RÁDIO   ";
  }));
  ASSERT_FALSE(peer.addresses.empty());
  EXPECT_EQ(peer.addresses.back(), std::pair(0, 7));
}

// However much changes while a peer does not read, what waits for it is the latest state, not
// every change: its memory stays put, and once it reads it is not days behind.
TEST(UecpBridge, APeerThatDoesNotReadIsSentTheLatestStateNotEveryChange) {
  BridgeRig rig;
  LoopbackPeer deaf(2048);
  deaf.start();
  rig.add(deaf, 0);
  ASSERT_TRUE(rig.run({}, [&] { return rig.logged(": ligado") == 1; }));
  // A slow line: the system holds little for the peer, and then only the bridge could.
  const int small = 4096;
  setsockopt(rig.bridge.wait().fds[0].fd, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  for (int i = 0; i < 20000; ++i) rig.change(i);
  const std::string last = "19999" + std::string(56, 'x');
  ASSERT_TRUE(rig.run({&deaf}, [&] {
    return !deaf.view.radiotext.empty() && deaf.view.radiotext[0].text == last;
  }));
  EXPECT_LT(std::ranges::count(deaf.view.elements, 0x0A, &std::pair<int, int>::first), 2000);
}

// A change made while a link is full goes out as soon as the link drains, with nothing else
// happening in the loop: over a pseudo-terminal's line and over TCP alike.
TEST(UecpBridge, AChangeMadeWhileTheLinkIsFullGoesOutWhenItDrains) {
  for (const bool serial : {true, false}) {
    BridgeRig rig;
    FileDescriptor port(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK));
    ASSERT_TRUE(port.valid() && grantpt(port.get()) == 0 && unlockpt(port.get()) == 0);
    LoopbackPeer peer(2048);
    peer.start();
    std::string error;
    const std::string to = serial ? "serial:" + std::string(ptsname(port.get())) + ":115200"
                                  : "tcp:127.0.0.1:" + std::to_string(peer.port);
    rig.bridge.addTarget(*parseUecpTarget(to, error), rig.log);
    UecpPeer onTheLine;
    UecpPeer& view = serial ? onTheLine : peer.view;
    auto drain = [&] {
      peer.serve();
      char chunk[4096];
      for (ssize_t got; (got = read(port.get(), chunk, sizeof chunk)) > 0;) {
        view.feed({chunk, static_cast<std::size_t>(got)});
      }
    };
    ASSERT_TRUE(rig.run({}, [&] { return drain(), view.serviceName.has_value(); }));
    const int small = 4096;
    setsockopt(rig.bridge.wait().fds[0].fd, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    for (int i = 0; i < 100000 && !rig.change(i); ++i) {
    }
    rig.apply({"TXT0=\"FINAL\"", "PTY=09", "ENCODE"});
    rig.bridge.service(rig.bridge.wait().fds);
    for (bool awake = true; awake && view.pty != 9;) {
      drain();
      awake = rig.turnAsAsked();
    }
    drain();
    EXPECT_EQ(std::tuple(view.radiotext.empty() ? "" : view.radiotext[0].text, view.pty),
              std::tuple("FINAL", std::optional(9)))
        << (serial ? "serial" : "tcp");
  }
}

// A TCP peer that takes the connection and never reads is let go once it has taken nothing for
// the stall time, though the system's buffers took every byte: it is not up for ever.
TEST(UecpBridge, APeerThatNeverReadsIsLetGoThoughTheSystemTookEverything) {
  BridgeRig rig;
  LoopbackPeer deaf(2048);
  deaf.start();
  rig.add(deaf, 0);
  ASSERT_TRUE(rig.run({}, [&] { return rig.logged(": ligado") == 1; }));
  int userTimeoutMs = 0;
  socklen_t size = sizeof userTimeoutMs;
  getsockopt(rig.bridge.wait().fds[0].fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, &size);
  EXPECT_EQ(userTimeoutMs, kDeadPeerSeconds * 1000);
  for (int i = 0; i < 100; ++i) rig.change(i);
  ASSERT_EQ(rig.bridge.wait().fds[0].events & POLLOUT, 0);  // all of it in the system's buffers
  int turns = 0;
  rig.run({}, [&] { return ++turns == 5; });
  rig.now += UecpTarget::kStallMicros;
  EXPECT_TRUE(rig.run({}, [&] { return rig.logged("não recebe o que lhe é enviado") == 1; }));
}

}  // namespace
}  // namespace orvane::test
