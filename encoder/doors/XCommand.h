#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "OnAirState.h"

namespace orvane {

// pira's X-Command, as far as playouts send it: one item, where it goes and its text, in which
// <artist> and <title> mark where each stands.
//   <rds><item><dest>3</dest><text>Agora: <artist>A</artist> - <title>T</title></text></item></rds>
// The destination is a sum: 1 the radiotext, 2 its RT+ tags (with the radiotext only), 4 the
// scrolling name; so 1, 3, 4, 5 and 7 are taken. No other element, attribute, comment or
// second item is: a playout that sends them means something this reading would get wrong.
struct XCommand {
  enum class Role { Plain, Artist, Title };
  struct Piece {
    Role role = Role::Plain;
    std::string text;  // as sent (UTF-8 or Windows-1252), character references decoded
  };
  bool radiotext = false;
  bool tags = false;
  bool scrollingName = false;
  std::vector<Piece> pieces;  // at most one artist and one title

  // The text without its markup.
  [[nodiscard]] std::string plainText() const;
};

// The longest X-Command read: the longest line the line door takes.
inline constexpr std::size_t kMaxXCommandBytes = 1024;

// Reads the value after "XCMD=". Pure; any bytes are safe. The error is UTF-8, Portuguese, and
// quotes nothing of the input.
[[nodiscard]] std::variant<XCommand, std::string> readXCommand(std::string_view markup);

// The first radiotext the command gives, made fit for the air and cut where a word ends, with
// tags exactly where artist and title landed (blanks around them left out, a tag cut with the
// text); no tags when it marks neither or does not ask for them. `cut` says whether the text
// was cut. Fails (UTF-8) for control bytes.
[[nodiscard]] std::variant<OnAirState::SongTags, std::string> xCommandRadiotext(
    const XCommand& command, bool& cut);

}  // namespace orvane
