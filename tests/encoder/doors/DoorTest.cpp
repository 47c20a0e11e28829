#include <gtest/gtest.h>

#include <string>

#include "AutomationDesk.h"
#include "DoorJson.h"
#include "DoorKey.h"
#include "DoorText.h"
#include "GroupScheduler.h"
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
  EXPECT_EQ(onAir("a\xF0\x9F\x8E\xB5"), "a?") << "an emoji has no letters";
  EXPECT_EQ(onAir("x^y"), "x?y") << "ASCII the RDS set lacks is still refused a glyph";
  EXPECT_EQ(onAir("a\tb"), "<byte de controlo na posição 2>");
  EXPECT_EQ(onAir(std::string("a\0b", 3)), "<byte de controlo na posição 2>");
  EXPECT_EQ(onAir("123456789", 8), "<texto com mais de 8 caracteres>");
  EXPECT_FALSE(isUtf8("\xED\xA0\x80")) << "a surrogate is no character";
}

TEST(DoorLine, ReadsSetsReadsAndRefusals) {
  const auto set = std::get<DoorLine>(parseDoorLine("rt=Olá = sim"));
  EXPECT_EQ(std::tuple(set.kind, set.key, set.value),
            std::tuple(DoorLine::Kind::Set, DoorKey::Text, std::string("Olá = sim")));
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine("?PTYN")).kind, DoorLine::Kind::Read);
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine("??")).kind, DoorLine::Kind::ReadAll);
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine(" ")).kind, DoorLine::Kind::Blank);
  EXPECT_EQ(std::get<std::string>(parseDoorLine("NOPE\x01=1")), "chave desconhecida \"NOPE?\"");
  EXPECT_EQ(std::get<std::string>(parseDoorLine("PS")), "falta o valor: PS=...");
}

TEST(DoorLine, ValuesTakeTheConsolesMeaningAndBounds) {
  struct Row {
    DoorKey key;
    const char* value;
    const char* error;  // empty: accepted
  };
  for (const Row& row :
       {Row{DoorKey::Pty, "0A", ""}, Row{DoorKey::Pty, "20", "PTY=20: fora"},
        Row{DoorKey::Ps, "RADIO ORV", "PS: texto com mais de 8"},
        Row{DoorKey::Pi, "0", "PI=0: esperado"}, Row{DoorKey::Ct, "2", "CT=2"},
        Row{DoorKey::Af, "87.6", "AF: as frequências"}, Row{DoorKey::Ta, "1", ""}}) {
    OnAirState state;
    AssignedFields fields;
    const auto error = applyDoorValue(row.key, row.value, state, fields);
    EXPECT_EQ(error.value_or("").substr(0, std::string(row.error).size()), row.error)
        << doorKeyName(row.key) << "=" << row.value;
    if (row.key == DoorKey::Pty && !error) {
      EXPECT_EQ(state.programmeType, 0x0A);
    }
  }
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
  // Too long for radiotext: cut, and the tag that runs past the end cut with it.
  tags = std::get<OnAirState::SongTags>(
      renderSong({std::string(60, 'a'), "title", "", "", "", {}}, "{artist} - {title}"));
  EXPECT_EQ(tags.text.size(), kMaxRadiotextLength);
  EXPECT_EQ(tags.tags.tags[1], (RtPlusTag{kItemTitle, 63, 1}));
  EXPECT_FALSE(std::get<OnAirState::SongTags>(renderSong({"", "", "", "", "Jingle", {}}, "x"))
                   .tags.itemRunning);
  EXPECT_EQ(std::get<std::string>(renderSong({}, "{artist}")), "sem artista, título nem texto");
}

TEST(NowPlaying, DurationsAreSecondsWithinADay) {
  EXPECT_EQ(readDuration("215.5"), std::chrono::milliseconds(215500));
  for (const char* bad : {"", "0", "-3", "nan", "inf", "86401", "3:35", "1e400"}) {
    EXPECT_FALSE(readDuration(bad)) << bad;
  }
}

TEST(DoorJson, AzuraCastWebHookAndItsWrongShapes) {
  const auto song = std::get<NowPlaying>(readAzuraCastJson(
      R"({"station":{"name":"X"},"now_playing":{"duration":215,"playlist":"Jingles",)"
      R"("song":{"artist":"Ana Moura","title":"Desfado","album":"D"}}})"));
  EXPECT_EQ(std::tuple(song.artist, song.title, song.category, song.duration),
            std::tuple("Ana Moura", "Desfado", "Jingles", std::chrono::milliseconds(215000)));
  for (const char* bad : {"[]", "{", R"({"now_playing":{"song":"x"}})",
                          R"({"now_playing":{"song":{"artist":{"a":1}}}})",
                          R"({"now_playing":{"duration":-1,"song":{}}})"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(readAzuraCastJson(bad))) << bad;
  }
  const std::string deep(60000, '[');
  EXPECT_EQ(std::get<std::string>(readAzuraCastJson(deep)), "JSON aninhado demais");
  EXPECT_EQ(std::get<std::string>(readStateJson(R"({"TEXT":"a","XX":1})")),
            "chave desconhecida: XX");
  EXPECT_EQ(std::get<std::string>(readStateJson(R"({"TEXT":"a","PS":"b","TEXT":"c"})")),
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
  song = std::get<NowPlaying>(readNowPlayingFile("Station ID\n"));
  EXPECT_EQ(std::tuple(song.artist, song.text), std::tuple("", "Station ID"));
  song = std::get<NowPlaying>(
      readNowPlayingFile("path=C:\\x.mp3\nTitle = A - B\nartist=C\nduration=12\n"));
  EXPECT_EQ(std::tuple(song.artist, song.title, song.duration),
            std::tuple("C", "A - B", std::chrono::milliseconds(12000)));
  for (const std::string& bad : {std::string("\n \n"), std::string("duration=x\n"),
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
  (void)desk_->set({{DoorKey::Text, "Rádio Orvane"}, {DoorKey::Ptyn, "Fado"}}, "teste");
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
}

TEST_F(DeskTest, ExpiryLeavesSomeoneElsesTextAndFilterKeepsJinglesOff) {
  desk_ =
      std::make_unique<AutomationDesk>(state_, log_, settings("Bom dia"), [this] { return now_; });
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
  // A batch with one bad value changes nothing.
  EXPECT_EQ(desk_->set({{DoorKey::Ps, "NOVO"}, {DoorKey::Pty, "99"}}, "teste").kind,
            AutomationDesk::Outcome::Kind::Refused);
  EXPECT_EQ(state_.onAir().programmeServiceName, "");
}

}  // namespace
}  // namespace orvane
