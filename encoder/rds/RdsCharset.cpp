#include "RdsCharset.h"

#include <array>

namespace orvane {
namespace {

constexpr std::uint8_t kNone = '?';

// Windows-1252 0x80..0xFF, row by row as the code page lays them out.
constexpr std::array<std::uint8_t, 128> kHighHalf = {
    // € undef ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ undef Ž undef
    0xA9, kNone, ',', 'f', '"', '.', '+', '+', kNone, 0xA3, 0xCC, '<', 0xE3, kNone, 0xCD, kNone,
    // undef ‘ ’ “ ” • – — ˜ ™ š › œ undef ž Ÿ
    kNone, '\'', '\'', '"', '"', '.', '-', '-', '-', kNone, 0xDC, '>', 0xF3, kNone, 0xDD, 'Y',
    // nbsp ¡ ¢ £ ¤ ¥ ¦ § ¨ © ª « ¬ shy ® ¯
    ' ', 0x8E, 'c', 0xAA, 0x24, 'Y', '|', 0xBF, '"', 0xA2, 0xA0, '"', '-', '-', 'R', 0x7E,
    // ° ± ² ³ ´ µ ¶ · ¸ ¹ º » ¼ ½ ¾ ¿
    0xBB, 0xB4, 0xB2, 0xB3, '\'', 0xB8, kNone, '.', ',', 0xB1, 0xB0, '"', 0xBC, 0xBD, 0xBE, 0xB9,
    // À Á Â Ã Ä Å Æ Ç È É Ê Ë Ì Í Î Ï
    0xC1, 0xC0, 0xD0, 0xE0, 0xD1, 0xE1, 0xE2, 0x8B, 0xC3, 0xC2, 0xD2, 0xD3, 0xC5, 0xC4, 0xD4, 0xD5,
    // Ð Ñ Ò Ó Ô Õ Ö × Ø Ù Ú Û Ü Ý Þ ß
    0xCE, 0x8A, 0xC7, 0xC6, 0xD6, 0xE6, 0xD7, 'x', 0xE7, 0xC9, 0xC8, 0xD8, 0xD9, 0xE5, 0xE8, 0x8D,
    // à á â ã ä å æ ç è é ê ë ì í î ï
    0x81, 0x80, 0x90, 0xF0, 0x91, 0xF1, 0xF2, 0x9B, 0x83, 0x82, 0x92, 0x93, 0x85, 0x84, 0x94, 0x95,
    // ð ñ ò ó ô õ ö ÷ ø ù ú û ü ý þ ÿ
    0xEF, 0x9A, 0x87, 0x86, 0x96, 0xF6, 0x97, 0xBA, 0xF7, 0x89, 0x88, 0x98, 0x99, 0xF5, 0xF8, 'y'};

// The four ASCII positions where the RDS set has other characters: '$' has its own code higher
// up, the grave accent and the tilde have look-alikes, the circumflex has none.
constexpr std::uint8_t fromAscii(std::uint8_t c) {
  switch (c) {
    case '$':
      return 0xAB;
    case '`':
      return '\'';
    case '~':
      return '-';
    case '^':
      return kNone;
    default:
      return c;
  }
}

constexpr std::uint8_t translated(std::uint8_t c) {
  if (c >= 0x80) return kHighHalf[c - 0x80];
  if (c < 0x20 || c == 0x7F) return kNone;
  return fromAscii(c);
}

// Every byte's code looked up at once: a command's radiotext is translated on its way to the
// peers, and the branches for each byte cost more than the text's copy.
constexpr std::array<std::uint8_t, 256> makeTable() {
  std::array<std::uint8_t, 256> table{};
  for (unsigned c = 0; c < table.size(); ++c) table[c] = translated(static_cast<std::uint8_t>(c));
  return table;
}

constexpr std::array<std::uint8_t, 256> kTable = makeTable();

}  // namespace

std::uint8_t rdsCharacter(char windows1252) {
  return kTable[static_cast<std::uint8_t>(windows1252)];
}

[[gnu::hot]] std::string rdsText(std::string_view windows1252) {
  std::string out(windows1252.size(), ' ');
  for (std::size_t i = 0; i < windows1252.size(); ++i) {
    out[i] = static_cast<char>(kTable[static_cast<std::uint8_t>(windows1252[i])]);
  }
  return out;
}

}  // namespace orvane
