#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "AutomationDesk.h"
#include "DoorJson.h"
#include "DoorKey.h"
#include "DoorText.h"
#include "GroupScheduler.h"
#include "LineDoor.h"
#include "NowPlayingFile.h"
#include "RdsDecoder.h"
#include "ServerOptions.h"
#include "Windows1252.h"

namespace orvane {
namespace {

std::string onAir(std::string_view bytes, std::size_t max = 64) {
  std::string error;
  return doorText(bytes, max, error).value_or("<" + error + ">");
}

TEST(DoorText, KeepsWhatRdsCarriesAndTransliteratesTheRest) {
  EXPECT_EQ(onAir("Mão à Pé"), windows1252FromUtf8("Mão à Pé"));
  EXPECT_EQ(onAir("M\xE3o"), windows1252FromUtf8("Mão")) << "Windows-1252 from older playouts";
  EXPECT_EQ(onAir("Μπλε Φεγγάρι"), "Mple Phengari");
  EXPECT_EQ(onAir("東京"), "dong jing");
  // No letters for an emoji or a symbol the set lacks: dropped, with the blank they leave.
  EXPECT_EQ(onAir("Fado \xF0\x9F\x8E\xB5 ao vivo \xE2\x9D\xA4\xEF\xB8\x8F"), "Fado ao vivo");
  EXPECT_EQ(onAir("x^y \xE2\x99\xA5 z"), "xy z") << "ASCII the RDS set lacks, a symbol";
  EXPECT_EQ(onAir("a\tb"), "<byte de controlo na posição 2>");
  EXPECT_EQ(onAir(std::string("a\0b", 3)), "<byte de controlo na posição 2>");
  EXPECT_EQ(onAir("123456789", 8), "<texto com mais de 8 caracteres>");
  EXPECT_FALSE(isUtf8("\xED\xA0\x80")) << "a surrogate is no character";
}

// A playout's value too long for its field goes on air cut, and says so; only control bytes are
// refused.
TEST(DoorText, TooLongIsCutWhereAWordEndsOrAtTheBound) {
  struct Row {
    const char* sent;
    std::size_t bound;
    CutAt cutAt;
    const char* air;  // "<...>": refused
    bool cut;
  };
  for (const Row& row : {
           Row{"Ana Moura - Desfado", 12, CutAt::WordEnd, "Ana Moura", true},
           Row{"Ana Moura  Desfado", 11, CutAt::WordEnd, "Ana Moura", true},
           Row{"Ana Moura Desfado", 9, CutAt::WordEnd, "Ana Moura", true},
           Row{"Supercalifragilistic", 8, CutAt::WordEnd, "Supercal", true},
           Row{"Μπλε Φεγγάρι", 8, CutAt::WordEnd, "Mple", true},
           Row{"RADIO COMERCIAL", 8, CutAt::Length, "RADIO CO", true},
           Row{"Fado", 4, CutAt::WordEnd, "Fado", false},
           Row{"Fado ao vivo", 4, CutAt::WordEnd, "<byte de controlo na posição 5>", false},
       }) {
    std::string error;
    const auto fitted = fitDoorText(row.sent, row.bound, row.cutAt, error);
    EXPECT_EQ(fitted ? fitted->text : "<" + error + ">", row.air) << row.sent;
    EXPECT_EQ(fitted && fitted->cut, row.cut) << row.sent;
  }
}

TEST(DoorLine, ReadsSetsReadsAndRefusals) {
  const auto set = std::get<DoorLine>(parseDoorLine("rt=Olá = sim"));
  EXPECT_EQ(std::tuple(set.kind, set.key, set.value),
            std::tuple(DoorLine::Kind::Set, doorKeyNamed("TEXT"), std::string("Olá = sim")));
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine("?PTYN")).kind, DoorLine::Kind::Read);
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine("??")).kind, DoorLine::Kind::ReadAll);
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine(" ")).kind, DoorLine::Kind::Blank);
  EXPECT_EQ(std::get<Refusal>(parseDoorLine("NOPE\x01=1")).text, "chave desconhecida \"NOPE?\"");
  EXPECT_EQ(std::get<Refusal>(parseDoorLine("PS")).text, "falta o valor: PS=...");
}

TEST(DoorLine, ValuesTakeTheConsolesMeaningAndBounds) {
  struct Row {
    DoorKey key;
    const char* value;
    const char* error;  // empty: accepted
  };
  for (const Row& row :
       {Row{doorKeyNamed("PTY"), "0A", ""}, Row{doorKeyNamed("PI"), "0", "PI=0: esperado"},
        Row{doorKeyNamed("CT"), "2", "CT=2"}, Row{doorKeyNamed("AF"), "87.6", "AF: as frequências"},
        Row{doorKeyNamed("TA"), "1", ""}, Row{doorKeyNamed("CT"), "01", ""}}) {
    OnAirState state;
    AssignedFields fields;
    const auto error = applyDoorValue(row.key, row.value, state, fields);
    EXPECT_EQ((error ? error->text : "").substr(0, std::string(row.error).size()), row.error)
        << doorKeyName(row.key) << "=" << row.value;
    if (!error) {
      EXPECT_TRUE(row.key != doorKeyNamed("PTY") || state.programmeType == 0x0A);
      EXPECT_TRUE(row.key != doorKeyNamed("CT") || state.clockTimeGroups) << "CT=" << row.value;
    }
  }
}

// Whatever row the fields' table gains: no name stands for two values on a door, the console or
// in the log; every value a door sets is listed by "??" and /state, reads back as it was set at
// its bound, marks its element (if any) for peers, and one step beyond is refused in its key's
// name, or, a text, cut back to the bound.
TEST(OnAirFields, DoorsReadBackEachValueWithinItsBoundAndNoNameIsTakenTwice) {
  std::set<std::string> doorNames, consoleNames, logLabels;
  const auto fresh = [](std::set<std::string>& names, std::string_view name) {
    return name.empty() || names.insert(std::string(name)).second;
  };
  const auto listed = doorReadAllFields();
  for (const OnAirFieldRow& row : onAirFields()) {
    EXPECT_TRUE(fresh(doorNames, row.doorKey) && fresh(doorNames, row.doorAlias) &&
                fresh(consoleNames, row.consoleKeyword) && fresh(logLabels, row.logLabel))
        << row.title;
    if (row.doorSyntax == DoorSyntax::None || row.doorSyntax == DoorSyntax::FixedAtStart) continue;
    EXPECT_NE(std::ranges::find(listed, &row), listed.end()) << row.title;
    const bool text = row.type == FieldType::Text || row.type == FieldType::Utf8Text;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(row.bound));
    const std::string atBound =
        text ? std::string(static_cast<std::size_t>(row.bound), 'a') : std::string(digits);
    std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(row.bound + 1));
    const std::string beyond = text ? atBound + "a" : std::string(digits);
    OnAirState state;
    AssignedFields fields;
    EXPECT_FALSE(applyDoorValue(&row, atBound, state, fields)) << row.title;
    EXPECT_EQ(readDoorValue(&row, state), row.type == FieldType::Switch ? "1" : atBound);
    if (row.element) {
      EXPECT_TRUE(fields.has(*row.element)) << row.title;
    }
    bool cut = false;
    const auto refusal = applyDoorValue(&row, beyond, state, fields, &cut);
    // UTF-8 is never cut: a cut could end inside a character.
    if (row.type == FieldType::Utf8Text) {
      EXPECT_TRUE(refusal && readDoorValue(&row, state) == atBound) << row.title;
      continue;
    }
    if (text) {
      EXPECT_TRUE(!refusal && cut && readDoorValue(&row, state) == atBound) << row.title;
      continue;
    }
    EXPECT_TRUE(refusal && refusal->kind == Refusal::Kind::InvalidValue &&
                refusal->text.starts_with(row.doorKey))
        << row.title << ": " << beyond;
  }
  // The long name is UTF-8 on air: kept as sent, accents and all, and a Windows-1252 one refused.
  OnAirState state;
  AssignedFields fields;
  EXPECT_FALSE(applyDoorValue(doorKeyNamed("lps"), "Rádio — Λ ♪", state, fields));
  EXPECT_EQ(std::tuple(state.longServiceName, applyDoorValue(doorKeyNamed("LPS"),
                                                             "R\xE1"
                                                             "dio",
                                                             state, fields)
                                                  .has_value()),
            std::tuple("Rádio — Λ ♪", true));
}

TEST(NowPlaying, TemplateSetsTheTextAndTagsFromTheFields) {
  NowPlaying song{"Ana Moura", " Desfado ", "", "", "", std::nullopt};
  auto tags = std::get<OnAirState::SongTags>(renderSong(song, "Agora: {title} por {artist} {x}"));
  EXPECT_EQ(tags.text, "Agora: Desfado por Ana Moura {x}");
  EXPECT_TRUE(tags.tags.itemRunning);
  EXPECT_EQ(tags.tags.tags[0], (RtPlusTag{kItemArtist, 19, 9}));
  EXPECT_EQ(tags.tags.tags[1], (RtPlusTag{kItemTitle, 7, 7}));
  // A hyphen inside the artist splits nothing: the fields say where it ends.
  tags = std::get<OnAirState::SongTags>(
      renderSong({"Jean-Michel Jarre - Live", "Oxygène", "", "", "", {}}, "{artist} - {title}"));
  EXPECT_EQ(tags.tags.tags[0], (RtPlusTag{kItemArtist, 0, 24}));
  // Too long for radiotext: cut where a word ends, and the tag that runs past the end with it.
  bool cut = false;
  tags = std::get<OnAirState::SongTags>(renderSong(
      {std::string(50, 'a'), "uma duas tres quatro", "", "", "", {}}, "{artist} - {title}", &cut));
  EXPECT_EQ(tags.text, std::string(50, 'a') + " - uma duas");
  EXPECT_TRUE(cut);
  EXPECT_EQ(tags.tags.tags[1], (RtPlusTag{kItemTitle, 53, 8}));
  EXPECT_FALSE(std::get<OnAirState::SongTags>(renderSong({"", "", "", "", "Jingle", {}}, "x"))
                   .tags.itemRunning);
  EXPECT_EQ(std::get<std::string>(renderSong({}, "{artist}")), "sem artista, título nem texto");
  // A missing artist (null, or nothing the air can show) leaves no dangling separator.
  for (const char* artist : {"", "\xF0\x9F\x8E\xB5"}) {
    EXPECT_EQ(std::get<OnAirState::SongTags>(
                  renderSong({artist, "Aluko River", "", "", "a - b", {}}, "{artist} - {title}"))
                  .text,
              "Aluko River");
  }
}

TEST(NowPlaying, DurationsAreSecondsWithinADay) {
  EXPECT_EQ(readDuration("215.5"), std::chrono::milliseconds(215500));
  for (const char* bad : {"", "0", "-3", "nan", "inf", "86401", "3:35", "1e400"}) {
    EXPECT_FALSE(readDuration(bad)) << bad;
  }
}

TEST(DoorJson, AzuraCastWebHookAndItsWrongShapes) {
  const auto song = std::get<0>(readAzuraCastJson(
      R"({"station":{"name":"X"},"now_playing":{"duration":215.4,"playlist":"Jingles",)"
      R"("song":{"artist":"Ana Moura","title":"Desfado","album":null}},)"
      R"("playing_next":{"duration":180.25}})"));
  ASSERT_TRUE(song);
  EXPECT_EQ(std::tuple(song->artist, song->title, song->category, song->duration),
            std::tuple("Ana Moura", "Desfado", "Jingles", std::chrono::milliseconds(215400)));
  EXPECT_FALSE(std::get<0>(readAzuraCastJson(R"({"now_playing":null})"))) << "off line";
  // Liquidsoap posts its own object, a zero length meaning none.
  const auto posted = std::get<NowPlaying>(
      readNowPlayingJson(R"({"artist":"","title":"Desfado","album":null,"duration":0.0})"));
  EXPECT_EQ(std::tuple(posted.title, posted.duration), std::tuple("Desfado", std::nullopt));
  EXPECT_EQ(std::get<std::string>(readNowPlayingJson(R"({"title":["x"]})")),
            "campo com forma inesperada");
  for (const char* bad : {"[]", "{", R"({"now_playing":{"song":"x"}})",
                          R"({"now_playing":{"song":{"artist":{"a":1}}}})",
                          R"({"now_playing":{"duration":-1,"song":{}}})"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(readAzuraCastJson(bad))) << bad;
  }
  const std::string deep(60000, '[');
  EXPECT_EQ(std::get<std::string>(readAzuraCastJson(deep)), "JSON aninhado demais");
  EXPECT_EQ(std::get<Refusal>(readStateJson(R"({"TEXT":"a","XX":1})")).text,
            "chave desconhecida: XX");
  EXPECT_EQ(std::get<Refusal>(readStateJson(R"({"TEXT":"a","PS":"b","TEXT":"c"})")).text,
            "chave repetida: TEXT");
  EXPECT_EQ(std::get<std::string>(readAzuraCastJson(
                R"({"now_playing":{"song":{"title":"a"},"song":{"title":"b"}}})")),
            "chave repetida: song")
      << "at any depth";
  EXPECT_EQ(std::get<0>(readStateJson(R"({"ta":true,"PTY":"0A"})")).size(), 2u);
}

TEST(NowPlayingFile, SongLineOrKeyedLines) {
  auto song = std::get<NowPlaying>(readNowPlayingFile("\xEF\xBB\xBF  Ana Moura - Desfado \r\n"));
  EXPECT_EQ(std::tuple(song.artist, song.title), std::tuple("Ana Moura", "Desfado"));
  song = std::get<NowPlaying>(readNowPlayingFile("[Text]\r\nStation ID\n"));
  EXPECT_EQ(std::tuple(song.artist, song.text), std::tuple("", "Station ID"));
  song = std::get<NowPlaying>(
      readNowPlayingFile("[Now]\npath=C:\\x.mp3\nTitle = A - B\nARTIST=C\nduration=12\n"));
  EXPECT_EQ(std::tuple(song.artist, song.title, song.duration),
            std::tuple("C", "A - B", std::chrono::milliseconds(12000)));
  for (const std::string& bad : {std::string("\n[Text]\n"), std::string("duration=x\n"),
                                 std::string(kMaxNowPlayingFileBytes + 1, 'a')}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(readNowPlayingFile(bad)));
  }
}

TEST(AutomationOptions, RefuseWhatWouldOpenTheAirToTheNetworkOrMeanNothing) {
  const auto refusal = [](std::vector<std::string_view> args) {
    const auto parsed = parseOptions(args);
    const auto* error = std::get_if<OptionsError>(&parsed);
    return error ? error->message : std::string();
  };
  EXPECT_EQ(refusal({"--http", "0.0.0.0:8080"}), "--http em 0.0.0.0 precisa de --http-token");
  EXPECT_EQ(refusal({"--http", "0.0.0.0:8080", "--http-token", "0123456789abcde"}).substr(0, 40),
            "--http-token: o token do HTTP em 0.0.0.0")
      << "fifteen characters are guessed";
  EXPECT_EQ(refusal({"--http", "0.0.0.0:8080", "--http-token", "0123456789abcdef"}), "");
  EXPECT_EQ(refusal({"--http", "127.0.0.2:8080", "--http-token", "s"}), "") << "loopback";
  EXPECT_EQ(refusal({"--http-token", "s"}), "--http-token precisa de --http");
  EXPECT_EQ(refusal({"--automation", "host:70000"}).substr(0, 13), "--automation:");
  EXPECT_EQ(refusal({"--now-playing-skip", "(jingle"}).substr(0, 19), "--now-playing-skip:");
  EXPECT_EQ(refusal({"--automation", "7000", "--http", "7000"}),
            "--automation e --http não podem usar o mesmo porto");
}

// The desk with a clock the test steps, and what a receiver makes of the air it leaves.
class DeskTest : public ::testing::Test {
 protected:
  AutomationDesk::Settings settings(std::optional<std::string> defaultText = {}) {
    AutomationDesk::Settings s;
    s.skip = "^(jingle|spot)";
    s.defaultText = std::move(defaultText);
    return s;
  }
  void advance(std::chrono::milliseconds by) {
    now_ += by.count() * 1000;
    (void)desk_->service({});
  }
  test::Station heard() {
    GroupScheduler scheduler(0x8201, [](std::int64_t) { return 0; });
    scheduler.setRadiotextPlus(RtPlusFormat::ArtistTitle);
    std::vector<RdsGroup> groups;
    for (int i = 0; i < 200; ++i) {
      groups.push_back(scheduler.next(state_.onAir(), i * GroupScheduler::kGroupMicros));
    }
    return test::decodeStation(groups);
  }

  std::int64_t now_ = 0;
  EncoderState state_;
  AirLog log_{STDERR_FILENO};
  std::unique_ptr<AutomationDesk> desk_;
};

TEST_F(DeskTest, SongGoesOnAirWithItsTagsAndExpiresToTheStationsText) {
  desk_ = std::make_unique<AutomationDesk>(state_, log_, settings(), [this] { return now_; });
  (void)desk_->set({{doorKeyNamed("TEXT"), "Rádio Orvane"}, {doorKeyNamed("PTYN"), "Fado"}},
                   "teste");
  NowPlaying song{"Mão Morta", "Budapeste", "", "", "", std::chrono::seconds(200)};
  EXPECT_EQ(desk_->song(song, "teste").kind, AutomationDesk::Outcome::Kind::OnAir);
  test::Station station = heard();
  EXPECT_EQ(station.radiotexts.back(), "Mão Morta - Budapeste");
  EXPECT_EQ(station.programmeTypeName, "Fado    ");
  ASSERT_FALSE(station.rtPlus.empty());
  EXPECT_EQ(station.rtPlus.back().items,
            (std::map<int, std::string>{{kItemArtist, "Mão Morta"}, {kItemTitle, "Budapeste"}}));
  advance(std::chrono::seconds(200) + AutomationDesk::kGrace - std::chrono::milliseconds(1));
  EXPECT_EQ(utf8FromWindows1252(state_.onAir().radiotext[0]), "Mão Morta - Budapeste");
  advance(std::chrono::milliseconds(1));
  EXPECT_EQ(heard().radiotexts.back(), "Rádio Orvane");
  EXPECT_FALSE(state_.onAir().songTags);
  // The console's text, put on air mid-song, is the station's text when the next song ends.
  (void)desk_->song(song, "teste");
  (void)state_.apply(Command{Keyword::Txt0, 0, {}, "Consola"});
  (void)state_.apply(Command{});
  (void)desk_->song({"B", "C", "", "", "", std::chrono::seconds(1)}, "teste");
  advance(std::chrono::seconds(1) + AutomationDesk::kGrace);
  EXPECT_EQ(state_.onAir().radiotext[0], "Consola");
}

// "??" reads back every key a line may set, and AF, fixed at start, is not one of them.
TEST_F(DeskTest, ReadAllAnswersEveryKeyALineMaySet) {
  desk_ = std::make_unique<AutomationDesk>(state_, log_, settings(), [this] { return now_; });
  EXPECT_EQ(answerDoorLine(*desk_, "??", "teste").reply,
            "PS=\nDPS=\nTEXT=\nPTY=00\nPTYN=\nTA=0\nTP=0\nMS=1\nDI=01\nPI=\nCT=0\nLPS=\nERT=\n"
            "EON1TA=0\nEON2TA=0\nEON3TA=0\nEON4TA=0\nEON5TA=0\nEON6TA=0\nEON7TA=0\nEON8TA=0\n+\n");
}

TEST_F(DeskTest, ExpiryLeavesSomeoneElsesTextAndFilterKeepsJinglesOff) {
  desk_ =
      std::make_unique<AutomationDesk>(state_, log_, settings("Bom dia"), [this] { return now_; });
  desk_->startWithDefaultText();
  EXPECT_EQ(state_.onAir().radiotext[0], "Bom dia") << "on air before any song";
  EXPECT_EQ(desk_->song({"A", "B", "", "", "", {}}, "teste").kind,
            AutomationDesk::Outcome::Kind::OnAir);
  EXPECT_EQ(desk_->song({"X", "Y", "", "Spot 3", "", {}}, "teste").kind,
            AutomationDesk::Outcome::Kind::Skipped);
  EXPECT_EQ(state_.onAir().radiotext[0], "A - B");
  advance(std::chrono::minutes(15));
  EXPECT_EQ(state_.onAir().radiotext[0], "Bom dia") << "no duration: the timeout";
  (void)desk_->song({"A", "B", "", "", "", std::chrono::seconds(1)}, "teste");
  (void)state_.apply(Command{Keyword::Txt0, 0, {}, "Consola"});
  (void)state_.apply(Command{});
  advance(std::chrono::minutes(1));
  EXPECT_EQ(state_.onAir().radiotext[0], "Consola");
  advance(std::chrono::hours(1));
  EXPECT_EQ(state_.onAir().radiotext[0], "Consola") << "the operator's text never expires";
  (void)desk_->set({{doorKeyNamed("TEXT"), "Playout"}}, "teste");
  advance(std::chrono::minutes(15));
  EXPECT_EQ(state_.onAir().radiotext[0], "Bom dia") << "a playout's plain text goes stale";
  // A batch with one bad value changes nothing.
  EXPECT_EQ(desk_->set({{doorKeyNamed("PS"), "NOVO"}, {doorKeyNamed("PTY"), "99"}}, "teste").kind,
            AutomationDesk::Outcome::Kind::Refused);
  EXPECT_EQ(state_.onAir().programmeServiceName, "");
}

}  // namespace
}  // namespace orvane
