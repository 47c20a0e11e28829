#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

// Flags are 32-bit integers holding 0 or 1, because the window exchanges them with check boxes
// that can also report 2 (indeterminate).
using Flag = std::int32_t;

inline constexpr std::size_t kLineBufferSize = 256;  // 255 characters and a terminating zero
inline constexpr std::size_t kLineCapacity = kLineBufferSize - 1;
inline constexpr std::size_t kReceiveChunk = 2048;  // most bytes taken from the socket at once
// One byte more than a chunk, so that the zero after a full chunk still fits.
inline constexpr std::size_t kReceiveBufferSize = kReceiveChunk + 1;

inline constexpr std::size_t kRadioTextLength = 64;  // characters in one radiotext line
inline constexpr std::uint32_t kDefaultServerPort = 6969;
inline constexpr std::uint32_t kDefaultServerAddress = 0x7F000001;  // 127.0.0.1

// The one record behind the console: what the operator sends to the encoder (mirrored in the
// window's controls) and what the console itself is doing. Texts are 8-bit bytes in the
// workstation's code page (Windows-1252).
struct ConsoleState {
  // Operator side, exchanged with the console window.
  Flag group1A = 0;
  Flag group4A = 0;
  std::string ptyCode;
  std::uint32_t pinDay = 0;
  std::string pinTime;
  std::uint32_t serverPort = 0;
  std::string radioText1;
  std::string radioText2;
  std::string psName;
  Flag musicFlag = 0;
  Flag taFlag = 0;
  Flag tpFlag = 0;
  Flag timeInPsFlag = 0;
  std::string diCode;
  Flag autoRotate = 0;
  std::int32_t rotateCountdown = 0;

  // Control side.
  std::string sendQueue;
  Flag busy = 0;
  Flag queueActive = 0;
  Flag connected = 0;
  Flag advancedMode = 0;
  Flag charWarningShown = 0;
  std::int32_t rotateTicks = 0;
  std::int32_t rotateIndex = 0;
  std::int32_t rotateDwell = 0;
  std::array<char, kLineBufferSize> lineBuffer{};
  std::array<char, kReceiveBufferSize> receiveBuffer{};
};

// The built-in start-up values that the console window's initialisation gives the record before
// the settings file is read. The address and the two list selections live in the window.
void applyStartupValues(ConsoleState& state);

}  // namespace orvane
