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

std::uint32_t get(std::string_view bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

constexpr std::uint32_t kFormatPcm = 1;
constexpr std::uint32_t kFormatExtensible = 0xFFFE;
constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kRiffHeader = 12;

std::optional<PcmLayout> readFormat(std::string_view chunk, std::string& error) {
  if (chunk.size() < 16) {
    error = "formato WAV incompleto";
    return std::nullopt;
  }
  std::uint32_t format = get(chunk, 0, 2);
  // The extensible format names the real one in the first bytes of its sub-format.
  if (format == kFormatExtensible && chunk.size() >= 26) format = get(chunk, 24, 2);
  const std::uint32_t channels = get(chunk, 2, 2), bits = get(chunk, 14, 2);
  if (format != kFormatPcm || channels != 1 || (bits != 16 && bits != 24 && bits != 32)) {
    error = "o WAV tem de ser PCM mono de 16, 24 ou 32 bits";
    return std::nullopt;
  }
  return PcmLayout{get(chunk, 4, 4), static_cast<int>(bits)};
}

}  // namespace

std::optional<WavStart> parseWavStart(std::string_view bytes, std::string& error) {
  error.clear();
  if (bytes.size() < kRiffHeader) return std::nullopt;
  if (bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
    error = "não é um ficheiro WAV";
    return std::nullopt;
  }
  std::optional<PcmLayout> layout;
  for (std::size_t at = kRiffHeader; at + kChunkHeader <= bytes.size();) {
    const std::string_view id = bytes.substr(at, 4);
    const std::uint32_t size = get(bytes, at + 4, 4);
    if (id == "data") {
      if (!layout) error = "o WAV não diz o formato antes das amostras";
      if (!layout) return std::nullopt;
      return WavStart{*layout, at + kChunkHeader};
    }
    // Chunks are padded to an even size.
    const std::size_t next = at + kChunkHeader + size + (size & 1U);
    if (next > bytes.size()) return std::nullopt;
    if (id == "fmt ") {
      layout = readFormat(bytes.substr(at + kChunkHeader, size), error);
      if (!layout) return std::nullopt;
    }
    at = next;
  }
  return std::nullopt;
}

std::string wavHeader(std::uint32_t sampleRate, std::uint64_t dataBytes, int bitsPerSample) {
  constexpr std::uint32_t kChannels = 1;
  const auto kBytesPerSample = static_cast<std::uint32_t>(bitsPerSample / 8);
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

void appendWidened(std::string& out, std::string_view samples, int fromBits, int toBits) {
  if (fromBits == toBits) {
    out.append(samples);
    return;
  }
  const int from = fromBits / 8;
  const int zeros = (toBits - fromBits) / 8;
  for (std::size_t at = 0; at + static_cast<std::size_t>(from) <= samples.size(); at += from) {
    out.append(static_cast<std::size_t>(zeros), '\0');
    out.append(samples.substr(at, static_cast<std::size_t>(from)));
  }
}

}  // namespace orvane
