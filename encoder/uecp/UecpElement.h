#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// Message element codes (MEC) of the elements Orvane sends or takes.
enum class UecpCode : std::uint8_t {
  ProgrammeIdentification = 0x01,
  ServiceName = 0x02,
  TrafficFlags = 0x03,  // TA and TP
  DecoderIdentification = 0x04,
  Music = 0x05,
  ProgrammeItem = 0x06,  // PIN
  ProgrammeType = 0x07,
  Radiotext = 0x0A,
  ClockSet = 0x0D,
  Request = 0x17,
  Acknowledgement = 0x18,
  ClockTimeSwitch = 0x19,  // group 4A on or off
  CommunicationMode = 0x2C,
  ProgrammeTypeName = 0x3E,  // PTYN
};

// What an acknowledgement reports.
enum class UecpAnswer : std::uint8_t {
  Ok = 0,
  BadCrc = 1,
  Incomplete = 2,
  UnknownElement = 3,
  BadDataSet = 4,
  BadService = 5,
  OutOfRange = 6,
  BadElementLength = 7,
  BadFieldLength = 8,
  NotAcceptable = 9,  // a known element this encoder does not apply
  TooLong = 11,
  BadStuffing = 12,
};

enum class UecpMode : std::uint8_t { OneWay = 0, AnswerWhenAsked = 1, AnswerEveryFrame = 2 };

// The data set and programme service an element is for: the data set on air, the main service.
inline constexpr std::uint8_t kUecpCurrentDataSet = 0x00;
inline constexpr std::uint8_t kUecpMainService = 0x00;

// How an encoder is to keep a radiotext: as the whole buffer, or added to the messages it has,
// which it then sends in turn, each `transmissions` times; with `toggle`, the A/B flag changes
// when the message starts, so that receivers clear what the previous one left on their display.
struct UecpRadiotextSetting {
  bool append = false;
  int transmissions = 0;  // 0 to 15
  bool toggle = true;
};

// Date and UTC time to set an encoder's clock to, with the local offset in half hours.
struct UecpClock {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0, centisecond = 0;
  int offsetHalfHours = 0;  // signed
};

// Elements as they go into a message field. Texts are given in the RDS character set.
[[nodiscard]] std::string uecpProgrammeIdentification(std::uint16_t pi);
[[nodiscard]] std::string uecpServiceName(std::string_view eightCharacters);
[[nodiscard]] std::string uecpTrafficFlags(bool announcement, bool programme);
[[nodiscard]] std::string uecpDecoderIdentification(int code);
[[nodiscard]] std::string uecpMusic(bool music);
[[nodiscard]] std::string uecpProgrammeItem(std::uint16_t pin);
[[nodiscard]] std::string uecpProgrammeType(int code);
[[nodiscard]] std::string uecpProgrammeTypeName(std::string_view eightCharacters);
[[nodiscard]] std::string uecpRadiotext(std::string_view text, const UecpRadiotextSetting& setting);
[[nodiscard]] std::string uecpRadiotextClear();
[[nodiscard]] std::string uecpClockSet(const UecpClock& clock);
// A clock element's local offset byte in half hours; none when it is not a valid offset.
[[nodiscard]] std::optional<int> uecpOffsetHalfHours(std::uint8_t coded);
[[nodiscard]] std::string uecpClockTimeSwitch(bool on);
[[nodiscard]] std::string uecpAcknowledgement(UecpAnswer answer, std::uint8_t sequence);
[[nodiscard]] std::string uecpRequest(UecpCode wanted);
[[nodiscard]] std::string uecpCommunicationMode(UecpMode mode);

// A message field taken apart into the elements Orvane applies, each starting with its code, and
// the codes of the known elements it stepped over. A field holds no lengths of its own, so an
// element whose code is not known here ends the splitting: what follows it cannot be found.
// `answer` says why splitting stopped, Ok when the whole field was read.
struct UecpElements {
  std::vector<std::string_view> elements;
  std::vector<std::uint8_t> skipped;
  UecpAnswer answer = UecpAnswer::Ok;
};

[[nodiscard]] UecpElements splitUecpMessage(std::string_view message);

// The readable name of an element, for the log: "PS", "RT", or the code in hex.
[[nodiscard]] std::string uecpElementName(std::uint8_t code);
// What an acknowledgement's error code says, for the log, whichever end sent it.
[[nodiscard]] std::string uecpAnswerName(std::uint8_t answer);

}  // namespace orvane
