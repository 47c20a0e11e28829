#include <gtest/gtest.h>

#include <sstream>

#include "Alarms.h"
#include "JsonText.h"
#include "MetricsText.h"
#include "StatusJson.h"

// What the status page, its events and the metrics say, made from one snapshot by pure
// functions; and the alarms, which must be logged once when they start and once when they end.
namespace orvane::test {
namespace {

constexpr std::int64_t kSecond = 1'000'000;

TEST(Alarms, EachIsLoggedOnceAtItsStartAndOnceAtItsEnd) {
  const AlarmSettings settings{10 * 60 * kSecond, 30 * kSecond};
  AlarmInputs inputs;
  inputs.textUnchangedMicros = 9 * 60 * kSecond;
  inputs.targetsDownMicros = {{"norte", 29 * kSecond}, {"sul", 31 * kSecond}};
  inputs.clockTimeOnAir = false;
  inputs.clockSynchronised = false;  // harmless while no clock time goes out
  AlarmBook book;
  auto lines = book.update(currentAlarms(inputs, settings), 100 * kSecond);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "Alarme: destino UECP sul em baixo há mais de 30 s");

  inputs.textUnchangedMicros = 11 * 60 * kSecond;
  inputs.signalStalled = true;
  inputs.clockTimeOnAir = true;
  inputs.pilotMissing = true;
  inputs.cardsDown = {{"hw:1", "No such device"}};
  lines = book.update(currentAlarms(inputs, settings), 200 * kSecond);
  EXPECT_EQ(lines.size(), 5u);
  EXPECT_TRUE(book.update(currentAlarms(inputs, settings), 300 * kSecond).empty());
  const auto raised = book.raised();
  ASSERT_EQ(raised.size(), 6u);
  for (const auto& alarm : raised) {
    EXPECT_EQ(alarm.sinceUnixMicros,
              alarm.alarm.kind == AlarmKind::TargetDown ? 100 * kSecond : 200 * kSecond);
  }

  inputs = {};
  lines = book.update(currentAlarms(inputs, settings), 400 * kSecond);
  EXPECT_EQ(lines.size(), 6u);
  for (const auto& line : lines) EXPECT_TRUE(line.starts_with("Fim de alarme: ")) << line;
  EXPECT_FALSE(book.any());
  // Without a limit a radiotext that never changes is no fault.
  inputs.textUnchangedMicros = 1000 * 60 * kSecond;
  EXPECT_TRUE(currentAlarms(inputs, {std::nullopt, 30 * kSecond}).empty());
}

// Texts from the air and from peers cannot break a reader's parser or smuggle in controls.
TEST(JsonText, EscapesControlsAndReplacesWhatIsNotUtf8) {
  EXPECT_EQ(jsonString("Notícias \"já\"\\"), "\"Notícias \\\"já\\\"\\\\\"");
  EXPECT_EQ(jsonString(std::string("a\x00\n\x1b", 4)), "\"a\\u0000\\u000a\\u001b\"");
  const std::string bad = "\xEF\xBF\xBD";                             // U+FFFD
  EXPECT_EQ(jsonString("\xE9t\xC3"), "\"" + bad + "t" + bad + "\"");  // Latin-1, and a cut sequence
  // An overlong slash and a surrogate: each byte that is not part of a valid sequence.
  EXPECT_EQ(jsonString("\xC0\xAF\xED\xA0\x80"), "\"" + bad + bad + bad + bad + bad + "\"");
  EXPECT_EQ(isoTime(1709980190LL * kSecond), "2024-03-09T10:29:50Z");
}

StatusSnapshot sample() {
  StatusSnapshot status;
  status.unixMicros = 1709980190LL * kSecond;
  AirView air;
  air.programmeIdentification = 0x8201;
  air.serviceName = "ANTENA 1";
  air.radiotext[1] = {"Rui \"Veloso\"", true};
  air.radiotextB = true;
  air.clockTime = ClockTime{60378, 10, 29, 0};  // 2024-03-09
  air.groupsSent[0] = 8;
  air.groupsSent[22] = 3;
  air.otherNetworks[0x8202] = {"ANTENA 2", true, true};
  status.air = air;
  status.signal =
      SignalOutput::Health{{"groups.txt"}, 0, false, 0, 2, 1500, 0, 0, 0, std::nullopt, {}};
  status.signal->loopThrough = {false, false, 0.004, 180, -41.25, 7, 1};
  status.signal->cards = {{"hw:1", true, "", 3, 2, true, 1, 52'000, 12.34}};
  status.sources[static_cast<std::size_t>(ChangeSource::Uecp)] =
      ChangeLedger::Entry{status.unixMicros, "10.0.0.5:4000", 3};
  status.targets = {{"sala\"1", false, "10:29:01", 49 * kSecond, 2 * kSecond, 1, 4}};
  status.doorClients = {{"console", 1}};
  status.uecpDatagramsDropped = 2;
  status.alarms = {{{AlarmKind::TargetDown, "sala\"1", "em baixo"}, status.unixMicros}};
  return status;
}

TEST(StatusJson, SaysWhatIsOnAirAndWhoPutItThere) {
  const std::string json = statusJson(sample());
  for (const char* part :
       {R"("pi":"8201")", R"("ps":"ANTENA 1")",
        R"("b":{"text":"Rui \"Veloso\"","complete":true,)"
        R"("on_air":true})",
        R"("on_air":"B")", R"("utc":"2024-03-09 10:29")",
        R"("uecp":{"time":"2024-03-09T10:29:50Z","address":"10.0.0.5:4000","changes":3})",
        R"("console":null)", R"("down_s":49,"retry_in_s":2)", R"("lag_ms":1)",
        R"("groups_sent":{"0A":8,"11A":3})", R"("clients":{"console":1})",
        R"("uecp_listener":{"datagrams_dropped":2})",
        R"("eon":[{"pi":"8202","ps":"ANTENA 2","tp":true,"ta":true}])",
        R"("kind":"destino_em_baixo","subject":"sala\"1")",
        R"("loop_through":{"pilot_present":false,"locked":false,)",
        R"("pilot_offset_ppm":-41.2,"clipped_samples":7)",
        R"("cards":[{"device":"hw:1","open":true,"problem":null,"xruns":3,)",
        R"("delay_ms":52,"drift_ppm":12.3})"}) {
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
  }
  EXPECT_EQ(json.find('\n'), std::string::npos);  // one line: it is also an event's data
  StatusSnapshot bare;
  EXPECT_NE(statusJson(bare).find(R"("air":null,"signal":null)"), std::string::npos);
}

TEST(MetricsText, EveryFamilyIsDeclaredAndLabelsAreEscaped) {
  const std::string text = metricsText(sample());
  for (const char* line :
       {"orvane_groups_sent_total{type=\"11A\"} 3\n", "orvane_signal_lag_seconds 0.0015\n",
        "orvane_updates_total{source=\"uecp\"} 3\n", "orvane_updates_total{source=\"console\"} 0\n",
        "orvane_uecp_targets_up 0\n", "orvane_uecp_connections_total{target=\"sala\\\"1\"} 4\n",
        "orvane_alarm{kind=\"destino_em_baixo\"} 1\n", "orvane_log_lines_dropped_total 0\n",
        "orvane_clients{door=\"console\"} 1\n", "orvane_pilot_present 0\n",
        "orvane_card_xruns_total{device=\"hw:1\"} 3\n",
        "orvane_uecp_datagrams_dropped_total 2\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  // Each sample's family has its TYPE line before it.
  std::string declared;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("# TYPE ")) declared = line.substr(7, line.find(' ', 7) - 7);
    if (!line.starts_with("#")) {
      EXPECT_TRUE(line.starts_with(declared)) << line;
    }
  }
}

}  // namespace
}  // namespace orvane::test
