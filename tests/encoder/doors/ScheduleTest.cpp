#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "AgendaDesk.h"
#include "ScheduleFile.h"

namespace orvane {
namespace {

// The C library's time zone for the length of a test, as a station's machine would have it.
class LocalZone {
 public:
  explicit LocalZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~LocalZone() {
    if (old_) setenv("TZ", old_->c_str(), 1);
    if (!old_) unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

std::variant<std::vector<ScheduleEntry>, std::vector<std::string>> load(const std::string& text) {
  return loadSchedule(toml::parse(text), "estação.toml");
}

std::vector<ScheduleEntry> entries(const std::string& text) {
  auto loaded = load(text);
  const auto* errors = std::get_if<std::vector<std::string>>(&loaded);
  EXPECT_EQ(errors, nullptr) << (errors ? errors->front() : "");
  return std::get<std::vector<ScheduleEntry>>(loaded);
}

std::int64_t utc(int year, int month, int day, int hour, int minute) {
  std::tm time{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  return timegm(&time);
}

TEST(ScheduleFile, RefusesWhatCannotRunAndNamesTheLine) {
  const struct {
    std::string text;
    std::string error;  // the first; empty: accepted
  } cases[] = {
      {"[[schedule]]\ndays='sat,sun'\nfrom='23:00'\nto='01:00'\npty='Desporto'\n", ""},
      {"[[schedule]]\ndays='mon-fry'\nfrom='07:00'\nto='10:00'\nps='Manhã'\n",
       "estação.toml:2: schedule: days:"},
      {"[[schedule]]\nfrom='7:00'\nto='10:00'\nps='Manhã'\n",
       "estação.toml:2: schedule: from: não é uma hora HH:MM"},
      {"[[schedule]]\nfrom='07:00'\nps='Manhã'\n", "estação.toml:1: schedule: falta 'to'"},
      {"[[schedule]]\nfrom='07:00'\nto='07:00'\nps='Manhã'\n",
       "estação.toml:1: schedule: from e to iguais"},
      {"[[schedule]]\nfrom='07:00'\nto='08:00'\n", "estação.toml:1: schedule: nada para pôr"},
      {"[[schedule]]\nfrom='07:00'\nto='08:00'\nrt='x'\n", "estação.toml:4: schedule: chave"},
      {"[[schedule]]\nfrom='07:00'\nto='08:00'\nps='Manhã Viva'\n",
       "estação.toml:4: schedule: ps:"},
      {"[[schedule]]\nfrom='07:00'\nto='08:00'\nps='A'\ndps='B'\n",
       "estação.toml:1: schedule: ps e"},
      {"[[schedule]]\nfrom='07:00'\nto='08:00'\npty=32\n", "estação.toml:4: schedule: pty:"},
      {"schedule = 3\n", "estação.toml:1: schedule: não é uma lista"},
      // Sunday's night runs into Monday's morning.
      {"[[schedule]]\ndays='sun'\nfrom='23:00'\nto='01:00'\nps='Noite'\n\n"
       "[[schedule]]\ndays='mon'\nfrom='00:30'\nto='02:00'\nps='Cedo'\n",
       "estação.toml:7: schedule: sobrepõe-se à entrada da linha 1"},
  };
  for (const auto& row : cases) {
    const auto loaded = load(row.text);
    const auto* errors = std::get_if<std::vector<std::string>>(&loaded);
    if (row.error.empty()) {
      EXPECT_EQ(errors, nullptr) << row.text << (errors ? errors->front() : "");
      continue;
    }
    ASSERT_NE(errors, nullptr) << row.text;
    EXPECT_EQ(errors->front().rfind(row.error, 0), 0u) << errors->front();
  }
}

// Lisbon goes from 01:00 to 02:00 on 29 March 2026 and from 02:00 back to 01:00 on 25 October.
TEST(ScheduleClock, FollowsTheWallClockAcrossMidnightAndClockChanges) {
  const LocalZone lisbon("Europe/Lisbon");
  const auto week = entries(
      "[[schedule]]\ndays='mon-fri'\nfrom='07:00'\nto='10:00'\nps='Manhã'\n"  // line 1
      "[[schedule]]\ndays='sat'\nfrom='23:00'\nto='01:00'\nps='Noite'\n"      // line 6
      "[[schedule]]\ndays='sun'\nfrom='01:30'\nto='03:00'\nps='Madruga'\n"    // line 11
      "[[schedule]]\ndays='sun'\nfrom='01:10'\nto='01:20'\nps='Breve'\n");    // line 16
  const struct {
    std::int64_t at;
    int onAirLine;  // 0: none
    std::int64_t changesAt;
    int nextLine;
    std::int64_t nextStartsAt;
  } cases[] = {
      {utc(2026, 3, 2, 8, 0), 1, utc(2026, 3, 2, 10, 0), 1, utc(2026, 3, 3, 7, 0)},
      {utc(2026, 3, 8, 0, 30), 6, utc(2026, 3, 8, 1, 0), 16, utc(2026, 3, 8, 1, 10)},
      // 01:30 is skipped: the entry starts when the clock resumes at 02:00, and 01:10 never runs.
      {utc(2026, 3, 29, 0, 59), 6, utc(2026, 3, 29, 1, 0), 11, utc(2026, 3, 29, 1, 0)},
      {utc(2026, 10, 25, 0, 15), 16, utc(2026, 10, 25, 0, 20), 11, utc(2026, 10, 25, 0, 30)},
      // The hour again: the 01:30 entry ended as the clock went back; 01:10 runs a second time.
      {utc(2026, 10, 25, 1, 5), 0, utc(2026, 10, 25, 1, 10), 16, utc(2026, 10, 25, 1, 10)},
  };
  for (const auto& row : cases) {
    const ScheduleMoment moment = scheduleAt(week, row.at);
    const auto line = [&week](std::optional<std::size_t> i) { return i ? week[*i].line : 0; };
    EXPECT_EQ(line(moment.onAir), row.onAirLine) << row.at;
    EXPECT_EQ(moment.changesAt, row.changesAt) << row.at;
    EXPECT_EQ(line(moment.next), row.nextLine) << row.at;
    EXPECT_EQ(moment.nextStartsAt, row.nextStartsAt) << row.at;
  }
}

class AgendaTest : public ::testing::Test {
 protected:
  void at(std::int64_t unixSeconds) {
    now_ = unixSeconds * 1'000'000;
    (void)desk_.service({});
  }
  void console(Keyword keyword, std::string text) {
    (void)state_.apply(Command{keyword, 0, {}, std::move(text)});
    (void)state_.apply(Command{});
  }

  LocalZone zone_{"UTC"};
  std::int64_t now_ = utc(2026, 3, 2, 8, 0) * 1'000'000;  // a Monday
  EncoderState state_;
  AirLog log_{STDERR_FILENO};
  AgendaDesk desk_{state_, log_, [this] { return now_; }};
};

TEST_F(AgendaTest, StartedMidEntryGoesOnAirAndGivesBackOnlyWhatNobodyChanged) {
  console(Keyword::Psn, "ORVANE");
  console(Keyword::Txt0, "Rádio Orvane");
  desk_.setSchedule(
      entries("[[schedule]]\nfrom='07:00'\nto='10:00'\nps='MANHA'\ntext='A manhã'\n"));
  EXPECT_EQ(state_.onAir().programmeServiceName, "MANHA");
  EXPECT_TRUE(desk_.health().onAir);
  EXPECT_EQ(desk_.wait().timeoutMs, AgendaDesk::kRecheckMs);
  console(Keyword::Txt0, "Noticia");
  at(utc(2026, 3, 2, 9, 59));
  EXPECT_EQ(state_.onAir().programmeServiceName, "MANHA");
  at(utc(2026, 3, 2, 10, 0));
  EXPECT_EQ(state_.onAir().programmeServiceName, "ORVANE");
  EXPECT_EQ(state_.onAir().radiotext[0], "Noticia");
  EXPECT_FALSE(desk_.health().onAir);
  EXPECT_EQ(desk_.health().nextStartsMicros, utc(2026, 3, 3, 7, 0) * 1'000'000);
}

// An encoder restarted during an entry finds the entry's values on air: only what it kept of the
// entry tells it what to give back at the end.
TEST_F(AgendaTest, ARestartDuringAnEntryStillGivesBackWhatWasOnAirBeforeIt) {
  const auto week = entries("[[schedule]]\nfrom='07:00'\nto='10:00'\nps='MANHA'\ntext='A manhã'\n");
  console(Keyword::Psn, "ORVANE");
  desk_.setSchedule(week);
  const auto kept = readKeptAgenda(keptAgendaJson(desk_.kept().value()));
  ASSERT_TRUE(kept);
  AgendaDesk restarted{state_, log_, [this] { return now_; }};
  restarted.resume(*kept);
  restarted.setSchedule(week);
  EXPECT_EQ(restarted.kept(), desk_.kept());
  now_ = utc(2026, 3, 2, 10, 0) * 1'000'000;
  (void)restarted.service({});
  EXPECT_EQ(state_.onAir().programmeServiceName, "ORVANE");
  EXPECT_EQ(state_.onAir().radiotext[0], "");
}

// A reload that keeps the running entry leaves the air alone; one that drops it gives back.
TEST_F(AgendaTest, ReloadKeepsAnUnchangedEntryAndEndsARemovedOne) {
  const std::string morning = "[[schedule]]\nfrom='07:00'\nto='10:00'\nps='MANHA'\n";
  desk_.setSchedule(entries(morning));
  console(Keyword::Txt0, "Operador");
  console(Keyword::Psn, "OPERADOR");
  desk_.setSchedule(entries(morning));
  EXPECT_EQ(state_.onAir().programmeServiceName, "OPERADOR");
  desk_.setSchedule(entries("[[schedule]]\nfrom='07:00'\nto='10:00'\nps='MANHA'\npty=1\n"));
  EXPECT_EQ(state_.onAir().programmeServiceName, "MANHA");
  EXPECT_EQ(state_.onAir().programmeType, 1);
  desk_.setSchedule({});
  EXPECT_EQ(state_.onAir().programmeServiceName, "OPERADOR");
  EXPECT_EQ(state_.onAir().programmeType, 0);
}

}  // namespace
}  // namespace orvane
