#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Which radiotext segment goes out next. The console's two lines are two messages that take
// turns, each up to the 64 characters of a radiotext, so neither is ever cut. A message is sent
// whole, again and again, until it has been on for at least kDwellGroups radiotext groups and at
// least twice through; then the other line takes over. Receivers clear their display when the
// A/B flag changes, so it changes at every turn and whenever the text on air is edited, and an
// edited message starts again from its first segment. An edit of the other line takes over at
// once, as a turn of its own, rather than wait for the message on air to finish its dwell: a new
// song must not wait behind the station's slogan; the message it cut short has had its turn.
// Empty lines are skipped; with both empty a blank message goes out, so receivers drop the old
// text.
class RadiotextCycle {
 public:
  static constexpr int kDwellGroups = 24;  // about 4.5 s at the usual group mix
  static constexpr int kMinimumPasses = 2;

  struct Segment {
    int address = 0;         // 0..15
    bool textB = false;      // the A/B flag
    std::string characters;  // four, in the RDS character set
  };

  // `lines` are the two radiotexts in the RDS character set.
  [[nodiscard]] Segment next(const std::array<std::string, 2>& lines);

  // Whether `lines` hold an edit of the message on air, which the next segment starts anew.
  [[nodiscard]] bool editWaiting(const std::array<std::string, 2>& lines) const;

  // The message receivers are being given, as far as it goes on air.
  [[nodiscard]] std::string_view message() const;

  // The line on air and its A/B flag; none before the first group.
  struct Rotation {
    int line = 0;
    bool textB = false;
    bool operator==(const Rotation&) const = default;
  };
  [[nodiscard]] std::optional<Rotation> rotation() const;
  // Goes on from where an earlier run left off, `lines` being the two texts as they were then:
  // the same message goes on with the same flag, so receivers keep it, and a text that changed
  // meanwhile starts anew as any edit does, with the flag flipped.
  void resume(Rotation rotation, const std::array<std::string, 2>& lines);

 private:
  void startMessage(int line, const std::string& text);
  [[nodiscard]] bool otherLineEdited(const std::array<std::string, 2>& lines) const;
  [[nodiscard]] int segmentCount() const;

  int line_ = -1;        // the console line on air, -1 before the first group
  std::string message_;  // its text as it went on air
  std::string other_;    // the other line as last seen, so that an edit of it is news
  int address_ = 0;
  int groupsOnAir_ = 0;
  int passes_ = 0;
  bool textB_ = true;  // flipped before the first message, which so goes out as A
};

}  // namespace orvane
