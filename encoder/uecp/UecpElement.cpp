#include "UecpElement.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "RdsLimits.h"

namespace orvane {
namespace {

constexpr int kMaxTransmissions = 15;
constexpr unsigned kAppendBits = 0b10;  // buffer configuration: add to the messages held
// The local offset is coded as group 4A codes it: bit 5 the sign, bits 4-0 half hours. Some
// senders put the sign in bit 6; that form is read too, never sent.
constexpr unsigned kOffsetSignBit = 0x20;
constexpr unsigned kOtherOffsetSignBit = 0x40;
constexpr unsigned kOffsetHalfHours = 0x1F;
constexpr char kEndOfText = 0x0D;  // what ends a shorter radiotext on receivers, as on air
constexpr int kCenturyYears = 100;

char byte(unsigned value) {
  return static_cast<char>(value & 0xFF);
}

// MEC, data set and service, then the element's own bytes.
[[gnu::hot]] std::string addressed(UecpCode code, const std::string& data) {
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

// How long an element is, from its first bytes. The standard gives every element's layout, so one
// that Orvane does not apply can still be stepped over and the rest of its frame read.
struct Layout {
  std::uint8_t code;
  std::size_t fixed;  // the whole element, or the bytes before its MEL
  bool hasLength;     // a MEL follows the fixed part and counts the bytes after it
  bool applied;       // false: known, stepped over, answered as not supported
  const char* name;
};

constexpr std::uint8_t code(UecpCode c) {
  return static_cast<std::uint8_t>(c);
}

// MEC; then, as each element has them, DSN, PSN and MEL (the fixed part counts MEC, DSN and PSN).
constexpr std::array kLayouts = {
    Layout{code(UecpCode::ProgrammeIdentification), 5, false, true, "PI"},
    Layout{code(UecpCode::ServiceName), 11, false, true, "PS"},
    Layout{code(UecpCode::TrafficFlags), 4, false, true, "TA/TP"},
    Layout{code(UecpCode::DecoderIdentification), 4, false, true, "DI"},
    Layout{code(UecpCode::Music), 4, false, true, "MS"},
    Layout{code(UecpCode::ProgrammeItem), 5, false, true, "PIN"},
    Layout{code(UecpCode::ProgrammeType), 4, false, true, "PTY"},
    Layout{code(UecpCode::Radiotext), 3, true, true, "RT"},
    Layout{code(UecpCode::ClockSet), 9, false, true, "relógio"},
    Layout{code(UecpCode::Request), 1, true, true, "pedido"},
    Layout{code(UecpCode::Acknowledgement), 2, false, true, "confirmação"},
    Layout{code(UecpCode::ClockTimeSwitch), 2, false, true, "CT"},
    Layout{code(UecpCode::CommunicationMode), 2, false, true, "modo de comunicação"},
    Layout{code(UecpCode::ProgrammeTypeName), 11, false, true, "PTYN"},
    // Known, not applied: the RDS features this encoder does not carry, and the set-up of a
    // hardware encoder's level, phase, ports and data sets.
    Layout{0x08, 9, false, false, "paging numérico"},
    Layout{0x09, 3, false, false, "correcção do relógio"},
    Layout{0x0B, 2, true, false, "PSN ligado/desligado"},
    Layout{0x0C, 4, false, false, "paging sem mensagem"},
    Layout{0x0E, 3, false, false, "nível RDS"},
    Layout{0x10, 9, false, false, "paging internacional"},
    Layout{0x11, 8, false, false, "paging internacional numérico"},
    Layout{0x12, 3, false, false, "grupo de emissores"},
    Layout{0x13, 3, true, false, "AF"},
    Layout{0x14, 3, true, false, "EON-AF"},
    Layout{0x15, 3, false, false, "EON-TA"},
    Layout{0x16, 2, true, false, "sequência de grupos"},
    Layout{0x1A, 4, false, false, "códigos lentos"},
    Layout{0x1B, 1, true, false, "paging alfanumérico"},
    Layout{0x1C, 2, false, false, "escolha do conjunto de dados"},
    Layout{0x1D, 2, false, false, "entrada de referência"},
    Layout{0x1E, 2, false, false, "RDS ligado/desligado"},
    Layout{0x20, 9, false, false, "paging numérico longo"},
    Layout{0x22, 3, false, false, "fase RDS"},
    Layout{0x23, 4, false, false, "endereço do local"},
    Layout{0x24, 7, false, false, "grupo livre"},
    Layout{0x25, 7, false, false, "IH"},
    Layout{0x26, 1, true, false, "TDC"},
    Layout{0x27, 3, false, false, "endereço do codificador"},
    Layout{0x28, 2, true, false, "lista de PSN"},
    Layout{0x29, 2, true, false, "sequência de variantes"},
    Layout{0x2A, 3, false, false, "controlo de TA"},
    Layout{0x2B, 6, false, false, "EWS"},
    Layout{0x2D, 1, true, false, "comando do fabricante"},
    Layout{0x2E, 5, false, false, "ligação"},
    Layout{0x30, 1, true, false, "TMC"},
    Layout{0x31, 7, false, false, "EPP emissor"},
    Layout{0x32, 5, false, false, "EPP sem mensagem"},
    Layout{0x33, 1, true, false, "EPP alfanumérico"},
    Layout{0x34, 1, true, false, "EPP numérico"},
    Layout{0x35, 1, true, false, "EPP funções"},
    Layout{0x38, 2, true, false, "sequência de grupos alargada"},
    Layout{0x3A, 4, false, false, "direito de acesso"},
    Layout{0x3B, 3, false, false, "modo da porta"},
    Layout{0x3C, 3, false, false, "velocidade da porta"},
    Layout{0x3D, 3, false, false, "tempo da porta"},
    Layout{0x3F, 5, false, false, "EON ligado/desligado"},
    Layout{0x40, 8, false, false, "ODA configuração"},
    Layout{0x41, 2, true, false, "ODA sequência"},
    Layout{0x42, 8, false, false, "ODA grupo livre"},
    Layout{0x43, 1, true, false, "ODA prioridade"},
    Layout{0x44, 3, false, false, "ODA rajada"},
    Layout{0x45, 5, false, false, "ODA roda"},
    Layout{0x46, 1, true, false, "ODA dados"},
    Layout{0x47, 5, false, false, "ODA acesso"},
    Layout{0x48, 1, true, false, "DAB DL comando"},
    Layout{0xAA, 1, true, false, "DAB DL"},
    Layout{0xDA, 1, true, false, "RASS"},
};

const Layout* layoutOf(std::uint8_t code) {
  for (const Layout& layout : kLayouts) {
    if (layout.code == code) return &layout;
  }
  return nullptr;
}

// An acknowledgement of an error carries the sequence counter of the frame it is about; one of
// success does not.
std::size_t lengthOf(const Layout& layout, std::string_view rest) {
  if (layout.code == code(UecpCode::Acknowledgement) && rest.size() > 1 && rest[1] != 0) {
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

[[gnu::hot]] std::string uecpServiceName(std::string_view eightCharacters) {
  std::string name(eightCharacters.substr(0, kServiceNameLength));
  name.resize(kServiceNameLength, ' ');
  return addressed(UecpCode::ServiceName, name);
}

[[gnu::hot]] std::string uecpProgrammeTypeName(std::string_view eightCharacters) {
  std::string name(eightCharacters.substr(0, kProgrammeTypeNameLength));
  name.resize(kProgrammeTypeNameLength, ' ');
  return addressed(UecpCode::ProgrammeTypeName, name);
}

[[gnu::hot]] std::string uecpTrafficFlags(bool announcement, bool programme) {
  return addressed(UecpCode::TrafficFlags,
                   oneByte((programme ? 2U : 0U) | (announcement ? 1U : 0U)));
}

[[gnu::hot]] std::string uecpDecoderIdentification(int code) {
  return addressed(UecpCode::DecoderIdentification, oneByte(static_cast<unsigned>(code) & 0x0F));
}

[[gnu::hot]] std::string uecpMusic(bool music) {
  return addressed(UecpCode::Music, oneByte(music ? 1 : 0));
}

[[gnu::hot]] std::string uecpProgrammeItem(std::uint16_t pin) {
  return addressed(UecpCode::ProgrammeItem, twoBytes(pin));
}

[[gnu::hot]] std::string uecpProgrammeType(int code) {
  return addressed(UecpCode::ProgrammeType, oneByte(static_cast<unsigned>(code) & 0x1F));
}

[[gnu::hot]] std::string uecpRadiotext(std::string_view text, const UecpRadiotextSetting& setting) {
  text = text.substr(0, kMaxRadiotextLength);
  const unsigned transmissions =
      static_cast<unsigned>(std::clamp(setting.transmissions, 0, kMaxTransmissions));
  const unsigned configuration =
      (setting.append ? kAppendBits << 5 : 0) | transmissions << 1 | (setting.toggle ? 1 : 0);
  const bool ended = text.size() < kMaxRadiotextLength;
  // Made in one piece, as `addressed` lays it out: it is on the way from an ENCODE to its frame.
  constexpr std::size_t kHead = 5;  // MEC, DSN, PSN, MEL, the buffer configuration
  std::string element;
  element.reserve(kHead + text.size() + 1);
  element += byte(static_cast<unsigned>(UecpCode::Radiotext));
  element += byte(kUecpCurrentDataSet);
  element += byte(kUecpMainService);
  element += byte(static_cast<unsigned>(text.size() + 1 + (ended ? 1 : 0)));
  element += byte(configuration);
  element += text;
  if (ended) element += kEndOfText;
  return element;
}

// A MEL of 0 empties the encoder's radiotext buffer.
[[gnu::hot]] std::string uecpRadiotextClear() {
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

std::optional<int> uecpOffsetHalfHours(std::uint8_t coded) {
  const unsigned sign = coded & (kOffsetSignBit | kOtherOffsetSignBit);
  if (sign == (kOffsetSignBit | kOtherOffsetSignBit) ||
      coded > (kOtherOffsetSignBit | kOffsetHalfHours)) {
    return std::nullopt;
  }
  const int halfHours = static_cast<int>(coded & kOffsetHalfHours);
  return sign != 0 ? -halfHours : halfHours;
}

[[gnu::hot]] std::string uecpClockTimeSwitch(bool on) {
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
    if (layout->applied) {
      split.elements.push_back(message.substr(0, length));
    } else {
      split.skipped.push_back(layout->code);
    }
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
    case UecpAnswer::NotAcceptable:
      return "não suportado";
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
