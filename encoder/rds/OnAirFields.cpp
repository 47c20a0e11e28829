#include "OnAirFields.h"

#include <algorithm>
#include <array>

#include "FixedDigits.h"
#include "OnAirText.h"
#include "RdsLimits.h"

namespace orvane {
namespace {

// What the doors' desk keeps rather than the air: the text it returns to, and its timers in
// minutes, as the hardware encoders bound them.
constexpr int kMaxSettingMinutes = 255;
// What one field of a song may take before its line is cut.
constexpr int kMaxSongFieldLength = 256;
constexpr int kMaxProgrammeIdentification = 0xFFFF;

std::string hex(unsigned value, int digits) {
  return hexDigits(value, digits);
}

std::string code(int value) {
  return hex(static_cast<unsigned>(value), 2);
}

std::string flag(bool on) {
  return on ? "1" : "0";
}

std::string itemTime(const ProgrammeItemTime& time) {
  return code(time.day) + "+" + code(time.hour) + code(time.minute);
}

// The tags on air as pira's encoders write them: type, start and length less one, twice, in
// decimal; a tag that marks nothing is all zeros.
std::string markers(const OnAirState& s) {
  RtPlusTags tags;
  if (s.songTags && s.songTags->text == s.radiotext[0]) tags = s.songTags->tags;
  std::string out;
  for (const RtPlusTag& tag : tags.tags) {
    const bool marks = tag.contentType != 0 && tag.length > 0;
    for (int number : {tag.contentType, tag.start, tag.length - 1}) {
      if (!out.empty()) out += ',';
      out += decimalDigits(marks ? number : 0, 2);
    }
  }
  return out;
}

// The TA of the other network numbered N + 1 (EONnTA), as the service was given them.
constexpr std::array<std::string_view, kMaxOtherNetworks> kOtherTrafficKeys = {
    "EON1TA", "EON2TA", "EON3TA", "EON4TA", "EON5TA", "EON6TA", "EON7TA", "EON8TA"};
constexpr std::array<std::string_view, kMaxOtherNetworks> kOtherTrafficTitles = {
    "traffic announcement of other network 1", "traffic announcement of other network 2",
    "traffic announcement of other network 3", "traffic announcement of other network 4",
    "traffic announcement of other network 5", "traffic announcement of other network 6",
    "traffic announcement of other network 7", "traffic announcement of other network 8"};
constexpr int kFirstOtherTrafficRank = 16;

template <std::size_t N>
constexpr OnAirFieldRow otherTrafficRow() {
  return {.title = kOtherTrafficTitles[N],
          .type = FieldType::Switch,
          .bound = 1,
          .doorKey = kOtherTrafficKeys[N],
          .doorSyntax = DoorSyntax::Switch,
          .readAllRank = kFirstOtherTrafficRank + static_cast<int>(N),
          .logLabel = kOtherTrafficKeys[N],
          .value = [](const OnAirState& s) { return flag(s.otherNetworkTraffic[N]); },
          .describe = [](const OnAirState& s) { return yesNoText(s.otherNetworkTraffic[N]); },
          .setNumber = [](OnAirState& s, int v) { s.otherNetworkTraffic[N] = v != 0; }};
}

constexpr auto kFields = std::to_array<OnAirFieldRow>({
    {.title = "programme identification",
     .type = FieldType::Identification,
     .bound = kMaxProgrammeIdentification,
     .doorKey = "PI",
     .doorSyntax = DoorSyntax::Identification,
     .readAllRank = 10,
     .logLabel = "PI",
     .element = OnAirField::ProgrammeIdentification,
     .value =
         [](const OnAirState& s) {
           return s.programmeIdentification ? hex(*s.programmeIdentification, 4) : std::string();
         },
     .describe =
         [](const OnAirState& s) { return programmeIdentificationText(s.programmeIdentification); },
     .setNumber = [](OnAirState& s,
                     int v) { s.programmeIdentification = static_cast<std::uint16_t>(v); }},
    {.title = "programme type",
     .type = FieldType::Code,
     .bound = kMaxProgrammeType,
     .consoleKeyword = "PTY",
     .doorKey = "PTY",
     .doorSyntax = DoorSyntax::Decimal,
     .readAllRank = 4,
     .logLabel = "PTY",
     .element = OnAirField::ProgrammeType,
     .value = [](const OnAirState& s) { return code(s.programmeType); },
     .describe = [](const OnAirState& s) { return programmeTypeText(s.programmeType); },
     .setNumber = [](OnAirState& s, int v) { s.programmeType = v; }},
    // The console's PSN takes a name of any length, which then runs through eight at a time.
    {.title = "programme service name",
     .type = FieldType::Text,
     .bound = static_cast<int>(kServiceNameLength),
     .consoleKeyword = "PSN",
     .doorKey = "PS",
     .doorSyntax = DoorSyntax::Text,
     .readAllRank = 1,
     .logLabel = "PS",
     .element = OnAirField::ServiceName,
     .value = [](const OnAirState& s) { return s.programmeServiceName; },
     .describe = [](const OnAirState& s) { return quotedText(s.programmeServiceName); },
     .setText = [](OnAirState& s, std::string v) { s.programmeServiceName = std::move(v); }},
    // A playout's name of several frames, on air instead of PS while it is not empty.
    {.title = "scrolling programme service name",
     .type = FieldType::Text,
     .bound = static_cast<int>(kMaxScrollingNameLength),
     .doorKey = "DPS",
     .doorAliases = {"DPS1"},
     .doorSyntax = DoorSyntax::Text,
     .readAllRank = 2,
     .logLabel = "DPS",
     .element = OnAirField::ServiceName,
     .value = [](const OnAirState& s) { return s.scrollingServiceName; },
     .describe = [](const OnAirState& s) { return quotedText(s.scrollingServiceName); },
     .setText = [](OnAirState& s, std::string v) { s.scrollingServiceName = std::move(v); }},
    {.title = "scrolling speed",
     .type = FieldType::Code,
     .bound = kMaxScrollSpeed,
     .doorKey = "DPSS",
     .doorSyntax = DoorSyntax::Decimal,
     .readAllRank = 13,
     .logLabel = "DPSS",
     .element = OnAirField::ServiceName,
     .value = [](const OnAirState& s) { return code(s.scrollSpeed); },
     .describe = [](const OnAirState& s) { return scrollSpeedText(s.scrollSpeed); },
     .setNumber = [](OnAirState& s, int v) { s.scrollSpeed = v; }},
    {.title = "first radiotext",
     .type = FieldType::Text,
     .bound = static_cast<int>(kMaxRadiotextLength),
     .consoleKeyword = "TXT0",
     .doorKey = "TEXT",
     .doorAliases = {"RT", "RT1"},
     .doorSyntax = DoorSyntax::Text,
     .readAllRank = 3,
     .logLabel = "RTXT1",
     .element = OnAirField::Radiotext,
     .value = [](const OnAirState& s) { return s.radiotext[0]; },
     .describe = [](const OnAirState& s) { return quotedText(s.radiotext[0]); },
     .setText = [](OnAirState& s, std::string v) { s.radiotext[0] = std::move(v); }},
    {.title = "second radiotext",
     .type = FieldType::Text,
     .bound = static_cast<int>(kMaxRadiotextLength),
     .consoleKeyword = "TXT1",
     .logLabel = "RTXT2",
     .element = OnAirField::Radiotext,
     .value = [](const OnAirState& s) { return s.radiotext[1]; },
     .describe = [](const OnAirState& s) { return quotedText(s.radiotext[1]); }},
    {.title = "programme type name",
     .type = FieldType::Text,
     .bound = static_cast<int>(kProgrammeTypeNameLength),
     .doorKey = "PTYN",
     .doorSyntax = DoorSyntax::Text,
     .readAllRank = 5,
     .logLabel = "PTYN",
     .element = OnAirField::ProgrammeTypeName,
     .value = [](const OnAirState& s) { return s.programmeTypeName; },
     .describe = [](const OnAirState& s) { return quotedText(s.programmeTypeName); },
     .setText = [](OnAirState& s, std::string v) { s.programmeTypeName = std::move(v); }},
    // Receivers show it in UTF-8, so it is kept in UTF-8, accents and all, never transliterated.
    {.title = "long programme service name",
     .type = FieldType::Utf8Text,
     .bound = static_cast<int>(kLongServiceNameLength),
     .doorKey = "LPS",
     .doorSyntax = DoorSyntax::Utf8Text,
     .readAllRank = 12,
     .logLabel = "LPS",
     .value = [](const OnAirState& s) { return s.longServiceName; },
     .describe = [](const OnAirState& s) { return "\"" + s.longServiceName + "\""; },
     .setText = [](OnAirState& s, std::string v) { s.longServiceName = std::move(v); }},
    // Like the long name: any script, as sent.
    {.title = "enhanced radiotext",
     .type = FieldType::Utf8Text,
     .bound = static_cast<int>(kEnhancedRadiotextLength),
     .doorKey = "ERT",
     .doorSyntax = DoorSyntax::Utf8Text,
     .readAllRank = 15,
     .logLabel = "ERT",
     .value = [](const OnAirState& s) { return s.enhancedRadiotext; },
     .describe = [](const OnAirState& s) { return "\"" + s.enhancedRadiotext + "\""; },
     .setText = [](OnAirState& s, std::string v) { s.enhancedRadiotext = std::move(v); }},
    otherTrafficRow<0>(),
    otherTrafficRow<1>(),
    otherTrafficRow<2>(),
    otherTrafficRow<3>(),
    otherTrafficRow<4>(),
    otherTrafficRow<5>(),
    otherTrafficRow<6>(),
    otherTrafficRow<7>(),
    {.title = "programme item start",
     .type = FieldType::Time,
     .consoleKeyword = "DEF1ATIME",
     .logLabel = "Início do programa",
     .element = OnAirField::ProgrammeItem,
     .value = [](const OnAirState& s) { return itemTime(s.programmeItemTime); },
     .describe = [](const OnAirState& s) { return programmeItemTimeText(s.programmeItemTime); }},
    // The doors read CT as the playouts write it, 0 or 1; the console's GROUP4A is hexadecimal.
    {.title = "clock time groups (4A)",
     .type = FieldType::Switch,
     .bound = 1,
     .consoleKeyword = "GROUP4A",
     .doorKey = "CT",
     .doorSyntax = DoorSyntax::Switch,
     .readAllRank = 11,
     .logLabel = "Grupo 4A (relógio)",
     .element = OnAirField::ClockTime,
     .value = [](const OnAirState& s) { return flag(s.clockTimeGroups); },
     .describe = [](const OnAirState& s) { return groupSwitchText(s.clockTimeGroups); },
     .setNumber = [](OnAirState& s, int v) { s.clockTimeGroups = v != 0; }},
    {.title = "programme item groups (1A)",
     .type = FieldType::Switch,
     .bound = 1,
     .consoleKeyword = "GROUP1A",
     .logLabel = "Grupo 1A (início do programa)",
     .element = OnAirField::ProgrammeItem,
     .value = [](const OnAirState& s) { return flag(s.programmeItemGroups); },
     .describe = [](const OnAirState& s) { return groupSwitchText(s.programmeItemGroups); }},
    {.title = "decoder identification",
     .type = FieldType::Code,
     .bound = kMaxDecoderIdentification,
     .consoleKeyword = "DI",
     .doorKey = "DI",
     .doorSyntax = DoorSyntax::ConsoleValue,
     .readAllRank = 9,
     .logLabel = "DI",
     .element = OnAirField::DecoderIdentification,
     .value = [](const OnAirState& s) { return code(s.decoderIdentification); },
     .describe =
         [](const OnAirState& s) { return decoderIdentificationText(s.decoderIdentification); },
     .setNumber = [](OnAirState& s, int v) { s.decoderIdentification = v; }},
    {.title = "time in the service name",
     .type = FieldType::Switch,
     .bound = 1,
     .consoleKeyword = "TIMEINPSN",
     .logLabel = "Hora no PS",
     .element = OnAirField::ServiceName,
     .value = [](const OnAirState& s) { return flag(s.timeInServiceName); },
     .describe = [](const OnAirState& s) { return yesNoText(s.timeInServiceName); }},
    {.title = "traffic announcement",
     .type = FieldType::Switch,
     .bound = 1,
     .consoleKeyword = "TA",
     .doorKey = "TA",
     .doorSyntax = DoorSyntax::ConsoleValue,
     .readAllRank = 6,
     .logLabel = "TA",
     .element = OnAirField::TrafficFlags,
     .value = [](const OnAirState& s) { return flag(s.trafficAnnouncement); },
     .describe = trafficAnnouncementText,
     .setNumber = [](OnAirState& s, int v) { s.trafficAnnouncement = v != 0; }},
    {.title = "traffic programme",
     .type = FieldType::Switch,
     .bound = 1,
     .consoleKeyword = "TP",
     .doorKey = "TP",
     .doorSyntax = DoorSyntax::ConsoleValue,
     .readAllRank = 7,
     .logLabel = "TP",
     .element = OnAirField::TrafficFlags,
     .value = [](const OnAirState& s) { return flag(s.trafficProgramme); },
     .describe = trafficProgrammeText,
     .setNumber = [](OnAirState& s, int v) { s.trafficProgramme = v != 0; }},
    {.title = "music or speech",
     .type = FieldType::Switch,
     .bound = 1,
     .consoleKeyword = "MS",
     .doorKey = "MS",
     .doorSyntax = DoorSyntax::ConsoleValue,
     .readAllRank = 8,
     .logLabel = "MS",
     .element = OnAirField::Music,
     .value = [](const OnAirState& s) { return flag(s.music); },
     .describe = [](const OnAirState& s) { return musicText(s.music); },
     .setNumber = [](OnAirState& s, int v) { s.music = v != 0; }},
    // Fixed by --af: the doors know the key so that a playout sending it is told why.
    {.title = "alternative frequencies",
     .type = FieldType::Frequencies,
     .doorKey = "AF",
     .doorSyntax = DoorSyntax::FixedAtStart},
    // The desk's settings, as the hardware encoders' protocols name them; "?KEY" reads them.
    {.title = "default radiotext",
     .type = FieldType::Text,
     .bound = static_cast<int>(kMaxRadiotextLength),
     .doorKey = "RTDEFAULT",
     .doorSyntax = DoorSyntax::Setting},
    {.title = "minutes until a playout's text returns to the default",
     .type = FieldType::Code,
     .bound = kMaxSettingMinutes,
     .doorKey = "RTTIMER",
     .doorSyntax = DoorSyntax::Setting},
    {.title = "minutes a traffic announcement may stay on",
     .type = FieldType::Code,
     .bound = kMaxSettingMinutes,
     .doorKey = "TATIME",
     .doorSyntax = DoorSyntax::Setting},
    {.title = "scrolling name rate", .doorKey = "DPSR", .doorSyntax = DoorSyntax::Refused},
    {.title = "scrolling name mode", .doorKey = "DPSM", .doorSyntax = DoorSyntax::Refused},
    // A song a line a field, gathered by the line door until it is whole.
    {.title = "song artist",
     .bound = kMaxSongFieldLength,
     .doorKey = "ARTIST",
     .doorSyntax = DoorSyntax::SongField},
    {.title = "song title",
     .bound = kMaxSongFieldLength,
     .doorKey = "TITLE",
     .doorSyntax = DoorSyntax::SongField},
    {.title = "song album",
     .bound = kMaxSongFieldLength,
     .doorKey = "ALBUM",
     .doorSyntax = DoorSyntax::SongField},
    {.title = "song duration in seconds",
     .type = FieldType::Time,
     .doorKey = "DURATION",
     .doorSyntax = DoorSyntax::SongField},
    // Put there with a song's text by the doors' desk, or as a playout marks it; it describes
    // that text only.
    {.title = "radiotext plus item",
     .type = FieldType::Tags,
     .doorKey = "RTP",
     .doorSyntax = DoorSyntax::Markers,
     .readAllRank = 14,
     .value = markers},
    // A song as pira's encoders take it; the values it sets are their own rows'.
    {.title = "X-Command",
     .type = FieldType::Command,
     .bound = static_cast<int>(kMaxRadiotextLength),
     .doorKey = "XCMD",
     .doorSyntax = DoorSyntax::XCommand},
});

constexpr std::size_t kListedFields = static_cast<std::size_t>(
    std::ranges::count_if(kFields, [](const OnAirFieldRow& row) { return row.readAllRank > 0; }));

// By rank, and every rank from 1 on given once: a table that breaks that fails the build.
constexpr std::array<const OnAirFieldRow*, kListedFields> listedFields() {
  std::array<const OnAirFieldRow*, kListedFields> listed{};
  for (const OnAirFieldRow& row : kFields) {
    if (row.readAllRank > 0) listed.at(static_cast<std::size_t>(row.readAllRank - 1)) = &row;
  }
  return listed;
}

constexpr auto kListed = listedFields();
static_assert(std::ranges::none_of(kListed,
                                   [](const OnAirFieldRow* row) { return row == nullptr; }),
              "every rank in \"??\" from 1 on is given once");

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameName(std::string_view name, std::string_view upperName) {
  return !upperName.empty() && name.size() == upperName.size() &&
         std::ranges::equal(name, upperName, [](char a, char b) { return upper(a) == b; });
}

}  // namespace

std::span<const OnAirFieldRow> onAirFields() {
  return kFields;
}

const OnAirFieldRow* doorField(std::string_view name) {
  for (const OnAirFieldRow& row : kFields) {
    if (sameName(name, row.doorKey) || std::ranges::any_of(row.doorAliases, [name](auto alias) {
          return sameName(name, alias);
        })) {
      return &row;
    }
  }
  return nullptr;
}

std::span<const OnAirFieldRow* const> doorReadAllFields() {
  return kListed;
}

}  // namespace orvane
