#include "RdsDecoder.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <complex>
#include <numbers>
#include <sstream>
#include <utility>

namespace orvane::test {
namespace {

double angle(double hertz, std::size_t n, double rate) {
  return 2 * std::numbers::pi * hertz * static_cast<double>(n) / rate;
}

// The parity-check matrix of IEC 62106, one row per bit of the block, first bit first, and the
// syndromes that offsets A, B, C, C' and D leave.
constexpr std::array<std::uint16_t, 26> kParityCheck = {
    0x200, 0x100, 0x080, 0x040, 0x020, 0x010, 0x008, 0x004, 0x002, 0x001, 0x2DC, 0x16E, 0x0B7,
    0x287, 0x39F, 0x313, 0x355, 0x376, 0x1BB, 0x201, 0x3DC, 0x1EE, 0x0F7, 0x2A7, 0x38F, 0x31B};
constexpr std::array<std::uint16_t, 5> kSyndromes = {0x3D8, 0x3D4, 0x25C, 0x3CC, 0x258};

// The RDS character table from 0x20, sixteen characters a row.
constexpr std::array<std::string_view, 14> kTable = {
    " !\"#¤%&'()*+,-./", "0123456789:;<=>?", "@ABCDEFGHIJKLMNO", "PQRSTUVWXYZ[\\]―_",
    "‖abcdefghijklmno",  "pqrstuvwxyz{|}¯ ", "áàéèíìóòúùÑÇŞß¡Ĳ", "âäêëîïôöûüñçşğıĳ",
    "ªα©‰Ğěňőπ€£$←↑→↓",  "º¹²³±İńűµ¿÷°¼½¾§", "ÁÀÉÈÍÌÓÒÚÙŘČŠŽĐĿ", "ÂÄÊËÎÏÔÖÛÜřčšžđŀ",
    "ÃÅÆŒŷÝÕØÞŊŔĆŚŹŦð",  "ãåæœŵýõøþŋŕćśźŧ "};

std::string tableEntry(std::uint8_t code) {
  if (code < 0x20) return "<" + std::to_string(code) + ">";
  const std::string_view row = kTable[(code - 0x20) / 16];
  std::size_t at = 0, end = 0;  // the wanted character's UTF-8 bytes in its row
  for (int column = 0; column <= code % 16; ++column) {
    at = end;
    do ++end;
    while (end < row.size() && (row[end] & 0xC0) == 0x80);
  }
  return std::string(row.substr(at, end - at));
}

std::optional<RdsGroup> groupAt(std::span<const std::uint8_t> bits, std::size_t at) {
  constexpr std::array<unsigned, 4> kOffsetsAllowed = {0b00001, 0b00010, 0b01100, 0b10000};
  RdsGroup group;
  for (std::size_t b = 0; b < 4; ++b) {
    std::uint32_t block = 0;
    for (std::size_t i = 0; i < 26; ++i) block = (block << 1) | bits[at + 26 * b + i];
    const auto offset = offsetOf(block);
    if (!offset || !((kOffsetsAllowed[b] >> static_cast<int>(*offset)) & 1U)) return std::nullopt;
    group.blocks[b] = static_cast<std::uint16_t>(block >> 10);
  }
  return group;
}

// Adds `text` unless it repeats the last one; true when added.
bool fold(std::vector<std::string>& seen, std::string text) {
  if (!seen.empty() && seen.back() == text) return false;
  seen.push_back(std::move(text));
  return true;
}

// A tagging group's 37 bits (toggle, running, then type, start and length less one of two
// tags), applied to the text of the radiotext on air when it came.
RtPlusSeen applyTags(std::uint64_t bits, const std::string& text) {
  RtPlusSeen seen{((bits >> 36) & 1U) != 0, ((bits >> 35) & 1U) != 0, utf8FromRds(text), {}};
  const std::pair<std::uint64_t, int> tags[] = {{bits >> 17, 6}, {bits, 5}};  // and length bits
  for (const auto& [tag, lengthBits] : tags) {
    const auto type = static_cast<int>((tag >> (6 + lengthBits)) & 0x3F);
    const std::size_t start = (tag >> lengthBits) & 0x3F;
    const std::size_t length = (tag & ((1U << lengthBits) - 1)) + 1;
    if (type == 0) continue;
    seen.items[type] =
        start + length <= text.size() ? utf8FromRds(text.substr(start, length)) : "<past the end>";
  }
  return seen;
}

}  // namespace

PilotMeasure measureTone(std::span<const std::int16_t> samples, double hertz, double rate) {
  double inPhase = 0, quadrature = 0;
  const auto count = static_cast<double>(samples.size());
  for (std::size_t n = 0; n < samples.size(); ++n) {
    const double window = 1 - std::cos(angle(rate, n, rate) / count);
    inPhase += window * samples[n] * std::sin(angle(hertz, n, rate));
    quadrature += window * samples[n] * std::cos(angle(hertz, n, rate));
  }
  return {std::hypot(inPhase, quadrature) * 2 / (count * 32767), std::atan2(quadrature, inPhase)};
}

std::vector<RdsGroup> groupsFromSamples(std::span<const std::int16_t> samples, double rate,
                                        double pilotHertz) {
  const double pilotPhase = measureTone(samples, pilotHertz, rate).phase;
  // Running sum of the signal times the regenerated subcarrier.
  std::vector<double> sum(samples.size() + 1, 0.0);
  for (std::size_t n = 0; n < samples.size(); ++n) {
    sum[n + 1] = sum[n] + samples[n] * std::sin(3 * (angle(pilotHertz, n, rate) + pilotPhase));
  }
  // A bit is sixteen pilot cycles, seldom a whole number of samples.
  const double samplesPerBit = 16 * rate / pilotHertz;
  auto halves = [&](double offset, std::size_t bit) {
    const auto at = [&](double half) {
      return sum[static_cast<std::size_t>(std::lround(offset + (bit + half) * samplesPerBit))];
    };
    return (at(0.5) - at(0)) - (at(1) - at(0.5));
  };
  const auto bits =
      static_cast<std::size_t>(static_cast<double>(samples.size()) / samplesPerBit) - 1;
  std::pair<double, double> best{-1, 0};  // the strength of the bit clock, and its offset
  for (double offset = 0; offset < samplesPerBit; offset += 2) {
    double strength = 0;
    for (std::size_t k = 0; k < bits; ++k) strength += std::abs(halves(offset, k));
    best = std::max(best, {strength, offset});
  }
  std::vector<std::uint8_t> data;
  for (std::size_t k = 0, previous = 0; k < bits; ++k) {
    const std::size_t level = halves(best.second, k) > 0 ? 1 : 0;
    data.push_back(level != previous ? 1 : 0);
    previous = level;
  }
  std::vector<RdsGroup> groups;
  for (std::size_t at = 0; at + 104 <= data.size();) {
    const auto group = groupAt(data, at);
    if (group) groups.push_back(*group);
    at += group ? 104 : 1;
  }
  return groups;
}

double subcarrierAxisDegrees(std::span<const std::int16_t> samples, double rate, double pilotHertz,
                             double pilotPhase) {
  // Sums over a quarter bit: a low-pass that keeps the data and drops what the mixing doubled.
  const auto quarterBit = static_cast<std::size_t>(4 * rate / pilotHertz);
  std::complex<double> squares = 0, block = 0;
  for (std::size_t n = 0; n < samples.size(); ++n) {
    block += static_cast<double>(samples[n]) *
             std::polar(1.0, -3 * (angle(pilotHertz, n, rate) + pilotPhase));
    if ((n + 1) % quarterBit == 0) {
      squares += block * block;
      block = 0;
    }
  }
  // A data level a sin(3 theta + delta) mixes down to -j a/2 e^(j delta).
  const double axis = std::arg(squares) / 2 * 180 / std::numbers::pi + 90;
  return axis > 90 ? axis - 180 : axis;
}

std::optional<std::vector<std::int16_t>> readWav(const std::string& bytes, std::uint32_t rate) {
  const auto le = [&](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
      value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
  };
  const std::size_t data = bytes.size() - 44;
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || le(4, 4) != data + 36 ||
      bytes.compare(8, 8, "WAVEfmt ") != 0 || le(16, 4) != 16 || le(20, 2) != 1 || le(22, 2) != 1 ||
      le(24, 4) != rate || le(28, 4) != 2 * rate || le(32, 2) != 2 || le(34, 2) != 16 ||
      bytes.compare(36, 4, "data") != 0 || le(40, 4) != data) {
    return std::nullopt;
  }
  std::vector<std::int16_t> samples(data / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(le(44 + 2 * i, 2));
  }
  return samples;
}

std::optional<Offset> offsetOf(std::uint32_t block) {
  std::uint16_t s = 0;
  for (std::size_t i = 0; i < 26; ++i) s ^= ((block >> (25 - i)) & 1U) ? kParityCheck[i] : 0;
  const auto found = std::ranges::find(kSyndromes, s);
  if (found == kSyndromes.end()) return std::nullopt;
  return static_cast<Offset>(found - kSyndromes.begin());
}

std::optional<std::vector<RdsGroup>> groupsFromHex(std::string_view text) {
  std::vector<RdsGroup> groups;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) {
    RdsGroup& g = groups.emplace_back();
    for (std::size_t b = 0; b < 4; ++b) {
      const char* first = line.data() + 5 * b;
      if (line.size() != 19 || (b > 0 && first[-1] != ' ') ||
          std::from_chars(first, first + 4, g.blocks[b], 16).ptr != first + 4) {
        return std::nullopt;
      }
    }
  }
  return groups;
}

std::string utf8FromRds(std::string_view rds) {
  std::string out;
  for (char c : rds) out += tableEntry(static_cast<std::uint8_t>(c));
  return out;
}

namespace {

// A whole AF list is by method B when it is the tuned frequency and pairs that each hold it.
void takeFrequencies(Station& station, const std::vector<int>& heard) {
  bool pairs = heard.size() >= 3 && heard.size() % 2 == 1;
  for (std::size_t i = 1; pairs && i < heard.size(); i += 2) {
    pairs = heard[i] == heard[0] || heard[i + 1] == heard[0];
  }
  if (!pairs) {
    station.alternativeFrequencies = heard;
    return;
  }
  std::vector<int>& list = station.alternativeFrequencyLists[heard[0]];
  list.clear();
  for (std::size_t i = 1; i < heard.size(); i += 2) {
    if (heard[i] < heard[i + 1]) list.push_back(heard[i] == heard[0] ? heard[i + 1] : heard[i]);
  }
}

// Method A: a code 224 + N, then N frequencies; whole once all N came.
void readFrequencyCodes(std::uint16_t c, std::optional<std::size_t>& wanted,
                        std::vector<int>& heard, std::optional<std::vector<int>>& whole) {
  for (const unsigned code : {static_cast<unsigned>(c) >> 8U, c & 0xFFU}) {
    if (code >= 224 && code <= 249) wanted = code - 224, heard.clear();
    if (code >= 1 && code <= 204 && wanted > heard.size()) {
      heard.push_back(87500 + 100 * static_cast<int>(code));
    }
    if (wanted == heard.size()) whole = heard;
  }
}

// 14A (variants 0-3 the name, 4 the frequencies, 13 the programme type and TA) and 14B.
void readOtherNetwork(Station& station, std::size_t index, std::uint16_t b, std::uint16_t c,
                      std::uint16_t d) {
  OtherNetworkSeen& on = station.otherNetworks[d];
  on.trafficProgramme = (b >> 4) & 1U;
  if ((b >> 11) & 1U) {
    on.trafficAnnouncement = (b >> 3) & 1U;
    on.trafficGroupsAt.push_back(index);
    return;
  }
  const unsigned variant = b & 0xFU;
  if (variant < 4) {
    on.nameHave = (variant == 0 ? 0 : on.nameHave) | 1U << variant;
    on.name.replace(2 * variant, 2, {static_cast<char>(c >> 8), static_cast<char>(c)});
    if (on.nameHave == 0xF) on.serviceName = utf8FromRds(on.name);
  } else if (variant == 4) {
    readFrequencyCodes(c, on.frequenciesWanted, on.frequenciesHeard, on.frequencies);
  } else if (variant == 13) {
    on.programmeType = c >> 11;
    on.trafficAnnouncement = c & 1U;
  }
}

// A UTF-8 text of up to 128 bytes, four a segment, whole when every segment up to the one with
// its end mark came; a segment 0 starts it again.
void readEnhancedRadiotext(Station& station, std::string& text, std::uint64_t& have,
                           std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  const unsigned segment = b & 0x1FU;
  if (segment == 0) have = 0;
  text.replace(4 * segment, 4,
               {static_cast<char>(c >> 8), static_cast<char>(c), static_cast<char>(d >> 8),
                static_cast<char>(d)});
  have |= std::uint64_t{1} << segment;
  const std::size_t length = std::min(text.find('\r'), std::size_t{128});
  const std::uint64_t needed =
      (std::uint64_t{1} << (std::min(length + 1, std::size_t{128}) + 3) / 4) - 1;
  if ((have & needed) == needed) station.enhancedRadiotext = text.substr(0, length);
}

}  // namespace

// Texts come a segment a group; each bit of a `have` mask is a segment received since the text
// began, so that a text counts only once all its segments came.
Station decodeStation(std::span<const RdsGroup> groups) {
  Station station;
  std::string ps(8, ' '), rt(64, ' ');
  unsigned psHave = 0, rtHave = 0, di = 0;
  bool rtFlag = false;
  std::string ptyn(8, ' '), lps(32, ' ');
  unsigned lpsHave = 0;
  unsigned ptynHave = 0, ptynFlag = 2;
  std::optional<std::size_t> afWanted;
  std::vector<int> afHeard;
  std::string ert(128, ' ');
  std::uint64_t ertHave = 0;
  // Each A/B flag's text once it came whole; the tagging groups that came with each flag.
  std::vector<std::optional<std::string>> texts(1);
  std::vector<std::pair<std::size_t, std::uint64_t>> tagGroups;
  for (std::size_t index = 0; index < groups.size(); ++index) {
    const auto [a, b, c, d] = groups[index].blocks;
    const unsigned type = b >> 11;  // the group type and its version, 0A as 0
    station.pi = a;
    station.trafficProgramme = (b >> 10) & 1U;
    station.programmeType = (b >> 5) & 0x1F;
    if (type == 0) {
      const unsigned segment = b & 3U;
      station.trafficAnnouncement = (b >> 4) & 1U;
      station.music = (b >> 3) & 1U;
      di = (di & ~(8U >> segment)) | (((b >> 2) & 1U) << (3 - segment));
      psHave = (segment == 0 ? 0 : psHave) | 1U << segment;
      ps.replace(2 * segment, 2, {static_cast<char>(d >> 8), static_cast<char>(d)});
      if (psHave == 0xF && fold(station.serviceNames, utf8FromRds(ps))) {
        station.serviceNameAt.push_back(index);
      }
      if (psHave == 0xF) station.decoderIdentification = static_cast<int>(di);
      std::optional<std::vector<int>> whole;
      readFrequencyCodes(c, afWanted, afHeard, whole);
      if (whole) takeFrequencies(station, *whole);
    } else if (type == 4) {
      const unsigned segment = b & 0xFU;
      const bool flag = (b >> 4) & 1U;
      if (std::exchange(rtFlag, flag) != flag) {
        rt.assign(64, ' ');
        rtHave = 0;
        texts.emplace_back();
      }
      rt.replace(4 * segment, 4,
                 {static_cast<char>(c >> 8), static_cast<char>(c), static_cast<char>(d >> 8),
                  static_cast<char>(d)});
      rtHave |= 1U << segment;
      const std::size_t length = std::min(rt.find('\r'), std::size_t{64});
      const unsigned needed = (1U << (std::min(length + 1, std::size_t{64}) + 3) / 4) - 1;
      if ((rtHave & needed) != needed) continue;
      texts.back() = rt.substr(0, length);
      if (fold(station.radiotexts, utf8FromRds(*texts.back()))) {
        station.radiotextFlags.push_back(flag);
      }
    } else if (type == 6 && d == 0x4BD7) {
      station.rtPlusGroupType = b & 0x1FU;
    } else if (type == 6 && d == 0x6552) {
      station.enhancedRadiotextGroupType = b & 0x1FU;
      station.enhancedRadiotextMessage = c;
    } else if (type == station.enhancedRadiotextGroupType) {
      readEnhancedRadiotext(station, ert, ertHave, b, c, d);
    } else if (type == 28 || type == 29) {
      readOtherNetwork(station, index, b, c, d);
    } else if (type == station.rtPlusGroupType) {
      tagGroups.emplace_back(texts.size() - 1,
                             std::uint64_t{b & 0x1FU} << 32 | std::uint64_t{c} << 16 | d);
    } else if (type == 2) {
      station.programmeItem = d;
      station.slowLabelling = c;
    } else if (type == 20) {
      // 10A: the programme type name, four characters a segment; the A/B flag clears it.
      if (((b >> 4) & 1U) != ptynFlag) ptyn = std::string(8, ' '), ptynHave = 0;
      ptynFlag = (b >> 4) & 1U;
      const unsigned segment = b & 1U;
      for (unsigned i = 0; i < 4; ++i)
        ptyn[segment * 4 + i] = static_cast<char>((i < 2 ? c : d) >> (i % 2 ? 0 : 8));
      ptynHave |= 1U << segment;
      if (ptynHave == 3U) station.programmeTypeName = utf8FromRds(ptyn);
    } else if (type == 30) {
      // 15A: the long name, four UTF-8 bytes a segment, whole when every segment up to the one
      // with its end mark came; a segment 0 starts it again.
      const unsigned segment = b & 7U;
      if (segment == 0) lpsHave = 0;
      lps.replace(4 * segment, 4,
                  {static_cast<char>(c >> 8), static_cast<char>(c), static_cast<char>(d >> 8),
                   static_cast<char>(d)});
      lpsHave |= 1U << segment;
      const std::size_t length = std::min(lps.find('\r'), std::size_t{32});
      const unsigned needed = (1U << (std::min(length + 1, std::size_t{32}) + 3) / 4) - 1;
      if ((lpsHave & needed) == needed) station.longServiceName = lps.substr(0, length);
    } else if (type == 8) {
      station.clockTimes.push_back({static_cast<int>(((b & 3U) << 15) | (c >> 1)),
                                    static_cast<int>(((c & 1U) << 4) | (d >> 12)), (d >> 6) & 0x3F,
                                    (d & 0x1F) * ((d >> 5) & 1U ? -1 : 1), index});
    }
  }
  for (const auto& [text, bits] : tagGroups) {
    if (texts[text]) station.rtPlus.push_back(applyTags(bits, *texts[text]));
  }
  return station;
}

}  // namespace orvane::test
