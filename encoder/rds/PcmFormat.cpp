#include "PcmFormat.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace orvane {
namespace {

void put16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

}  // namespace

std::string wavHeader(std::uint32_t sampleRate, std::uint64_t dataBytes) {
  constexpr std::uint32_t kChannels = 1;
  constexpr std::uint32_t kBytesPerSample = 2;
  const auto data = static_cast<std::uint32_t>(std::min(dataBytes, kMaxWavDataBytes));
  std::string header;
  header.reserve(kWavHeaderSize);
  header += "RIFF";
  put32(header, data + 36);
  header += "WAVEfmt ";
  put32(header, 16);  // size of the format chunk
  put16(header, 1);   // PCM
  put16(header, kChannels);
  put32(header, sampleRate);
  put32(header, sampleRate * kChannels * kBytesPerSample);
  put16(header, kChannels * kBytesPerSample);
  put16(header, 8 * kBytesPerSample);
  header += "data";
  put32(header, data);
  return header;
}

void appendLittleEndian(std::string& out, std::span<const std::int16_t> samples) {
  const std::size_t start = out.size();
  out.resize(start + samples.size() * 2);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out.data() + start, samples.data(), samples.size() * 2);
  } else {
    for (std::size_t i = 0; i < samples.size(); ++i) {
      const auto v = static_cast<std::uint16_t>(samples[i]);
      out[start + 2 * i] = static_cast<char>(v & 0xFF);
      out[start + 2 * i + 1] = static_cast<char>(v >> 8);
    }
  }
}

}  // namespace orvane
