// Arbitrary --group-sequence lists: no crash, and a sequence that is taken holds its bound and
// reads back as the same sequence.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzExpect.h"
#include "GroupSequence.h"

using orvane::fuzz::expect;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto sequence = GroupSequence::parse(text, error);
  if (!sequence) {
    expect(!error.empty());
    return 0;
  }
  expect(sequence->size() > 0 && sequence->size() <= GroupSequence::kMaxSlots);
  std::string again;
  const auto reread = GroupSequence::parse(sequence->text(), again);
  expect(reread && reread->text() == sequence->text());
  return 0;
}
