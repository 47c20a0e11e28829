#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orvane {

// The multiplex goes out as 16-bit signed little-endian mono samples: raw on a stream, or in a
// WAV file (RIFF, PCM) for tools that want to be told the rate. Sixteen bits keep the RDS
// signal, at 4.5 % of full scale, some 60 dB above the quantisation noise, and every player,
// sound card and SDR tool takes them.

inline constexpr std::size_t kWavHeaderSize = 44;
// RIFF sizes are 32-bit: a WAV file holds at most this much sample data.
inline constexpr std::uint64_t kMaxWavDataBytes = 0xFFFFFFFFULL - 36 - 1;

// The header of a 16-bit mono PCM WAV file with `dataBytes` of samples. A stream that cannot go
// back to fix the sizes gives the largest ones, which readers take as "until the end".
[[nodiscard]] std::string wavHeader(std::uint32_t sampleRate, std::uint64_t dataBytes);

void appendLittleEndian(std::string& out, std::span<const std::int16_t> samples);

}  // namespace orvane
