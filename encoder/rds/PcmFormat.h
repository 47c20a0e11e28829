#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

// The multiplex goes out as 16-bit signed little-endian mono samples: raw on a stream, or in a
// WAV file (RIFF, PCM) for tools that want to be told the rate. Sixteen bits keep the RDS
// signal, at 4.5 % of full scale, some 60 dB above the quantisation noise, and every player,
// sound card and SDR tool takes them.

inline constexpr std::size_t kWavHeaderSize = 44;
// RIFF sizes are 32-bit: a WAV file holds at most this much sample data.
inline constexpr std::uint64_t kMaxWavDataBytes = 0xFFFFFFFFULL - 36 - 1;

// Mono signed little-endian samples of 16, 24 or 32 bits: the station's multiplex that a
// loop-through takes in keeps its own on the way out, so that the programme passes bit for bit.
struct PcmLayout {
  std::uint32_t sampleRate = 0;
  int bitsPerSample = 16;
  [[nodiscard]] int bytesPerSample() const { return bitsPerSample / 8; }
  bool operator==(const PcmLayout&) const = default;
};

// The header of a mono PCM WAV file with `dataBytes` of samples. A stream that cannot go back to
// fix the sizes gives the largest ones, which readers take as "until the end".
[[nodiscard]] std::string wavHeader(std::uint32_t sampleRate, std::uint64_t dataBytes,
                                    int bitsPerSample = 16);

// Where a WAV file's samples begin, and how they are laid out.
struct WavStart {
  PcmLayout layout;
  std::size_t dataOffset = 0;
};
// Reads the start of a WAV file: RIFF, a format chunk of PCM (plain or extensible) mono 16, 24 or
// 32-bit, then the data chunk, other chunks skipped. None with `error` empty while `bytes` holds
// too little to tell; none with `error` (Portuguese) when the file is not one that can be taken.
[[nodiscard]] std::optional<WavStart> parseWavStart(std::string_view bytes, std::string& error);

void appendLittleEndian(std::string& out, std::span<const std::int16_t> samples);

// Little-endian samples of `fromBits` appended as samples of `toBits` (no fewer), the value in
// the top bits: full scale stays full scale, and no bit of the programme is lost.
void appendWidened(std::string& out, std::string_view samples, int fromBits, int toBits);

}  // namespace orvane
