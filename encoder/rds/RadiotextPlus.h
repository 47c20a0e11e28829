#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "GroupBuilder.h"
#include "RdsGroup.h"
#include "RtPlusTagger.h"

namespace orvane {

// RadioText Plus: artist and title for receivers that show, store or look up songs. An open
// data application, announced in group 3A and carried in group 11A, whose tags say where in the
// radiotext on air the artist and the title stand. Receivers apply a tag to the text they hold,
// so every 11A describes the message on air when it goes out, never the next one.
class RadiotextPlus {
 public:
  static constexpr std::uint16_t kApplicationId = 0x4BD7;
  explicit RadiotextPlus(RtPlusFormat format) : format_(format) {}

  // The 3A that tells a receiver tuning in where the tags are.
  [[nodiscard]] static RdsGroup announcement(const GroupHeader& header);
  // The 11A for a radiotext on air; `lines` are the two radiotexts, all in the RDS character
  // set. `given`: the tags of the text on air as the door that put a song there knew them,
  // rather than split from the text.
  [[nodiscard]] RdsGroup tagGroup(const GroupHeader& header, std::string_view textOnAir,
                                  const std::array<std::string, 2>& lines,
                                  const RtPlusTags* given = nullptr);

  // The item toggle and the song it belongs to, as printable text; none before the first song.
  struct Item {
    bool toggle = false;
    std::string song;
    bool operator==(const Item&) const = default;
  };
  [[nodiscard]] std::optional<Item> item() const;
  // Goes on from an earlier run's item: the same song is the same item to receivers, and only
  // another one flips the toggle.
  void resume(Item item);

 private:
  [[nodiscard]] bool songStillOn(const std::array<std::string, 2>& lines) const;

  RtPlusFormat format_;
  // Flips when another song begins, so that receivers drop the last song's fields; the same song
  // back after a line that is not one is the same item. While a line that is no song takes its
  // turn, the item still runs as long as a line holds the song: receivers that clear their
  // fields when the item stops would otherwise lose the song every other message.
  bool itemToggle_ = false;
  std::optional<std::string> item_;  // the texts the last song's tags marked
};

}  // namespace orvane
