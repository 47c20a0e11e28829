#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <numbers>
#include <set>
#include <thread>
#include <tuple>

#include "EncoderProcess.h"
#include "GroupScheduler.h"
#include "HttpClient.h"
#include "RdsDecoder.h"
#include "SignalOutput.h"
#include "SystemClock.h"
#include "TempDir.h"
#include "Windows1252.h"

// The output stage, and the real program's outputs read back by the test receiver: what the
// console sets is what a receiver shows.
namespace orvane::test {
namespace {

// On the clock, a group is made when it is due, from the state as it is then, so that a change
// goes on air within a group; as fast as written, a reader that stops holds the signal back
// without the stage blocking or piling data up.
TEST(SignalOutput, MakesEachGroupWhenItIsDueOrWhenTheReaderTakesIt) {
  TempDir dir;
  OnAirState state;
  std::string error;
  std::int64_t now = 5'000'000;
  SignalOutput clocked(state, GroupScheduler(0x8201, [](std::int64_t) { return 0; }),
                       {Pacing::Clock, std::nullopt, TimeOfDay::Live},
                       {[&] { return now; }, [] { return 0; }});
  clocked.setGroupOutput(*OutputStream::open(dir.file("g.txt"), error));
  EXPECT_TRUE(clocked.service());
  EXPECT_EQ(clocked.groupsMade(), 2);  // the one on air now, and the next
  EXPECT_EQ(clocked.wait().timeoutMs, 88);
  state.trafficAnnouncement = state.trafficProgramme = true;
  now += 1'000'000;
  EXPECT_TRUE(clocked.service());
  const auto groups = groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{});
  ASSERT_EQ(groups.size(), 13u);
  EXPECT_FALSE(decodeStation(std::span(groups).first(2)).trafficAnnouncement);
  EXPECT_TRUE(decodeStation(groups).trafficAnnouncement);

  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  SignalOutput piped(state, GroupScheduler(0x8201, [](std::int64_t) { return 0; }),
                     {Pacing::AsFastAsWritten, std::nullopt, TimeOfDay::Live},
                     {[] { return 0; }, [] { return 0; }});
  piped.setMpxOutput(*OutputStream::open("/proc/self/fd/" + std::to_string(ends[1]), error), false);
  close(ends[1]);
  for (int turn = 0; turn < 100; ++turn) EXPECT_TRUE(piped.service());
  const std::int64_t stalled = piped.groupsMade();
  EXPECT_LT(stalled, 10);  // a pipe's worth and the stage's own bound
  std::vector<char> sink(1 << 20);
  ASSERT_GT(read(ends[0], sink.data(), sink.size()), 0);
  EXPECT_TRUE(piped.service());
  EXPECT_GT(piped.groupsMade(), stalled);
  close(ends[0]);
}

// Made as fast as written, a turn's groups go out in one write per output, not one per group: a
// socket that keeps every write a message of its own counts them. The lines are whole, and a
// short signal's last group is cut to its samples.
TEST(SignalOutput, WritesEachTurnsOutputAtOnce) {
  OnAirState state;
  state.programmeServiceName = "ORVANE";
  const auto writesOf = [&](bool multiplex, std::int64_t samples, std::string& bytes) {
    int ends[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends), 0);
    const int sendBuffer = 1 << 20;
    setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    SignalOutput output(state, GroupScheduler(0x8201, [](std::int64_t) { return 0; }),
                        {Pacing::AsFastAsWritten, samples, TimeOfDay::FromStart},
                        {[] { return 0; }, [] { return 0; }});
    auto stream = OutputStream::borrow(ends[1], "socket");
    multiplex ? output.setMpxOutput(std::move(stream), false)
              : output.setGroupOutput(std::move(stream));
    int writes = 0;
    std::vector<char> message(1 << 20);
    for (int turn = 0, more = 1; more; ++turn) {
      more = turn < 100 && output.service();
      for (ssize_t n; (n = recv(ends[0], message.data(), message.size(), MSG_DONTWAIT)) > 0;) {
        bytes.append(message.data(), static_cast<std::size_t>(n));
        ++writes;
      }
    }
    close(ends[0]);
    close(ends[1]);
    return writes;
  };
  std::string lines, samples;
  EXPECT_EQ(writesOf(false, 300 * 19968, lines), 1);
  EXPECT_EQ(decodeStation(groupsFromHex(lines).value_or(std::vector<RdsGroup>{})).serviceNames,
            std::vector<std::string>{"ORVANE  "});
  EXPECT_EQ(writesOf(true, 11 * 19968 + 100, samples), 6);  // two groups fill a turn's buffer
  EXPECT_EQ(samples.size(), (11 * 19968 + 100) * 2u);
}

constexpr std::int64_t kStart = 1709980190LL * 1'000'000;  // 2024-03-09 10:29:50 UTC
constexpr std::int64_t kMinute = 60'000'000;
constexpr std::int64_t kStepMicros = 10'000;  // the simulated clocks move on by this much a turn
constexpr double kGroupSamples = 104 * 192;

// The minute edge a clock-time group carries, in microseconds of Unix time.
std::int64_t edgeOf(const ClockTimeSeen& clock) {
  return ((std::int64_t{clock.modifiedJulianDay} - 40587) * 1440 + clock.hour * 60 + clock.minute) *
         kMinute;
}

// The groups of g.txt as a receiver hears them, each clock time checked to end within 0.1 s of
// its minute edge, given when each group ends by the system's clock.
Station heardOnTheMinute(const TempDir& dir, const std::function<double(std::size_t)>& endOf) {
  const Station station =
      decodeStation(groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{}));
  for (const ClockTimeSeen& clock : station.clockTimes) {
    EXPECT_NEAR(endOf(clock.group), edgeOf(clock), 100'000) << clock.hour << ":" << clock.minute;
  }
  return station;
}

SignalOutput liveOutput(const OnAirState& state, Pacing pacing, std::int64_t& now,
                        std::int64_t& clockSet) {
  return SignalOutput(state, GroupScheduler(0x8201, [](std::int64_t) { return 0; }),
                      {pacing, std::nullopt, TimeOfDay::Live},
                      {[&now] { return now; }, [&] { return kStart + now + clockSet; }});
}

// The system's clock put right while the signal runs, forward and back: the next minute's clock
// time is the new one, its group ends on that minute as the new clock has it, and the name's
// frames and the time shown in it go on as before.
TEST(SignalOutput, ClockTimeFollowsTheSystemClockWhenItIsPutRight) {
  TempDir dir;
  OnAirState state;
  state.clockTimeGroups = state.timeInServiceName = true;
  state.programmeServiceName = "RADIO ORVANE LISBOA";
  std::int64_t now = 0, clockSet = 0;
  SignalOutput output = liveOutput(state, Pacing::Clock, now, clockSet);
  std::string error;
  output.setGroupOutput(*OutputStream::open(dir.file("g.txt"), error));
  std::vector<std::int64_t> endsAt;  // each group's end, by the clock of the time it was made
  for (; now < 200'000'000; now += kStepMicros) {
    if (now == 40'000'000) clockSet = 90 * kMinute;
    state.timeInServiceName = now < 100'000'000;  // the name alone across the step back
    if (now == 120'000'000) clockSet = 45 * kMinute;
    output.service();
    while (static_cast<std::int64_t>(endsAt.size()) < output.groupsMade()) {
      endsAt.push_back(kStart + now + clockSet + GroupScheduler::kGroupMicros);
    }
  }
  const Station station = heardOnTheMinute(dir, [&](std::size_t group) { return endsAt[group]; });
  std::vector<std::int64_t> edges;  // seconds from the start: 10:30, 12:01, 11:17, 11:18
  for (const ClockTimeSeen& clock : station.clockTimes)
    edges.push_back((edgeOf(clock) - kStart) / 1'000'000);
  EXPECT_EQ(edges, (std::vector<std::int64_t>{10, 5470, 2830, 2890}));
  EXPECT_EQ(std::ranges::count(station.serviceNames, "  12:00 "), 1);
  std::vector<std::size_t> changes = station.serviceNameAt;
  changes.push_back(endsAt.size());  // the last frame held to the end
  for (std::size_t i = 1; i < changes.size(); ++i) {
    EXPECT_LT(static_cast<double>(changes[i] - changes[i - 1]) * kGroupSamples / 228000, 5.0) << i;
  }
}

// A sound card reading raw samples keeps its own crystal's pace, here 100 ppm off the system's
// clock either way, and a pipe's worth of samples waits ahead of it: twenty minutes on, the
// clock-time groups still end on the minute as the system's clock has it.
TEST(SignalOutput, MinuteEdgeKeepsToTheSystemClockAtTheReadersPace) {
  for (const double ppm : {100.0, -100.0}) {
    TempDir dir;
    OnAirState state;
    state.clockTimeGroups = true;
    std::int64_t now = 0, clockSet = 0;
    SignalOutput output = liveOutput(state, Pacing::AsFastAsWritten, now, clockSet);
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
    std::string error;
    output.setGroupOutput(*OutputStream::open(dir.file("g.txt"), error));
    output.setMpxOutput(*OutputStream::open("/proc/self/fd/" + std::to_string(ends[1]), error),
                        false);
    close(ends[1]);
    const double bytesPerMicro = 2 * 228000 * (1 + ppm / 1e6) / 1e6;
    std::vector<char> sink(1 << 16);
    for (std::int64_t taken = 0; now < 20 * kMinute; now += kStepMicros) {
      output.service();
      const std::int64_t due = std::llround(static_cast<double>(now) * bytesPerMicro);
      for (ssize_t got = 0; taken < due && got >= 0; taken += got) {
        got = read(ends[0], sink.data(), std::min<std::size_t>(sink.size(), due - taken));
      }
    }
    close(ends[0]);
    const auto endOf = [&](std::size_t group) {  // when the reader takes the group's last sample
      return kStart + 2 * ((static_cast<double>(group) + 1) * kGroupSamples + 384) / bytesPerMicro;
    };
    EXPECT_EQ(heardOnTheMinute(dir, endOf).clockTimes.size(), 20u) << ppm;
  }
}

// A minute and a bit, so that one minute edge and its clock-time group fall inside, with
// RadioText Plus and alternative frequencies on. The file has no ENCODE: its end is one.
TEST(Signal, FromACommandFileBothOutputsCarryWhatWasSent) {
  TempDir dir;
  dir.write("station.txt",
            windows1252FromUtf8(
                "PTY=1A\nPSN=\"RÁDIO ORVANE\"\n"
                "TXT0=\"Bom dia, Lisboa! A música não pára.\"\n"
                "TXT1=\"Amália Rodrigues - Povo que lavas no rio\"\n"
                "DEF1ATIME=05+0A1E\nDI=0B\nTA=01\nTP=01\nMS=00\nGROUP1A=01\nGROUP4A=01\n"));
  const time_t before = time(nullptr);
  EncoderProcess encoder({"--commands", dir.file("station.txt"), "--pi", "1234", "--ecc", "e4",
                          "--groups", dir.file("g.txt"), "--mpx", dir.file("out.wav"), "--seconds",
                          "61", "--rtplus", "--af", "87.6,101.2,105.4"});
  EXPECT_EQ(encoder.waitForExit(), 0);

  const auto groups = groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{});
  EXPECT_EQ(groups.size(), 697u);  // 61 s at 1187.5 bit/s, the last group begun
  const Station station = decodeStation(groups);
  // The name's frames and both lines, nothing else; their turns are for the scheduler's tests.
  const auto seen = [](const auto& texts) { return std::set(texts.begin(), texts.end()); };
  EXPECT_EQ(std::tuple(station.pi.value_or(0), station.programmeType, station.trafficAnnouncement,
                       station.trafficProgramme, station.music, station.decoderIdentification,
                       station.programmeItem.value_or(0), station.slowLabelling.value_or(0),
                       seen(station.serviceNames), seen(station.radiotexts)),
            std::tuple(0x1234, 0x1A, true, true, false, 0x0B, (5 << 11) | (10 << 6) | 30, 0x00E4,
                       std::set<std::string>{"RÁDIO   ", "ORVANE  "},
                       std::set<std::string>{"Bom dia, Lisboa! A música não pára.",
                                             "Amália Rodrigues - Povo que lavas no rio"}));
  EXPECT_EQ(station.alternativeFrequencies, (std::vector<int>{87600, 101200, 105400}));
  std::set<std::map<int, std::string>> tagged;
  for (const RtPlusSeen& tags : station.rtPlus) tagged.insert(tags.items);
  EXPECT_EQ(tagged, (std::set<std::map<int, std::string>>{
                        {}, {{4, "Amália Rodrigues"}, {1, "Povo que lavas no rio"}}}));
  ASSERT_FALSE(station.clockTimes.empty());  // two when the signal began just past a minute
  for (const ClockTimeSeen& clock : station.clockTimes) {
    const std::int64_t edge = (std::int64_t{clock.modifiedJulianDay} - 40587) * 86400 +
                              clock.hour * 3600 + clock.minute * 60;
    EXPECT_GT(edge, before);
    EXPECT_LE(edge, before + 63);
    // RDS counts the offset in half hours; zones such as UTC+5:45 are rounded to the nearest.
    EXPECT_EQ(clock.offsetHalfHours, std::lround(systemLocalOffsetMinutes(edge) / 30.0));
  }

  // The multiplex carries the same groups: the first nine seconds, and around the clock time.
  const auto wav = readWav(dir.read("out.wav")).value_or(std::vector<std::int16_t>{});
  ASSERT_EQ(wav.size(), 61u * 228000);
  const auto hear = [&](std::size_t firstGroup, std::size_t count) {
    return groupsFromSamples(std::span(wav).subspan(firstGroup * 104 * 192, count * 104 * 192));
  };
  EXPECT_EQ(hear(0, 100), std::vector(groups.begin(), groups.begin() + 99));
  const std::size_t clockGroup = station.clockTimes[0].group;
  EXPECT_EQ(std::ranges::count(hear(clockGroup - 2, 5), groups[clockGroup]), 1);

  // Its first second: the pilot at 9 %, RDS peaking at 4.5 % and within 57 kHz +- 2.4 kHz, clear
  // of the programme audio, the pilot and the stereo band, where receivers would hear it as noise.
  const auto second = std::span(wav).first(228000);
  const PilotMeasure pilot = measureTone(second, 19000);
  EXPECT_NEAR(pilot.amplitude, 0.09, 0.001);
  double peak = 0;
  for (std::size_t n = 0; n < second.size(); ++n) {
    const double angle = 2 * std::numbers::pi * static_cast<double>(n) / 12 + pilot.phase;
    peak = std::max(peak, std::abs(second[n] / 32767.0 - pilot.amplitude * std::sin(angle)));
  }
  EXPECT_NEAR(peak, 0.045, 0.002);
  double inBand = 0;  // the mean over the band, robust to the dips the data leaves in it
  for (double hertz = 55800; hertz <= 58200; hertz += 200) {
    inBand += measureTone(second, hertz).amplitude / 13;
  }
  for (double hertz : {100.0, 1000.0, 5000.0, 15000.0, 18000.0, 20000.0, 25000.0, 38000.0, 50000.0,
                       53000.0, 54500.0, 59500.0, 61000.0, 70000.0, 100000.0}) {
    EXPECT_LT(measureTone(second, hertz).amplitude, inBand / 100) << hertz;
  }
}

// At rates where a bit is no whole number of samples the bit clock keeps to 1187.5 bit/s (a
// rounded one would slip a bit every few seconds and the groups would be lost), the pilot keeps
// its level, the subcarrier its phase against the pilot's third harmonic, and RDS its level.
TEST(Signal, AtAnyRateTheBitClockPilotAndLevelHold) {
  TempDir dir;
  dir.write("station.txt", "PSN=\"ORVANE\"\nTXT0=\"Ola\"\n");
  const std::tuple<int, const char*, double> rows[] = {{192000, "3.375", 0.045},
                                                       {128000, "1.5", 0.02}};
  for (const auto& [rate, kilohertz, level] : rows) {
    EncoderProcess encoder({"--commands", dir.file("station.txt"), "--groups", dir.file("g.txt"),
                            "--mpx", dir.file("out.wav"), "--seconds", "6", "--rate",
                            std::to_string(rate), "--rds-level", kilohertz});
    ASSERT_EQ(encoder.waitForExit(), 0);
    const auto wav = readWav(dir.read("out.wav"), static_cast<std::uint32_t>(rate));
    ASSERT_TRUE(wav && wav->size() == 6u * static_cast<unsigned>(rate)) << rate;
    const auto lines = groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{});
    auto heard = groupsFromSamples(*wav, rate);
    ASSERT_GE(lines.size(), 66u);
    heard.resize(std::min<std::size_t>(heard.size(), 66));  // the last one may be cut short
    EXPECT_EQ(heard, std::vector(lines.begin(), lines.begin() + 66)) << rate;

    const PilotMeasure pilot = measureTone(*wav, 19000, rate);
    EXPECT_NEAR(pilot.amplitude, 0.09, 0.001) << rate;
    EXPECT_NEAR(subcarrierAxisDegrees(*wav, rate, 19000, pilot.phase), 0, 1) << rate;
    double peak = 0;
    for (std::size_t n = 0; n < wav->size(); ++n) {
      const double angle = 2 * std::numbers::pi * 19000 * static_cast<double>(n) / rate;
      peak = std::max(peak, std::abs((*wav)[n] / 32767.0 - 0.09 * std::sin(angle + pilot.phase)));
    }
    EXPECT_NEAR(peak, level, 0.002) << rate;
  }
}

// The console changes the state while the signal runs, and the raw stream on standard output
// keeps a reader's pace. The reader here stops reading until the console is done, so the
// console's replies prove that a stalled reader never holds the connection up; a reader that
// goes away ends the signal as a failure, never as a success.
TEST(Signal, ConsoleChangesReachTheRawStreamAReaderTakes) {
  EncoderProcess encoder({"--port", "0", "--mpx", "-"}, EncoderProcess::Log::OnStandardError);
  TestClient console(encoder.port());
  ASSERT_TRUE(encoder.skipPast("Cliente ligado"));
  ASSERT_TRUE(console.send(
      windows1252FromUtf8("PSN=\"Antena Ç\"\nTXT0=\"Olá\"\nENCODE\nTP=01\nTA=01\nX\n")));
  EXPECT_EQ(console.readLine(), "ERRO: comando desconhecido \"X\"");

  // Six seconds of samples from here on carry the new state.
  std::vector<std::int16_t> samples(6 * 228000);
  auto* bytes = reinterpret_cast<char*>(samples.data());
  for (std::size_t got = 0; got < samples.size() * 2;) {
    pollfd p{encoder.signalFd(), POLLIN, 0};
    const ssize_t n = poll(&p, 1, kPatienceMs) == 1
                          ? read(encoder.signalFd(), bytes + got, samples.size() * 2 - got)
                          : -1;
    ASSERT_GT(n, 0);
    got += static_cast<std::size_t>(n);
  }
  const Station heard = decodeStation(groupsFromSamples(samples));
  ASSERT_FALSE(heard.serviceNames.empty() || heard.radiotexts.empty());
  EXPECT_EQ(
      std::tuple(heard.serviceNames.back(), heard.radiotexts.back(), heard.trafficAnnouncement),
      std::tuple("Antena Ç", "Olá", true));
  encoder.closeSignal();
  EXPECT_EQ(encoder.waitForExit(), 1);
}

// The console's edits, of the radiotext and of the name in turn, each just after a group was
// made: each is in the first group made after it, whichever turn was due, and whichever radiotext
// line was on air (the lines are edited in turn). By the reply the groups file holds at most the
// groups made before the edit, and one made after.
TEST(Signal, AConsoleEditIsInTheFirstGroupMadeAfterIt) {
  TempDir dir;
  EncoderProcess encoder({"--port", "0", "--groups", dir.file("g.txt")});
  TestClient console(encoder.port());
  ASSERT_TRUE(encoder.skipPast("Cliente ligado"));
  constexpr std::uintmax_t kLineBytes = 20;  // "PPPP BBBB CCCC DDDD\n"
  const auto made = [&] { return std::filesystem::file_size(dir.file("g.txt")) / kLineBytes; };
  const auto grown = [&](std::uintmax_t than) {
    for (int ms = 0; ms < kPatienceMs && made() <= than; ++ms) usleep(1000);
    return made() > than;
  };
  // An edit may take a name's turn only while the last window held enough names, and a window
  // has to have been sent before it can be counted: start once one has gone out.
  ASSERT_TRUE(grown(GroupScheduler::kNameWindow));
  for (int k = 0; k < 12; ++k) {
    const bool name = k % 2 == 1;
    const char tag = static_cast<char>('A' + k);
    ASSERT_TRUE(grown(made()));
    ASSERT_TRUE(console.send((name ? std::string("PSN=\"N") + tag
                                   : "TXT" + std::to_string(k / 2 % 2) + "=\"" + tag + "xyz") +
                             "\"\nENCODE\nX\n"));
    ASSERT_TRUE(console.readLine());
    const std::uintmax_t bound = made();
    ASSERT_TRUE(grown(bound));
    const auto groups = groupsFromHex(dir.read("g.txt")).value_or(std::vector<RdsGroup>{});
    const auto carries = [&](const RdsGroup& g) {
      return name ? g.blocks[1] >> 11 == 0 && (g.blocks[1] & 3) == 0 &&
                        g.blocks[3] == ('N' << 8 | tag)
                  : g.blocks[1] >> 11 == 4 && (g.blocks[1] & 0xF) == 0 &&
                        g.blocks[2] == (tag << 8 | 'x');
    };
    const auto first = std::ranges::find_if(groups, carries);
    EXPECT_LE(first - groups.begin(), static_cast<std::ptrdiff_t>(bound)) << k;
  }
}

// On the clock the signal takes its real time, but for one group that may go out ahead of it;
// so do raw samples on standard output sent to a file, which would take them as fast as made.
TEST(Signal, OnTheClockItTakesItsRealTime) {
  auto start = std::chrono::steady_clock::now();
  EncoderProcess encoder(
      {"--commands", "/dev/null", "--groups", "-", "--realtime", "--seconds", "0.5"},
      EncoderProcess::Log::OnStandardError);
  EXPECT_EQ(encoder.waitForExit(), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start,
            std::chrono::duration<double>(0.5 - 2 * 104 / 1187.5));

  TempDir dir;
  EncoderProcess toFile({"--port", "0", "--mpx", "-"}, EncoderProcess::Log::OnStandardError, [&] {
    dup2(open(dir.file("raw").c_str(), O_WRONLY | O_CREAT, 0600), STDOUT_FILENO);
  });
  ASSERT_NE(toFile.port(), 0);
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(toFile.waitForExit(SIGTERM), 0);
  const std::chrono::duration<double> ran = std::chrono::steady_clock::now() - start;
  EXPECT_LE(std::filesystem::file_size(dir.file("raw")), (ran.count() + 0.2) * 2 * 228000);
}

// A file that can grow no more (a full disk, here a file-size limit) ends the signal as a
// failure; the files then hold what was written, the WAV's header says exactly that, and neither
// ends in a partial sample or group line.
// A stopped process is a stalled loop: when it runs again a live signal goes on from the present,
// not with the stop's groups in a burst, and the stop is said in the log and the status.
TEST(Signal, AfterAStopTheSignalGoesOnFromThePresentAndSaysSo) {
  EncoderProcess encoder({"--port", "0", "--http", "127.0.0.1:0", "--groups", "-"},
                         EncoderProcess::Log::OnStandardError);
  ASSERT_NE(encoder.port(), 0);
  const std::string http = encoder.nextLine().value_or("");
  const auto httpPort = static_cast<std::uint16_t>(std::stoi(http.substr(http.rfind(':') + 1)));
  LineReader signal(encoder.signalFd());
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(signal.next());
  kill(encoder.pid(), SIGSTOP);
  std::this_thread::sleep_for(std::chrono::seconds(3));  // the fault itself: a stop this long
  kill(encoder.pid(), SIGCONT);
  // The groups the loop had made before the stop may still be in the pipe; no more than that
  // and a second of signal may come within the next second.
  const auto resumed = std::chrono::steady_clock::now();
  int lines = 0;
  while (std::chrono::steady_clock::now() - resumed < std::chrono::seconds(1) && signal.next()) {
    ++lines;
  }
  EXPECT_LT(lines, 2 * 12) << "three seconds of groups would be 34";
  EXPECT_TRUE(encoder.skipPast("Sinal parado "));
  EXPECT_TRUE(encoder.skipPast("Alarme: o sinal parou"));
  const std::string status =
      exchangeHttp(httpPort, "GET /status HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n").body;
  EXPECT_NE(status.find("\"gaps\":1,"), std::string::npos) << status;
  const auto lost = status.find("\"lost_ms\":");
  ASSERT_NE(lost, std::string::npos);
  EXPECT_GE(std::stoi(status.substr(lost + 10)), 2500);
}

TEST(Signal, AFailedWriteLeavesFilesThatSayWhatTheyHold) {
  TempDir dir;
  const std::tuple<std::string, std::string, rlim_t> rows[] = {
      {"--mpx", "out.wav", (1 << 20) + 1},  // in the middle of a sample
      {"--groups", "g.txt", 1001}};         // in the middle of a line
  for (const auto& [option, name, limit] : rows) {
    const rlimit size{limit, limit};
    EncoderProcess encoder({"--commands", "/dev/null", option, dir.file(name), "--seconds", "60"},
                           EncoderProcess::Log::OnStandardOutput,
                           [&size] { setrlimit(RLIMIT_FSIZE, &size); });
    EXPECT_TRUE(encoder.skipPast("Sinal interrompido"));
    EXPECT_EQ(encoder.waitForExit(), 1);
    const auto wav = readWav(dir.read(name));
    const auto groups = groupsFromHex(dir.read(name));
    EXPECT_TRUE(option == "--mpx" ? wav && wav->size() > 500'000 : groups && groups->size() == 50)
        << name << " " << dir.read(name).size();
  }
}

}  // namespace
}  // namespace orvane::test
