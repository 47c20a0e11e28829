#include "UecpElement.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace orvane {
namespace {

constexpr std::size_t kMaxRadiotext = 64;
constexpr int kMaxTransmissions = 15;
constexpr unsigned kAppendBits = 0b10;  // buffer configuration: add to the messages held
constexpr unsigned kOffsetSignBit = 0x20;
constexpr int kCenturyYears = 100;

char byte(unsigned value) {
  return static_cast<char>(value & 0xFF);
}

// MEC, data set and service, then the element's own bytes.
std::string addressed(UecpCode code, const std::string& data) {
  std::string element{byte(static_cast<unsigned>(code)), byte(kUecpCurrentDataSet),
                      byte(kUecpMainService)};
  element += data;
  return element;
}

std::string oneByte(unsigned value) {
  return std::string(1, byte(value));
}

std::string twoBytes(unsigned value) {
  return {byte(value >> 8), byte(value)};
}

// How long an element is, from its first bytes; none when its code is not one of ours.
struct Layout {
  UecpCode code;
  std::size_t fixed;  // the whole element, or the bytes before its MEL
  bool hasLength;     // a MEL follows the fixed part and counts the bytes after it
  const char* name;
};

constexpr std::array<Layout, 14> kLayouts = {{
    {UecpCode::ProgrammeIdentification, 5, false, "PI"},
    {UecpCode::ServiceName, 11, false, "PS"},
    {UecpCode::TrafficFlags, 4, false, "TA/TP"},
    {UecpCode::DecoderIdentification, 4, false, "DI"},
    {UecpCode::Music, 4, false, "MS"},
    {UecpCode::ProgrammeItem, 5, false, "PIN"},
    {UecpCode::ProgrammeType, 4, false, "PTY"},
    {UecpCode::Radiotext, 3, true, "RT"},
    {UecpCode::ClockSet, 9, false, "relógio"},
    {UecpCode::Request, 1, true, "pedido"},
    {UecpCode::Acknowledgement, 2, false, "confirmação"},
    {UecpCode::ClockTimeSwitch, 2, false, "CT"},
    {UecpCode::CommunicationMode, 2, false, "modo de comunicação"},
    {UecpCode::ProgrammeTypeName, 11, false, "PTYN"},
}};

const Layout* layoutOf(std::uint8_t code) {
  for (const Layout& layout : kLayouts) {
    if (static_cast<std::uint8_t>(layout.code) == code) return &layout;
  }
  return nullptr;
}

// An acknowledgement of an error carries the sequence counter of the frame it is about; one of
// success does not.
std::size_t lengthOf(const Layout& layout, std::string_view rest) {
  if (layout.code == UecpCode::Acknowledgement && rest.size() > 1 && rest[1] != 0) {
    return layout.fixed + 1;
  }
  if (!layout.hasLength) return layout.fixed;
  if (rest.size() <= layout.fixed) return rest.size() + 1;  // too short even for its MEL
  return layout.fixed + 1 + static_cast<std::uint8_t>(rest[layout.fixed]);
}

}  // namespace

std::string uecpProgrammeIdentification(std::uint16_t pi) {
  return addressed(UecpCode::ProgrammeIdentification, twoBytes(pi));
}

std::string uecpServiceName(std::string_view eightCharacters) {
  std::string name(eightCharacters.substr(0, 8));
  name.resize(8, ' ');
  return addressed(UecpCode::ServiceName, name);
}

std::string uecpProgrammeTypeName(std::string_view eightCharacters) {
  std::string name(eightCharacters.substr(0, 8));
  name.resize(8, ' ');
  return addressed(UecpCode::ProgrammeTypeName, name);
}

std::string uecpTrafficFlags(bool announcement, bool programme) {
  return addressed(UecpCode::TrafficFlags,
                   oneByte((programme ? 2U : 0U) | (announcement ? 1U : 0U)));
}

std::string uecpDecoderIdentification(int code) {
  return addressed(UecpCode::DecoderIdentification, oneByte(static_cast<unsigned>(code) & 0x0F));
}

std::string uecpMusic(bool music) {
  return addressed(UecpCode::Music, oneByte(music ? 1 : 0));
}

std::string uecpProgrammeItem(std::uint16_t pin) {
  return addressed(UecpCode::ProgrammeItem, twoBytes(pin));
}

std::string uecpProgrammeType(int code) {
  return addressed(UecpCode::ProgrammeType, oneByte(static_cast<unsigned>(code) & 0x1F));
}

std::string uecpRadiotext(std::string_view text, const UecpRadiotextSetting& setting) {
  text = text.substr(0, kMaxRadiotext);
  const unsigned transmissions =
      static_cast<unsigned>(std::clamp(setting.transmissions, 0, kMaxTransmissions));
  const unsigned configuration =
      (setting.append ? kAppendBits << 5 : 0) | transmissions << 1 | (setting.toggle ? 1 : 0);
  std::string data{byte(static_cast<unsigned>(text.size() + 1)), byte(configuration)};
  data += text;
  return addressed(UecpCode::Radiotext, data);
}

// A MEL of 0 empties the encoder's radiotext buffer.
std::string uecpRadiotextClear() {
  return addressed(UecpCode::Radiotext, oneByte(0));
}

std::string uecpClockSet(const UecpClock& c) {
  const unsigned offset =
      static_cast<unsigned>(c.offsetHalfHours < 0 ? -c.offsetHalfHours : c.offsetHalfHours) |
      (c.offsetHalfHours < 0 ? kOffsetSignBit : 0);
  return {byte(static_cast<unsigned>(UecpCode::ClockSet)),
          byte(static_cast<unsigned>(c.year % kCenturyYears)),
          byte(static_cast<unsigned>(c.month)),
          byte(static_cast<unsigned>(c.day)),
          byte(static_cast<unsigned>(c.hour)),
          byte(static_cast<unsigned>(c.minute)),
          byte(static_cast<unsigned>(c.second)),
          byte(static_cast<unsigned>(c.centisecond)),
          byte(offset)};
}

std::string uecpClockTimeSwitch(bool on) {
  return {byte(static_cast<unsigned>(UecpCode::ClockTimeSwitch)), byte(on ? 1 : 0)};
}

std::string uecpAcknowledgement(UecpAnswer answer, std::uint8_t sequence) {
  std::string element{byte(static_cast<unsigned>(UecpCode::Acknowledgement)),
                      byte(static_cast<unsigned>(answer))};
  if (answer != UecpAnswer::Ok) element.push_back(byte(sequence));
  return element;
}

std::string uecpRequest(UecpCode wanted) {
  return {byte(static_cast<unsigned>(UecpCode::Request)), byte(1),
          byte(static_cast<unsigned>(wanted))};
}

std::string uecpCommunicationMode(UecpMode mode) {
  return {byte(static_cast<unsigned>(UecpCode::CommunicationMode)),
          byte(static_cast<unsigned>(mode))};
}

UecpElements splitUecpMessage(std::string_view message) {
  UecpElements split;
  while (!message.empty()) {
    const Layout* layout = layoutOf(static_cast<std::uint8_t>(message[0]));
    if (layout == nullptr) {
      split.answer = UecpAnswer::UnknownElement;
      break;
    }
    const std::size_t length = lengthOf(*layout, message);
    if (length > message.size()) {
      split.answer = UecpAnswer::BadElementLength;
      break;
    }
    split.elements.push_back(message.substr(0, length));
    message.remove_prefix(length);
  }
  return split;
}

std::string uecpElementName(std::uint8_t code) {
  if (const Layout* layout = layoutOf(code)) return layout->name;
  char hex[16];
  std::snprintf(hex, sizeof hex, "MEC %02X", static_cast<unsigned>(code));
  return hex;
}

std::string uecpAnswerName(std::uint8_t answer) {
  switch (static_cast<UecpAnswer>(answer)) {
    case UecpAnswer::BadCrc:
      return "CRC errado";
    case UecpAnswer::Incomplete:
      return "trama incompleta";
    case UecpAnswer::UnknownElement:
      return "elemento desconhecido";
    case UecpAnswer::BadDataSet:
      return "conjunto de dados desconhecido";
    case UecpAnswer::BadService:
      return "serviço desconhecido";
    case UecpAnswer::OutOfRange:
      return "valor fora do intervalo";
    case UecpAnswer::BadElementLength:
      return "elemento cortado";
    case UecpAnswer::BadFieldLength:
      return "comprimento errado";
    case UecpAnswer::TooLong:
      return "trama longa demais";
    case UecpAnswer::BadStuffing:
      return "bytes de escape errados";
    case UecpAnswer::Ok:
      break;
  }
  return "erro " + std::to_string(answer);
}

}  // namespace orvane
