// Arbitrary lines from a playout on the line door: whatever is sent, the answer is one line per
// line (a read aside), and what goes on air stays within its field's bounds, free of control
// bytes.
#include <cstdint>
#include <string>

#include "DoorKey.h"
#include "FuzzExpect.h"

using orvane::fuzz::expect;

namespace {

using namespace orvane;

bool clean(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  OnAirState state;
  while (!input.empty()) {
    const std::string_view line = input.substr(0, input.find('\n'));
    input.remove_prefix(std::min(input.size(), line.size() + 1));
    const auto parsed = parseDoorLine(line);
    const auto* door = std::get_if<DoorLine>(&parsed);
    if (!door || door->kind != DoorLine::Kind::Set) continue;
    OnAirState next = state;
    AssignedFields fields;
    if (!applyDoorValue(door->key, door->value, next, fields)) state = next;
    expect(state.radiotext[0].size() <= kMaxRadiotextLength &&
           state.programmeTypeName.size() <= kProgrammeTypeNameLength);
    expect(clean(state.radiotext[0]) && clean(state.programmeServiceName) &&
           clean(state.programmeTypeName));
    expect(state.programmeType >= 0 && state.programmeType <= 31);
    (void)readDoorValue(door->key, state);
  }
  return 0;
}
