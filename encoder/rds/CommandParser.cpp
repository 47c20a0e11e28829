#include "CommandParser.h"

#include <array>

#include "FixedDigits.h"
#include "PrintableQuote.h"

namespace orvane {
namespace {

enum class ValueKind { None, Byte, Time, Radiotext, ServiceName, Decoder };

struct Syntax {
  std::string_view name;
  Keyword keyword;
  ValueKind kind;
  int max = 0;  // highest value of a Byte
};

constexpr std::array<Syntax, 13> kSyntax = {{
    {"PTY", Keyword::Pty, ValueKind::Byte, kMaxProgrammeType},
    {"GROUP4A", Keyword::Group4A, ValueKind::Byte, 1},
    {"GROUP1A", Keyword::Group1A, ValueKind::Byte, 1},
    {"DEF1ATIME", Keyword::Def1ATime, ValueKind::Time},
    {"TXT0", Keyword::Txt0, ValueKind::Radiotext},
    {"TXT1", Keyword::Txt1, ValueKind::Radiotext},
    {"PSN", Keyword::Psn, ValueKind::ServiceName},
    {"DI", Keyword::Di, ValueKind::Decoder},
    {"TIMEINPSN", Keyword::TimeInPsn, ValueKind::Byte, 1},
    {"TA", Keyword::Ta, ValueKind::Byte, 1},
    {"TP", Keyword::Tp, ValueKind::Byte, 1},
    {"MS", Keyword::Ms, ValueKind::Byte, 1},
    {"ENCODE", Keyword::Encode, ValueKind::None},
}};

std::string hexByte(int value) {
  return hexDigits(static_cast<unsigned>(value), 2);
}

Refusal fail(const Syntax& syntax, std::string_view value, std::string_view why) {
  return {Refusal::Kind::InvalidValue,
          std::string(syntax.name) + "=" + printableQuote(value) + ": " + std::string(why)};
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A hexadecimal number of any length. The console prints values with "%02X", so a value that did
// not fit a byte arrives with more digits (an invalid day as FFFFFFFF): it is reported as too
// large instead of being wrapped into range.
struct Hex {
  enum class Status { Ok, NotHex, TooLarge } status;
  int value = 0;
};

Hex readHex(std::string_view digits) {
  if (digits.empty()) return {Hex::Status::NotHex};
  int value = 0;
  bool tooLarge = false;
  for (char c : digits) {
    const int digit = hexDigit(c);
    if (digit < 0) return {Hex::Status::NotHex};
    if (!tooLarge) value = value * 16 + digit;
    tooLarge = tooLarge || value > 0xFF;
  }
  return tooLarge ? Hex{Hex::Status::TooLarge} : Hex{Hex::Status::Ok, value};
}

// Filled in member by member: the project's warnings reject partly braced aggregates.
Command commandOf(const Syntax& syntax, int number = 0) {
  Command command;
  command.keyword = syntax.keyword;
  command.number = number;
  return command;
}

bool inRange(const Hex& hex, int low, int high) {
  return hex.status == Hex::Status::Ok && hex.value >= low && hex.value <= high;
}

[[gnu::hot]] ParseResult parseByte(const Syntax& syntax, std::string_view value) {
  const Hex hex = readHex(value);
  if (hex.status == Hex::Status::NotHex) return fail(syntax, value, "não é hexadecimal");
  if (!inRange(hex, 0, syntax.max)) {
    return fail(
        syntax, value,
        syntax.max == 1 ? "deve ser 00 ou 01" : "fora do intervalo 00 a " + hexByte(syntax.max));
  }
  return commandOf(syntax, hex.value);
}

// DD+HHMM, each pair a hex byte: day 5 at 10:30 is 05+0A1E.
[[gnu::hot]] ParseResult parseTime(const Syntax& syntax, std::string_view value) {
  const auto plus = value.find('+');
  const bool shaped = plus != std::string_view::npos && value.size() - plus == 5;
  const Hex day = readHex(shaped ? value.substr(0, plus) : "");
  const Hex hour = readHex(shaped ? value.substr(plus + 1, 2) : "");
  const Hex minute = readHex(shaped ? value.substr(plus + 3, 2) : "");
  for (const Hex* part : {&day, &hour, &minute}) {
    if (part->status == Hex::Status::NotHex) {
      return fail(syntax, value, "esperado DD+HHMM em hexadecimal (dia 5, 10:30 = 05+0A1E)");
    }
  }
  if (!inRange(day, 1, 31)) return fail(syntax, value, "dia fora do intervalo 1 a 31");
  if (!inRange(hour, 0, 23)) return fail(syntax, value, "hora fora do intervalo 0 a 23");
  if (!inRange(minute, 0, 59)) return fail(syntax, value, "minuto fora do intervalo 0 a 59");
  Command command = commandOf(syntax);
  command.time = {day.value, hour.value, minute.value};
  return command;
}

// Nothing inside the quotes is escaped, so the text runs to the last quote of the line and may
// hold quotes of its own.
[[gnu::hot]] ParseResult parseText(const Syntax& syntax, std::string_view value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
    return fail(syntax, value, "o texto tem de vir entre aspas");
  }
  const std::string_view text = value.substr(1, value.size() - 2);
  if (syntax.kind == ValueKind::Radiotext && text.size() > kMaxRadiotextLength) {
    return fail(syntax, value,
                "tem " + std::to_string(text.size()) + " caracteres, o máximo é " +
                    std::to_string(kMaxRadiotextLength));
  }
  // Control bytes have no glyph on a receiver and would drive the operator's terminal.
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      return fail(syntax, value,
                  "byte de controlo 0x" + hexByte(byte) + " na posição " + std::to_string(i + 1));
    }
  }
  Command command = commandOf(syntax);
  command.text = text;
  return command;
}

// The console sends its DI field as typed; a code taken from the settings file keeps the blanks
// that stood before it ("DI= 3"), so leading blanks and tabs are skipped.
[[gnu::hot]] ParseResult parseDecoder(const Syntax& syntax, std::string_view value) {
  const auto start = value.find_first_not_of(" \t");
  const Hex hex = readHex(start == std::string_view::npos ? "" : value.substr(start));
  if (!inRange(hex, 0, kMaxDecoderIdentification))
    return fail(syntax, value, "esperado um código hexadecimal de 00 a 0F");
  return commandOf(syntax, hex.value);
}

[[gnu::hot]] ParseResult parseValue(const Syntax& syntax, std::string_view value) {
  switch (syntax.kind) {
    case ValueKind::Byte:
      return parseByte(syntax, value);
    case ValueKind::Time:
      return parseTime(syntax, value);
    case ValueKind::Radiotext:
    case ValueKind::ServiceName:
      return parseText(syntax, value);
    case ValueKind::Decoder:
      return parseDecoder(syntax, value);
    case ValueKind::None:
      break;
  }
  return commandOf(syntax);
}

}  // namespace

[[gnu::hot]] ParseResult parseCommand(std::string_view line) {
  const auto equals = line.find('=');
  const std::string_view name = line.substr(0, equals);
  for (const Syntax& syntax : kSyntax) {
    if (syntax.name != name) continue;
    const bool hasValue = equals != std::string_view::npos;
    if (syntax.kind == ValueKind::None && hasValue) {
      return Refusal{Refusal::Kind::InvalidValue, std::string(name) + " não leva valor"};
    }
    if (syntax.kind != ValueKind::None && !hasValue) {
      return Refusal{Refusal::Kind::InvalidValue, "falta o valor: " + std::string(name) + "=..."};
    }
    return parseValue(syntax, hasValue ? line.substr(equals + 1) : std::string_view{});
  }
  return Refusal{Refusal::Kind::UnknownKey,
                 "comando desconhecido \"" + printableQuote(name) + "\""};
}

std::string consoleRefusal(const Refusal& refusal) {
  return "ERRO: " + refusal.text;
}

}  // namespace orvane
