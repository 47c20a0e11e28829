// Arbitrary bytes as one UDP datagram to the UECP door: a datagram is taken only when it is one
// whole frame, which then goes out again byte for byte (stuffing leaves no choice), and frames
// cut into datagrams lose and gain no byte, each ending at its stop byte.
#include <cstdint>
#include <string>

#include "FuzzExpect.h"
#include "UecpDatagram.h"

using orvane::fuzz::expect;

namespace {

using namespace orvane;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (const auto frame = frameOfDatagram(input)) {
    std::string again;
    expect(appendUecpFrame(again, *frame) && again == input);
  }
  std::string joined;
  const auto datagrams = datagramsOf(input);
  for (std::size_t i = 0; i < datagrams.size(); ++i) {
    expect(!datagrams[i].empty());
    expect(i + 1 == datagrams.size() || datagrams[i].back() == static_cast<char>(kUecpStop));
    joined += datagrams[i];
  }
  expect(joined == input);
  return 0;
}
