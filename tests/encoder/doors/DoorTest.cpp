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
#include "SongLines.h"
#include "Windows1252.h"
#include "XCommand.h"

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
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine("RT1=x")).key, doorKeyNamed("TEXT")) << "pira's";
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine("dps1=x")).key, doorKeyNamed("DPS"));
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine("?PTYN")).kind, DoorLine::Kind::Read);
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine("??")).kind, DoorLine::Kind::ReadAll);
  EXPECT_EQ(std::get<DoorLine>(parseDoorLine(" ")).kind, DoorLine::Kind::Blank);
  EXPECT_EQ(std::get<Refusal>(parseDoorLine("NOPE\x01=1")).text, "chave desconhecida \"NOPE?\"");
  EXPECT_EQ(std::get<Refusal>(parseDoorLine("PS")).text, "falta o valor: PS=...");
  EXPECT_EQ(std::get<Refusal>(parseDoorLine("?XCMD")).text, "XCMD: nada a ler, só se escreve");
}

TEST(DoorLine, ValuesTakeTheConsolesMeaningAndBounds) {
  struct Row {
    DoorKey key;
    const char* value;
    const char* error;  // empty: accepted
  };
  // PTY is decimal, as the hardware encoders' plugins send it: 10 is Pop Music, not 0x10.
  for (const Row& row :
       {Row{doorKeyNamed("PTY"), "10", ""}, Row{doorKeyNamed("PTY"), "0A", "PTY=0A: esperado"},
        Row{doorKeyNamed("PI"), "0", "PI=0: esperado"}, Row{doorKeyNamed("CT"), "2", "CT=2"},
        Row{doorKeyNamed("AF3"), "87.6", "AF: as frequências"}, Row{doorKeyNamed("TA"), "1", ""},
        Row{doorKeyNamed("CT"), "01", ""}, Row{doorKeyNamed("DPSR"), "1", "DPSR: não suportado"},
        Row{doorKeyNamed("TITLE"), "x", "TITLE: um campo de música"}}) {
    OnAirState state;
    AssignedFields fields;
    const auto error = applyDoorValue(row.key, row.value, state, fields);
    EXPECT_EQ((error ? error->text : "").substr(0, std::string(row.error).size()), row.error)
        << doorKeyName(row.key) << "=" << row.value;
    if (!error) {
      EXPECT_TRUE(row.key != doorKeyNamed("PTY") || state.programmeType == 10);
      EXPECT_TRUE(row.key != doorKeyNamed("CT") || state.clockTimeGroups) << "CT=" << row.value;
    }
  }
}

// pira's RT+ markers and X-Command, each line applied to the air the one before left: the
// radiotext, the markers read back as pira writes them, the scrolling name, or the refusal.
TEST(DoorLine, PiraMarkersAndXCommandPutTextNameAndTagsOnAir) {
  struct Row {
    const char* key;
    std::string value;
    const char* radiotext;  // what is on air after it, or the refusal's start
    const char* markers;
    const char* name = "";
  };
  const std::string x = "<rds><item><dest>";
  const std::string song =
      "</dest><text>Agora: <artist>Ana Moura</artist> - <title>Desfado</title>";
  const std::string end = "</text></item></rds>";
  // clang-format off
  const std::vector<Row> rows = {
      {"RT1", "Agora: Xutos - Homem do Leme", "Agora: Xutos - Homem do Leme", "00,00,00,00,00,00"},
      {"RTP", "04,07,04,01,15,12", "Agora: Xutos - Homem do Leme", "04,07,04,01,15,12"},
      {"RTP", "4,7,4,1,15,12", "Agora: Xutos - Homem do Leme", "04,07,04,01,15,12"},
      {"RTP", "04,07,04,01,15,13", "RTP: a etiqueta 2 sai do radiotexto", ""},
      {"RTP", "04,07,04,01,15", "RTP=04,07,04,01,15: esperados seis", ""},
      {"RTP", "04,07,04,01,15,12,0", "RTP=04,07,04,01,15,12,0: esperados", ""},
      {"RTP", "04,07,004,01,15,12", "RTP=04,07,004,01,15,12: esperados", ""},
      {"RTP", "00,00,00,00,00,00", "Agora: Xutos - Homem do Leme", "00,00,00,00,00,00"},
      {"XCMD", x + "3" + song + end, "Agora: Ana Moura - Desfado", "04,07,08,01,19,06"},
      {"XCMD", x + "1" + song + end, "Agora: Ana Moura - Desfado", "00,00,00,00,00,00"},
      {"XCMD", x + "4" + song + end, "Agora: Ana Moura - Desfado", "00,00,00,00,00,00",
       "Agora: Ana Moura - Desfado"},
      // Blanks and references as hand-written ones have them; the longer field takes tag 1.
      {"XCMD", ("<rds> <item> <text><title> Ti &amp; Tu </title> por <artist>Mó</artist></text>"
                " <dest>7</dest></item></rds>"), " Ti & Tu  por Mó", "01,01,06,04,14,01",
       " Ti & Tu  por Mó"},
      {"XCMD", x + "2" + song + end, "XCMD: <dest> deve ser 1, 3, 4, 5 ou 7", ""},
      {"XCMD", x + "3" + song + "<album>X</album>" + end, "XCMD: em <text> só", ""},
      {"XCMD", x + "3" + song + end + "<rds>", "XCMD: esperado </rds> no fim", ""},
      {"XCMD", x + "3" + song + "<title>X</title>" + end, "XCMD: <title> repetido", ""},
      {"XCMD", x + "3</dest><dest>3" + song + end, "XCMD: em <item> só", ""},
      {"XCMD", x + "3" + song, "XCMD: falta </text>", ""},
      {"XCMD", "<rds><item><dest>3</dest></item></rds>", "XCMD: falta <dest> ou <text>", ""},
      {"XCMD", x + "3</dest><text><artist>A\tB</artist></text></item></rds>",
       "XCMD: byte de controlo", ""},
      {"XCMD", x + "3" + song + end + std::string(kMaxXCommandBytes, ' '),
       "XCMD: mais de 1024 bytes", ""},
  };
  // clang-format on
  OnAirState state;
  for (const Row& row : rows) {
    OnAirState next = state;
    AssignedFields fields;
    const auto refusal = applyDoorValue(doorKeyNamed(row.key), row.value, next, fields);
    if (!refusal) state = next;
    const std::string air = refusal ? refusal->text : utf8FromWindows1252(state.radiotext[0]);
    EXPECT_EQ(air.substr(0, std::string(row.radiotext).size()), row.radiotext) << row.value;
    if (refusal) continue;
    EXPECT_EQ(readDoorValue(doorKeyNamed("RTP"), state), row.markers) << row.value;
    EXPECT_EQ(readDoorValue(doorKeyNamed("DPS"), state), row.name) << row.value;
  }
  // A long text is cut where a word ends, and the tag that runs past the end with it.
  bool cut = false;
  const auto command =
      std::get<XCommand>(readXCommand(x + "3</dest><text><artist>" + std::string(50, 'a') +
                                      "</artist> - <title>um dois tres " + "quatro</title>" + end));
  const auto cutSong = std::get<OnAirState::SongTags>(xCommandRadiotext(command, cut));
  EXPECT_TRUE(cut);
  EXPECT_EQ(cutSong.text, std::string(50, 'a') + " - um dois");
  EXPECT_EQ(cutSong.tags.tags[1], (RtPlusTag{kItemTitle, 53, 7}));
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
    EXPECT_TRUE(fresh(doorNames, row.doorKey) && fresh(doorNames, row.doorAliases[0]) &&
                fresh(doorNames, row.doorAliases[1]) && fresh(consoleNames, row.consoleKeyword) &&
                fresh(logLabels, row.logLabel))
        << row.title;
    // Known to the doors and refused, the desk's own, or set by no door.
    if (!row.value || row.doorSyntax == DoorSyntax::None) continue;
    EXPECT_NE(std::ranges::find(listed, &row), listed.end()) << row.title;
    if (row.type == FieldType::Tags) continue;  // bounded by the text they mark: see below
    const bool text = row.type == FieldType::Text || row.type == FieldType::Utf8Text;
    const bool decimal = row.doorSyntax == DoorSyntax::Decimal;
    char digits[16];
    std::snprintf(digits, sizeof digits, decimal ? "%u" : "%02X", static_cast<unsigned>(row.bound));
    const std::string atBound =
        text ? std::string(static_cast<std::size_t>(row.bound), 'a') : std::string(digits);
    std::snprintf(digits, sizeof digits, decimal ? "%u" : "%X",
                  static_cast<unsigned>(row.bound + 1));
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
  // One word longer than the bound is cut at a character's end, never inside one.
  std::string greek = "a";
  for (int i = 0; i < 16; ++i) greek += "Λ";
  bool cut = false;
  EXPECT_FALSE(applyDoorValue(doorKeyNamed("LPS"), greek, state, fields, &cut));
  EXPECT_EQ(std::tuple(state.longServiceName, cut), std::tuple(greek.substr(0, 31), true));
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

// Lines a field, as a playout sends them, each "ms source KEY=value"; what goes on air, each
// "ms source artist|title|album|seconds" (a refused line: "ms !"). Due songs are taken before
// each line and until a second after the last.
TEST(SongLines, ASongGoesOnAirAtItsTitleOrOnceItsSourceIsQuiet) {
  struct Row {
    const char* what;
    std::vector<const char*> lines;
    std::vector<const char*> onAir;
  };
  const std::vector<Row> rows = {
      {"artist, then title: at once",
       {"0 a ARTIST=Ana Moura", "10 a TITLE=Desfado"},
       {"10 a Ana Moura|Desfado||0"}},
      {"fields after the title complete it",
       {"0 a TITLE=Desfado", "50 a DURATION=215.5", "60 a ARTIST=Ana Moura"},
       {"0 a |Desfado||0", "260 a Ana Moura|Desfado||215.5"}},
      {"no title: after the quiet",
       {"0 a ARTIST=Xutos", "150 a ALBUM=Circo"},
       {"350 a Xutos||Circo|0"}},
      {"two songs in one burst, and two sources apart",
       {"0 a ARTIST=A", "0 a ALBUM=X", "0 b ARTIST=C", "1 a TITLE=T", "2 a ARTIST=B", "3 a TITLE=U",
        "4 b TITLE=V"},
       {"1 a A|T|X|0", "3 a B|U||0", "4 b C|V||0"}},
      {"after the quiet, the next song",
       {"0 a ARTIST=A", "1 a TITLE=T", "500 a TITLE=U", "900 a DURATION=x", "901 a DURATION=0"},
       {"1 a A|T||0", "500 a |U||0", "900 !", "1101 a |||0"}},
  };
  for (const Row& row : rows) {
    SongLines songs;
    std::vector<std::string> onAir;
    const auto put = [&onAir](std::int64_t ms, const SongLines::Ready& ready) {
      const NowPlaying& song = ready.song;
      char seconds[16];
      std::snprintf(seconds, sizeof seconds, "%g",
                    song.duration ? static_cast<double>(song.duration->count()) / 1000 : 0.0);
      onAir.push_back(std::to_string(ms) + " " + ready.source + " " + song.artist + "|" +
                      song.title + "|" + song.album + "|" + seconds);
    };
    const auto takeDue = [&](std::int64_t ms) {
      for (const auto& ready : songs.due(ms * 1000)) put(ms, ready);
    };
    std::int64_t ms = 0;
    for (const std::string line : row.lines) {
      const std::size_t blank = line.find(' '), second = line.find(' ', blank + 1);
      ms = std::stoll(line.substr(0, blank));
      for (std::int64_t at = ms - 1; songs.nextDue() && *songs.nextDue() <= at * 1000;) {
        takeDue(*songs.nextDue() / 1000);
      }
      const auto door = std::get<DoorLine>(parseDoorLine(line.substr(second + 1)));
      auto taken =
          songs.take(line.substr(blank + 1, second - blank - 1), door.key, door.value, ms * 1000);
      if (std::holds_alternative<Refusal>(taken)) onAir.push_back(std::to_string(ms) + " !");
      if (auto* ready = std::get_if<std::optional<SongLines::Ready>>(&taken); ready && *ready) {
        put(ms, **ready);
      }
    }
    while (songs.nextDue()) takeDue(*songs.nextDue() / 1000);
    EXPECT_EQ(onAir, std::vector<std::string>(row.onAir.begin(), row.onAir.end())) << row.what;
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
  AutomationDesk::Settings settings(std::optional<std::string> defaultText = {},
                                    bool radiotextPlus = true) {
    AutomationDesk::Settings s;
    s.radiotextPlus = radiotextPlus;
    s.skip = "^(jingle|spot)";
    s.defaultText = std::move(defaultText);
    s.ownProgrammeIdentification = 0x8201;
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

// "??" reads back every key a line may set, as it is on air (the encoder's own PI included), and
// AF, fixed at start, is not one of them. Each answer starts with the byte pira's clients read.
TEST_F(DeskTest, LinesAreAnsweredWithWhatIsOnAirAndHowMuchWasDone) {
  desk_ = std::make_unique<AutomationDesk>(state_, log_, settings(), [this] { return now_; });
  EXPECT_EQ(answerDoorLine(*desk_, "??", "teste").reply,
            "PS=\nDPS=\nTEXT=\nPTY=0\nPTYN=\nTA=0\nTP=0\nMS=1\nDI=01\nPI=8201\nCT=0\nLPS=\n"
            "DPSS=4\nRTP=00,00,00,00,00,00\nERT=\nEON1TA=0\nEON2TA=0\nEON3TA=0\nEON4TA=0\nEON5TA="
            "0\nEON6TA=0\n"
            "EON7TA=0\nEON8TA=0\n+\n");
  for (const auto& [line, reply] : std::vector<std::pair<const char*, const char*>>{
           {"TA=1", "/ TA: fora do ar sem TP\n"},
           {"TP=1", "+\n"},
           {"TP=0", "/ TA: fora do ar sem TP\n"},
           {"TA=0", "+\n"},
           {"PI=C201", "+\n"},
           {"?PI", "PI=C201\n"},
           {"NADA=1", "! chave desconhecida \"NADA\"\n"},
           {"PI=0", "- PI=0: esperado de 1 a 4 dígitos hexadecimais, não 0\n"},
           {"AF=87.6", "! AF: as frequências alternativas fixam-se no arranque (--af)\n"},
       }) {
    EXPECT_EQ(answerDoorLine(*desk_, line, "teste").reply, reply) << line;
  }
  EXPECT_EQ(lineRefusal({Refusal::Kind::Busy, "demasiados clientes"}), "! demasiados clientes\n");
}

// The markers a playout sends, and an X-Command's tags, as a receiver reads them; a playout is
// told when the signal carries no tags.
TEST_F(DeskTest, PiraTagsReachTheReceiver) {
  desk_ =
      std::make_unique<AutomationDesk>(state_, log_, settings({}, false), [this] { return now_; });
  EXPECT_EQ(answerDoorLine(*desk_, "RT1=Agora: Xutos - Homem do Leme", "teste").reply, "+\n");
  EXPECT_EQ(answerDoorLine(*desk_, "RTP=04,07,04,01,15,12", "teste").reply,
            "/ RT+: fora do ar sem --rtplus\n");
  EXPECT_EQ(heard().rtPlus.back().items,
            (std::map<int, std::string>{{kItemArtist, "Xutos"}, {kItemTitle, "Homem do Leme"}}));
  desk_ = std::make_unique<AutomationDesk>(state_, log_, settings(), [this] { return now_; });
  ASSERT_EQ(answerDoorLine(*desk_,
                           "XCMD=<rds><item><dest>3</dest><text><title>Budapeste</title> por "
                           "<artist>Mão Morta</artist></text></item></rds>",
                           "teste")
                .reply,
            "+\n");
  const test::Station station = heard();
  EXPECT_EQ(station.radiotexts.back(), "Budapeste por Mão Morta");
  EXPECT_EQ(station.rtPlus.back().items,
            (std::map<int, std::string>{{kItemArtist, "Mão Morta"}, {kItemTitle, "Budapeste"}}));
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
  advance(std::chrono::hours(1));
  EXPECT_EQ(state_.onAir().radiotext[0], "Consola") << "the operator's text never expires";
  // A batch with one bad value changes nothing.
  EXPECT_EQ(desk_->set({{doorKeyNamed("PS"), "NOVO"}, {doorKeyNamed("PTY"), "99"}}, "teste").kind,
            AutomationDesk::Outcome::Kind::Refused);
  EXPECT_EQ(state_.onAir().programmeServiceName, "");
}

// Rivendell sends DPS= and then PS=: the static name goes under the scrolling one, which runs at
// DPSS's pace until DPS= empties it; the console's PSN is the whole name again.
TEST_F(DeskTest, TheScrollingNameRunsOverThePsUntilEmptiedOrTheConsoleNamesTheStation) {
  desk_ = std::make_unique<AutomationDesk>(state_, log_, settings(), [this] { return now_; });
  (void)desk_->set({{doorKeyNamed("DPS"), "TOCA FADO AGORA"}}, "teste");
  (void)desk_->set({{doorKeyNamed("PS"), "ORVANE"}, {doorKeyNamed("DPSS"), "9"}}, "teste");
  test::Station station = heard();
  ASSERT_GE(station.serviceNames.size(), 4u);
  EXPECT_EQ(std::vector(station.serviceNames.begin(), station.serviceNames.begin() + 4),
            (std::vector<std::string>{"TOCA    ", "FADO    ", "AGORA   ", "TOCA    "}));
  const auto held = static_cast<std::int64_t>(station.serviceNameAt[2] - station.serviceNameAt[1]) *
                    GroupScheduler::kGroupMicros;
  EXPECT_GE(held, 1'500'000);
  EXPECT_LT(held, 2'500'000);
  (void)desk_->set({{doorKeyNamed("DPS"), ""}}, "teste");
  EXPECT_EQ(heard().serviceNames, std::vector<std::string>{"ORVANE  "});
  (void)desk_->set({{doorKeyNamed("DPS"), "TOCA FADO"}}, "teste");
  (void)state_.apply(Command{Keyword::Psn, 0, {}, "CONSOLA"});
  (void)state_.apply(Command{});
  EXPECT_EQ(heard().serviceNames, std::vector<std::string>{"CONSOLA "});
}

// What a hardware encoder's playout sets once at its start: the default text shows at once, a
// playout's text returns to it after RTTIMER minutes (0: never), and TATIME bounds a TA.
TEST_F(DeskTest, PlayoutSetsTheDefaultTextItsTimerAndTheTrafficBound) {
  desk_ = std::make_unique<AutomationDesk>(state_, log_, settings(), [this] { return now_; });
  const auto set = [this](const char* key, const char* value) {
    return desk_->set({{doorKeyNamed(key), value}}, "teste").kind;
  };
  EXPECT_EQ(set("RTDEFAULT", "Rádio Orvane"), AutomationDesk::Outcome::Kind::OnAir);
  EXPECT_EQ(utf8FromWindows1252(state_.onAir().radiotext[0]), "Rádio Orvane");
  EXPECT_EQ(set("RTTIMER", "1"), AutomationDesk::Outcome::Kind::OnAir);
  (void)set("TEXT", "Playout");
  advance(std::chrono::minutes(1));
  EXPECT_EQ(desk_->read(doorKeyNamed("RTDEFAULT")),
            utf8FromWindows1252(state_.onAir().radiotext[0]));
  (void)set("RTTIMER", "0");
  (void)set("TEXT", "Sempre");
  advance(std::chrono::hours(5));
  EXPECT_EQ(std::tuple(state_.onAir().radiotext[0], desk_->read(doorKeyNamed("RTTIMER"))),
            std::tuple("Sempre", "0"));
  EXPECT_EQ(set("TATIME", "2"), AutomationDesk::Outcome::Kind::Refused) << "no bound to set";
  TrafficTimeBound bound(state_, log_, 60'000'000, [this] { return now_; });
  desk_->boundTraffic(bound);
  EXPECT_EQ(
      std::tuple(set("TATIME", "0"), set("TATIME", "256"), set("TATIME", "2")),
      std::tuple(AutomationDesk::Outcome::Kind::Refused, AutomationDesk::Outcome::Kind::Refused,
                 AutomationDesk::Outcome::Kind::OnAir));
  (void)desk_->set({{doorKeyNamed("TP"), "1"}, {doorKeyNamed("TA"), "1"}}, "teste");
  (void)bound.service();
  advance(std::chrono::seconds(119));
  (void)bound.service();
  EXPECT_TRUE(state_.onAir().trafficAnnouncement);
  advance(std::chrono::seconds(1));
  (void)bound.service();
  EXPECT_EQ(std::tuple(state_.onAir().trafficAnnouncement, desk_->read(doorKeyNamed("TATIME"))),
            std::tuple(false, "2"));
}

}  // namespace
}  // namespace orvane
