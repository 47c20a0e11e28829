// Arbitrary bytes from a UECP client, split into reads at places the input itself chooses: the
// listener's side must neither crash nor let a value beyond its field's bounds on air, its
// answers must be whole frames, and every frame the decoder finds must survive being sent again.
#include <fcntl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "AirLog.h"
#include "EncoderState.h"
#include "FuzzExpect.h"
#include "UecpFrameDecoder.h"
#include "UecpSession.h"

using orvane::fuzz::expect;

namespace {

using namespace orvane;

bool printable(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

void checkOnAir(const OnAirState& s) {
  expect(s.programmeType >= 0 && s.programmeType <= 0x1F);
  expect(s.decoderIdentification >= 0 && s.decoderIdentification <= 0x0F);
  expect(s.radiotext[0].size() <= 64 && s.radiotext[1].size() <= 64);
  expect(printable(s.radiotext[0]) && printable(s.radiotext[1]) &&
         printable(s.programmeServiceName) && printable(s.programmeTypeName));
  expect(s.programmeTypeName.size() <= 8);
  const ProgrammeItemTime& t = s.programmeItemTime;  // day 0: no programme item yet
  expect(t.day >= 0 && t.day <= 31 && t.hour <= 23 && t.minute <= 59);
  expect(!s.programmeIdentification || *s.programmeIdentification != 0);
}

void checkAnswers(const std::string& answers) {
  UecpFrameDecoder decoder;
  std::vector<UecpFrameDecoder::Event> events;
  decoder.feed(answers, events);
  for (const auto& event : events) expect(event.isFrame);
  expect(!decoder.midFrame());
}

void checkResent(std::string_view input) {
  UecpFrameDecoder decoder;
  std::vector<UecpFrameDecoder::Event> events;
  decoder.feed(input, events);
  for (const auto& event : events) {
    if (!event.isFrame) continue;
    std::string again;
    expect(appendUecpFrame(again, event.frame));
    UecpFrameDecoder second;
    std::vector<UecpFrameDecoder::Event> back;
    second.feed(again, back);
    expect(back.size() == 1 && back[0].isFrame && back[0].frame.message == event.frame.message &&
           back[0].frame.address == event.frame.address &&
           back[0].frame.sequence == event.frame.sequence);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  static const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  EncoderState state;
  AirLog log(nowhere, [] { return WallClockTime{}; });
  UecpTextMemory texts;
  UecpSession session(state, log, {5, 2}, "fuzz", &texts);
  for (std::size_t at = 0; at < input.size();) {
    const std::size_t read = static_cast<std::uint8_t>(input[at]) % 97 + 1;
    checkAnswers(session.receive(input.substr(at, read)));
    checkOnAir(state.onAir());
    at += read;
  }
  checkResent(input);
  return 0;
}
