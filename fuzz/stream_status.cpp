// Arbitrary bodies from a stream server, as Icecast's status or Shoutcast's stats: no crash, no
// stack exhausted by nesting, and a song read from one renders within radiotext's length or is
// refused.
#include <cstdint>
#include <string>

#include "FuzzExpect.h"
#include "HtmlEntities.h"
#include "StreamStatusJson.h"

using orvane::fuzz::expect;

namespace {

void rendersWithin(const orvane::StreamStatus& status) {
  const auto* song = std::get_if<0>(&status);
  if (!song || !*song) return;
  const auto rendered = orvane::renderSong(**song, "{artist} - {title}");
  if (const auto* tags = std::get_if<orvane::OnAirState::SongTags>(&rendered)) {
    expect(tags->text.size() <= orvane::kMaxRadiotextLength);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  rendersWithin(readIcecastStatus(body, "/live"));
  rendersWithin(readIcecastStatus(body, ""));
  rendersWithin(readShoutcastStats(body));
  // A reference only ever shortens: no decoded character takes more bytes than its reference.
  expect(decodeHtmlEntities(body).size() <= body.size());
  return 0;
}
