#include "AirReadBack.h"

#include <algorithm>

#include "CodeNames.h"
#include "RdsToWindows1252.h"
#include "Windows1252.h"

namespace orvane {
namespace {

constexpr std::int64_t kMinuteMicros = 60'000'000;
constexpr std::size_t kMaxCycleFrames = 16;  // longer names than that are not worth a list
constexpr char kEndOfMessage = 0x0D;
constexpr int kRadiotextSegments = 16;
constexpr unsigned kServiceNameGroup = 0, kProgrammeItemGroup = 2, kRadiotextGroup = 4,
                   kAnnouncementGroup = 6, kClockTimeGroup = 8, kTypeNameGroup = 20,
                   kOtherNetworkGroupA = 28, kOtherNetworkGroupB = 29, kLongNameGroup = 30;
constexpr std::uint16_t kRadiotextPlusId = 0x4BD7, kEnhancedRadiotextId = 0x6552;
constexpr int kTitle = 1, kArtist = 4;  // RT+ content types
// Alternative frequency codes.
constexpr std::uint8_t kLowestFrequency = 1, kHighestFrequency = 204, kNoFrequencies = 224,
                       kMostFrequencies = 249;
constexpr int kBandBaseKhz = 87'500, kRasterKhz = 100;
// Other networks: block B's bits, the variants that carry what is shown.
constexpr std::uint16_t kOtherProgrammeBit = 0x10, kOtherAnnouncementBit = 0x08;
constexpr unsigned kOtherNameVariants = 4, kOtherTypeAndTrafficVariant = 13;
// Every network's cycle is whole within two minutes: one not heard for two of them is no longer
// sent, as after a reload that took it out.
constexpr std::int64_t kOtherNetworkForgottenMicros = 240'000'000;

std::string utf8(std::string_view rds) {
  return utf8FromWindows1252(windows1252FromRdsText(rds));
}

// Receivers pad what they show with blanks; the page does not need them.
std::string trimmed(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// A list by method B is its tuned frequency, then pairs that each hold it: the other's place in a
// pair tells a receiver whether it carries the same programme (after) or a regional one (before).
std::optional<std::vector<int>> sameProgrammeOf(const std::vector<int>& list) {
  if (list.size() < 3 || list.size() % 2 == 0) return std::nullopt;
  std::vector<int> same;
  for (std::size_t i = 1; i < list.size(); i += 2) {
    if (list[i] != list[0] && list[i + 1] != list[0]) return std::nullopt;
    if (list[i] == list[0] && list[i] < list[i + 1]) same.push_back(list[i + 1]);
    if (list[i + 1] == list[0] && list[i] < list[i + 1]) same.push_back(list[i]);
  }
  return same;
}

void putCharacters(char* at, std::uint16_t block) {
  at[0] = static_cast<char>(block >> 8);
  at[1] = static_cast<char>(block & 0xFF);
}

// Long PS and eRT are sent like a radiotext, four bytes a segment: the text is whole once every
// segment up to its end mark came, a segment 0 starting it again. Its bytes are UTF-8 as sent.
template <std::size_t N>
std::optional<std::string> takeSegmentedText(const RdsGroup& group, unsigned segment,
                                             std::array<char, N>& buffer, std::uint32_t& have) {
  constexpr std::size_t kBytesPerSegment = 4;
  static_assert(N / kBytesPerSegment <= 32, "one bit per segment");
  if (segment == 0) have = 0;
  putCharacters(&buffer[segment * kBytesPerSegment], group.blocks[2]);
  putCharacters(&buffer[segment * kBytesPerSegment + 2], group.blocks[3]);
  have |= 1U << segment;
  const std::string_view bytes(buffer.data(), buffer.size());
  const std::size_t length = std::min(bytes.find(kEndOfMessage), bytes.size());
  const std::size_t withEnd = std::min(length + 1, bytes.size());
  const auto segments = (withEnd + kBytesPerSegment - 1) / kBytesPerSegment;
  const auto needed = static_cast<std::uint32_t>((std::uint64_t{1} << segments) - 1);
  if ((have & needed) != needed) return std::nullopt;
  return std::string(bytes.substr(0, length));
}

}  // namespace

template <typename T>
void AirReadBack::set(T& field, T value) {
  if (field == value) return;
  field = std::move(value);
  ++changes_;
}

void AirReadBack::take(const RdsGroup& group, std::int64_t signalMicros) {
  const unsigned type = group.blocks[1] >> 11;
  count(type, signalMicros);
  takeHeader(group);
  if (type == kServiceNameGroup) takeServiceName(group);
  if (type == kRadiotextGroup) takeRadiotext(group, signalMicros);
  if (type == kProgrammeItemGroup) takeProgrammeItem(group);
  if (type == kClockTimeGroup) takeClockTime(group);
  if (type == kAnnouncementGroup) takeAnnouncement(group);
  if (type == kTypeNameGroup) takeProgrammeTypeName(group);
  if (type == kLongNameGroup) takeLongServiceName(group);
  if (type == kOtherNetworkGroupA || type == kOtherNetworkGroupB)
    takeOtherNetwork(group, signalMicros);
  if (!otherHearing_.empty()) forgetOtherNetworks(signalMicros);
  if (radiotextPlusType_ && type == *radiotextPlusType_) takeRadiotextPlus(group);
  if (enhancedRadiotextType_ && type == *enhancedRadiotextType_) takeEnhancedRadiotext(group);
}

void AirReadBack::count(unsigned type, std::int64_t signalMicros) {
  ++view_.groupsSent[type];
  ++view_.groupsLastMinute[type];
  lastMinute_.emplace_back(signalMicros, static_cast<std::uint8_t>(type));
  while (lastMinute_.front().first <= signalMicros - kMinuteMicros) {
    --view_.groupsLastMinute[lastMinute_.front().second];
    lastMinute_.pop_front();
  }
}

void AirReadBack::takeHeader(const RdsGroup& group) {
  set(view_.programmeIdentification, std::optional(group.blocks[0]));
  set(view_.trafficProgramme, ((group.blocks[1] >> 10) & 1) != 0);
  const int type = (group.blocks[1] >> 5) & 0x1F;
  set(view_.programmeType, type);
  set(view_.programmeTypeName, std::string(kProgrammeTypeNames[static_cast<std::size_t>(type)]));
}

// A frame is whole when its four segments came in order from the first.
void AirReadBack::takeServiceName(const RdsGroup& group) {
  const std::uint16_t b = group.blocks[1];
  const unsigned address = b & 3;
  set(view_.trafficAnnouncement, ((b >> 4) & 1) != 0);
  set(view_.music, ((b >> 3) & 1) != 0);
  diBits_ = (diBits_ & ~(8U >> address)) | (((b >> 2) & 1U) << (3 - address));
  diSeen_ |= 8U >> address;
  if (diSeen_ == 0xF) set(view_.decoderIdentification, std::optional(static_cast<int>(diBits_)));
  takeAlternativeFrequencies(static_cast<std::uint8_t>(group.blocks[2] >> 8));
  takeAlternativeFrequencies(static_cast<std::uint8_t>(group.blocks[2] & 0xFF));

  if (address == 0) nameSegments_ = 0;
  if (nameSegments_ != (1U << address) - 1) return;  // a segment was missed
  putCharacters(&name_[address * 2], group.blocks[3]);
  nameSegments_ |= 1U << address;
  if (address != 3) return;
  const std::string frame = utf8({name_.data(), name_.size()});
  if (frame == view_.serviceName) return;
  set(view_.serviceName, frame);
  // A running name's turn is over when a frame comes round again; until then, and for a name
  // that does not run, the frame on air is all that is known to belong to it.
  if (const auto again = std::ranges::find(cycle_, frame); again != cycle_.end()) {
    turn_.assign(again, cycle_.end());
    cycle_.clear();
  }
  if (cycle_.size() == kMaxCycleFrames) cycle_.erase(cycle_.begin());
  cycle_.push_back(frame);
  const bool inTurn = std::ranges::find(turn_, frame) != turn_.end();
  set(view_.serviceNameCycle, inTurn ? turn_ : std::vector{frame});
}

void AirReadBack::takeAlternativeFrequencies(std::uint8_t code) {
  if (code >= kNoFrequencies && code <= kMostFrequencies) {
    frequencies_.clear();
    frequenciesExpected_ = code - kNoFrequencies;
  } else if (code >= kLowestFrequency && code <= kHighestFrequency &&
             frequencies_.size() < frequenciesExpected_) {
    frequencies_.push_back(kBandBaseKhz + code * kRasterKhz);
  } else {
    return;
  }
  if (frequencies_.size() != frequenciesExpected_) return;
  if (const auto same = sameProgrammeOf(frequencies_)) {
    auto lists = view_.alternativeFrequencyListsKhz;
    lists[frequencies_[0]] = *same;
    set(view_.alternativeFrequencyListsKhz, std::move(lists));
  } else {
    set(view_.alternativeFrequenciesKhz, std::optional(frequencies_));
  }
}

// Receivers clear the message when the A/B flag changes, and a message ends at a carriage return
// or after its sixteenth segment.
void AirReadBack::takeRadiotext(const RdsGroup& group, std::int64_t signalMicros) {
  const bool textB = ((group.blocks[1] >> 4) & 1) != 0;
  const unsigned address = group.blocks[1] & 0xF;
  const auto flag = static_cast<std::size_t>(textB);
  if (textB != view_.radiotextB) textSegments_[flag] = 0;
  set(view_.radiotextB, textB);
  putCharacters(&text_[flag][address * 4], group.blocks[2]);
  putCharacters(&text_[flag][address * 4 + 2], group.blocks[3]);
  textSegments_[flag] |= 1U << address;

  std::size_t length = 0;
  for (int segment = 0; segment < kRadiotextSegments; ++segment) {
    if ((textSegments_[flag] & (1U << segment)) == 0) return;
    const auto* start = &text_[flag][static_cast<std::size_t>(segment) * 4];
    const auto* end = std::find(start, start + 4, kEndOfMessage);
    length = static_cast<std::size_t>(end - text_[flag].data());
    if (end != start + 4) break;
  }
  std::string message(text_[flag].data(), length);
  if (message == message_[flag] && view_.radiotext[flag].complete) return;
  message_[flag] = std::move(message);
  set(view_.radiotext[flag], AirView::RadiotextLine{trimmed(utf8(message_[flag])), true});
  radiotextChangedAt_ = signalMicros;
}

void AirReadBack::takeProgrammeItem(const RdsGroup& group) {
  constexpr unsigned kCountryCodeVariant = 0;
  if (((group.blocks[2] >> 12) & 7) == kCountryCodeVariant) {
    set(view_.extendedCountryCode, std::optional(static_cast<std::uint8_t>(group.blocks[2])));
  }
  set(view_.programmeItem, std::optional(group.blocks[3]));
}

void AirReadBack::takeClockTime(const RdsGroup& group) {
  const auto& b = group.blocks;
  ClockTime time;
  time.modifiedJulianDay = static_cast<int>(((b[1] & 3U) << 15) | (b[2] >> 1));
  time.hour = static_cast<int>(((b[2] & 1U) << 4) | (b[3] >> 12));
  time.minute = (b[3] >> 6) & 0x3F;
  time.localOffsetHalfHours = (b[3] & 0x1F) * ((b[3] & 0x20) != 0 ? -1 : 1);
  set(view_.clockTime, std::optional(time));
}

void AirReadBack::takeAnnouncement(const RdsGroup& group) {
  const unsigned carriedIn = group.blocks[1] & 0x1F;
  if (group.blocks[3] == kEnhancedRadiotextId) enhancedRadiotextType_ = carriedIn;
  if (group.blocks[3] != kRadiotextPlusId) return;
  radiotextPlusType_ = carriedIn;
  set(view_.radiotextPlus.announced, true);
}

// The tags point into the message on air; one that points past its end marks nothing.
void AirReadBack::takeRadiotextPlus(const RdsGroup& group) {
  const std::uint64_t bits = (std::uint64_t{group.blocks[1] & 0x1FU} << 32) |
                             (std::uint64_t{group.blocks[2]} << 16) | group.blocks[3];
  auto field = [&](int shift, int width) {
    return static_cast<std::size_t>((bits >> shift) & ((1U << width) - 1));
  };
  AirView::RadiotextPlusItem item = view_.radiotextPlus;
  item.itemToggle = field(36, 1) != 0;
  item.itemRunning = field(35, 1) != 0;
  item.artist.clear();
  item.title.clear();
  const std::string& message = message_[static_cast<std::size_t>(view_.radiotextB)];
  const std::array<std::array<std::size_t, 3>, 2> tags = {
      {{field(29, 6), field(23, 6), field(17, 6)}, {field(11, 6), field(5, 6), field(0, 5)}}};
  for (const auto& [type, start, lengthLess1] : tags) {
    if (type == 0 || start + lengthLess1 + 1 > message.size()) continue;
    std::string text = utf8(message.substr(start, lengthLess1 + 1));
    if (type == kArtist) item.artist = std::move(text);
    if (type == kTitle) item.title = std::move(text);
  }
  set(view_.radiotextPlus.itemToggle, item.itemToggle);
  set(view_.radiotextPlus.itemRunning, item.itemRunning);
  set(view_.radiotextPlus.artist, item.artist);
  set(view_.radiotextPlus.title, item.title);
}

// A flip of the A/B flag says the name changed: as a receiver does, the old one is cleared at
// once, so that the page never shows half of each.
void AirReadBack::takeProgrammeTypeName(const RdsGroup& group) {
  const bool nameB = (group.blocks[1] >> 4) & 1;
  if (typeNameB_ != nameB) {
    typeNameB_ = nameB;
    typeName_.fill(' ');
    typeNameSegments_ = 0;
    set(view_.programmeTypeName8, std::string());
  }
  const unsigned segment = group.blocks[1] & 1;
  putCharacters(&typeName_[segment * 4], group.blocks[2]);
  putCharacters(&typeName_[segment * 4 + 2], group.blocks[3]);
  typeNameSegments_ |= 1U << segment;
  if (typeNameSegments_ == 3) {
    set(view_.programmeTypeName8, trimmed(utf8({typeName_.data(), typeName_.size()})));
  }
}

void AirReadBack::takeLongServiceName(const RdsGroup& group) {
  if (auto name = takeSegmentedText(group, group.blocks[1] & 7, longName_, longNameSegments_)) {
    set(view_.longServiceName, std::move(*name));
  }
}

void AirReadBack::takeEnhancedRadiotext(const RdsGroup& group) {
  const unsigned segment = group.blocks[1] & 0x1F;
  if (auto text = takeSegmentedText(group, segment, enhancedText_, enhancedTextSegments_)) {
    set(view_.enhancedRadiotext, std::move(*text));
  }
}

// 14A tells of a network variant by variant, 14B of its TA; both name it by its PI in block D.
void AirReadBack::takeOtherNetwork(const RdsGroup& group, std::int64_t signalMicros) {
  const std::uint16_t b = group.blocks[1];
  const std::uint16_t pi = group.blocks[3];
  if (!otherHearing_.contains(pi) && otherHearing_.size() == kMaxOtherNetworks) return;
  OtherNetworkHearing& hearing = otherHearing_[pi];
  hearing.heardAt = signalMicros;
  auto networks = view_.otherNetworks;
  AirView::OtherNetworkHeard& network = networks[pi];
  network.trafficProgramme = (b & kOtherProgrammeBit) != 0;
  const bool versionB = ((b >> 11) & 1) != 0;
  const unsigned variant = b & 0xF;
  if (versionB) {
    network.trafficAnnouncement = (b & kOtherAnnouncementBit) != 0;
  } else if (variant == kOtherTypeAndTrafficVariant) {
    network.trafficAnnouncement = (group.blocks[2] & 1) != 0;
  } else if (variant < kOtherNameVariants) {
    putCharacters(&hearing.name[variant * 2], group.blocks[2]);
    hearing.nameSegments |= 1U << variant;
    if (hearing.nameSegments == (1U << kOtherNameVariants) - 1) {
      network.serviceName = utf8({hearing.name.data(), hearing.name.size()});
    }
  }
  set(view_.otherNetworks, std::move(networks));
}

void AirReadBack::forgetOtherNetworks(std::int64_t signalMicros) {
  const auto gone = [&](const auto& entry) {
    return entry.second.heardAt <= signalMicros - kOtherNetworkForgottenMicros;
  };
  if (std::erase_if(otherHearing_, gone) == 0) return;
  auto networks = view_.otherNetworks;
  std::erase_if(networks, [&](const auto& entry) { return !otherHearing_.contains(entry.first); });
  set(view_.otherNetworks, std::move(networks));
}

}  // namespace orvane
