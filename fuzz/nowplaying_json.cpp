// Arbitrary bodies on the HTTP door's JSON endpoints: no crash, no stack exhausted by nesting,
// and a song read from one renders within radiotext's length or is refused.
#include <cstdint>
#include <string>

#include "DoorJson.h"
#include "FuzzExpect.h"

using orvane::fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const auto rendersWithin = [](const NowPlaying& song) {
    const auto rendered = renderSong(song, "{artist} - {title} ({album})");
    if (const auto* tags = std::get_if<OnAirState::SongTags>(&rendered)) {
      expect(tags->text.size() <= kMaxRadiotextLength);
    }
  };
  const auto hook = readAzuraCastJson(body);
  if (const auto* read = std::get_if<0>(&hook); read && *read) rendersWithin(**read);
  const auto posted = readNowPlayingJson(body);
  if (const auto* read = std::get_if<NowPlaying>(&posted)) rendersWithin(*read);
  const auto values = readStateJson(body);
  if (const auto* list = std::get_if<0>(&values)) {
    OnAirState state;
    AssignedFields fields;
    for (const auto& [key, value] : *list) (void)applyDoorValue(key, value, state, fields);
    (void)stateJson(state);
  }
  return 0;
}
