// Arbitrary bytes as DEF.INI: the reader must neither crash nor touch memory outside its line,
// and every number it takes must be the one the C library's sscanf took from the same value.
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzExpect.h"
#include "NullConsoleWindow.h"
#include "ScanNumbers.h"
#include "SettingsLine.h"
#include "SettingsReader.h"

using orvane::fuzz::expect;

namespace {

using namespace orvane;

void checkNumbersAgainstSscanf(const std::string& value) {
  unsigned hex = 0;
  int consumed = -1;
  const auto scanned = scanHex(value);
  const bool found = std::sscanf(value.c_str(), " %X%n", &hex, &consumed) == 1;
  expect(scanned.has_value() == found);
  if (found) expect(scanned->value == hex && scanned->end == static_cast<std::size_t>(consumed));

  unsigned address = 0;
  int port = 0;
  const auto pair = scanAddressAndPort(value);
  const bool both = std::sscanf(value.c_str(), " %X@ %d", &address, &port) == 2;
  expect(pair.has_value() == both);
  if (both) expect(pair->address == address && pair->port == port);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ConsoleState state;
  applyStartupValues(state);
  orvane::test::NullConsoleWindow window;
  LineReader lines(bytes);
  readSettings(lines, state, window);
  expect(state.psName.size() < kLineBufferSize && state.radioText1.size() < kLineBufferSize &&
         state.radioText2.size() < kLineBufferSize);

  LineReader again(bytes);
  while (const auto piece = again.next()) {
    expect(piece->size() <= kLineCapacity);
    if (const auto line = parseSettingLine(*piece))
      checkNumbersAgainstSscanf(std::string(line->value));
  }
  return 0;
}
