// Arbitrary X-Commands from a playout: no crash, and one that is read gives a radiotext within
// its bound whose tags mark only what is in it, at most as far as the markers reach.
#include "XCommand.h"

#include <cstdint>
#include <string>

#include "FuzzExpect.h"

using orvane::fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const std::string_view markup(reinterpret_cast<const char*>(data), size);
  const auto read = readXCommand(markup);
  const auto* command = std::get_if<XCommand>(&read);
  if (!command) return 0;
  expect(command->plainText().size() <= markup.size());
  bool cut = false;
  const auto song = xCommandRadiotext(*command, cut);
  const auto* tagged = std::get_if<OnAirState::SongTags>(&song);
  if (!tagged) return 0;
  expect(tagged->text.size() <= kMaxRadiotextLength);
  for (std::size_t i = 0; i < tagged->tags.tags.size(); ++i) {
    const RtPlusTag& tag = tagged->tags.tags[i];
    if (tag.contentType == 0) continue;
    expect(command->tags && tag.length > 0 && tag.length <= kMaxTagLength[i] &&
           tag.start <= kMaxTagStart &&
           static_cast<std::size_t>(tag.start + tag.length) <= tagged->text.size());
  }
  return 0;
}
