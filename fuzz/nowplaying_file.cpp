// Arbitrary now-playing files: no crash, and a song read from one puts on air only text within
// radiotext's length, with tags that stay inside it.
#include <cstdint>
#include <string>

#include "FuzzExpect.h"
#include "NowPlayingFile.h"

using orvane::fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const auto song = readNowPlayingFile({reinterpret_cast<const char*>(data), size});
  const auto* read = std::get_if<NowPlaying>(&song);
  if (!read) return 0;
  const auto rendered = renderSong(*read, "{artist} - {title}");
  if (const auto* tags = std::get_if<OnAirState::SongTags>(&rendered)) {
    expect(tags->text.size() <= kMaxRadiotextLength);
    for (const RtPlusTag& tag : tags->tags.tags) {
      expect(tag.contentType == 0 ||
             (tag.start <= kMaxTagStart &&
              static_cast<std::size_t>(tag.start + tag.length) <= tags->text.size()));
    }
  }
  return 0;
}
