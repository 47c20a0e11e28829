#include "RdsDecoder.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <sstream>

namespace orvane::test {
namespace {

// The parity-check matrix of IEC 62106, one row per bit of the block, first bit first.
constexpr std::array<std::uint16_t, 26> kParityCheck = {
    0b1000000000, 0b0100000000, 0b0010000000, 0b0001000000, 0b0000100000, 0b0000010000,
    0b0000001000, 0b0000000100, 0b0000000010, 0b0000000001, 0b1011011100, 0b0101101110,
    0b0010110111, 0b1010000111, 0b1110011111, 0b1100010011, 0b1101010101, 0b1101110110,
    0b0110111011, 0b1000000001, 0b1111011100, 0b0111101110, 0b0011110111, 0b1010100111,
    0b1110001111, 0b1100011011};

constexpr std::array<std::uint16_t, 5> kSyndromes = {0x3D8, 0x3D4, 0x25C, 0x3CC, 0x258};

// The RDS character table from 0x20, sixteen characters a row.
constexpr std::array<std::string_view, 14> kTable = {
    " !\"#¤%&'()*+,-./", "0123456789:;<=>?", "@ABCDEFGHIJKLMNO", "PQRSTUVWXYZ[\\]―_",
    "‖abcdefghijklmno",  "pqrstuvwxyz{|}¯ ", "áàéèíìóòúùÑÇŞß¡Ĳ", "âäêëîïôöûüñçşğıĳ",
    "ªα©‰Ğěňőπ€£$←↑→↓",  "º¹²³±İńűµ¿÷°¼½¾§", "ÁÀÉÈÍÌÓÒÚÙŘČŠŽĐĿ", "ÂÄÊËÎÏÔÖÛÜřčšžđŀ",
    "ÃÅÆŒŷÝÕØÞŊŔĆŚŹŦð",  "ãåæœŵýõøþŋŕćśźŧ "};

std::string tableEntry(std::uint8_t code) {
  if (code < 0x20) return "<" + std::to_string(code) + ">";
  std::string_view row = kTable[(code - 0x20) / 16];
  // Walk to the wanted UTF-8 character of the row.
  std::size_t at = 0;
  for (int column = code % 16; column > 0; --column) {
    do ++at;
    while (at < row.size() && (static_cast<unsigned char>(row[at]) & 0xC0) == 0x80);
  }
  std::size_t end = at + 1;
  while (end < row.size() && (static_cast<unsigned char>(row[end]) & 0xC0) == 0x80) ++end;
  return std::string(row.substr(at, end - at));
}

std::uint16_t syndrome(std::uint32_t block) {
  std::uint16_t s = 0;
  for (int i = 0; i < 26; ++i) {
    if ((block >> (25 - i)) & 1U) s ^= kParityCheck[static_cast<std::size_t>(i)];
  }
  return s;
}

std::uint32_t blockAt(std::span<const std::uint8_t> bits, std::size_t at) {
  std::uint32_t block = 0;
  for (std::size_t i = 0; i < 26; ++i) block = (block << 1) | bits[at + i];
  return block;
}

std::optional<RdsGroup> groupAt(std::span<const std::uint8_t> bits, std::size_t at) {
  RdsGroup group;
  for (std::size_t b = 0; b < 4; ++b) {
    const std::uint32_t block = blockAt(bits, at + 26 * b);
    const auto offset = offsetOf(block);
    const bool fits =
        offset && (b == 2 ? (*offset == BlockOffset::C || *offset == BlockOffset::CPrime)
                          : static_cast<std::size_t>(*offset) == (b < 2 ? b : 4));
    if (!fits) return std::nullopt;
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

// Texts come a segment a group; each bit of a `have` mask is a segment received since the text
// began, so that a text counts only once all its segments came.
class Receiver {
 public:
  Station station;

  void read(const RdsGroup& g, std::size_t index) {
    const unsigned type = g.blocks[1] >> 11;  // the group type and its version, 0A as 0
    station.pi = g.blocks[0];
    station.trafficProgramme = (g.blocks[1] >> 10) & 1U;
    station.programmeType = (g.blocks[1] >> 5) & 0x1F;
    if (type == 0) serviceName(g, index);
    if (type == 4) radiotext(g);
    if (type == 2) station.programmeItem = g.blocks[3];
    if (type == 8) clockTime(g, index);
  }

 private:
  void serviceName(const RdsGroup& g, std::size_t index) {
    const unsigned segment = g.blocks[1] & 3U;
    station.trafficAnnouncement = (g.blocks[1] >> 4) & 1U;
    station.music = (g.blocks[1] >> 3) & 1U;
    di_ = (di_ & ~(8U >> segment)) | (((g.blocks[1] >> 2) & 1U) << (3 - segment));
    psHave_ = (segment == 0 ? 0 : psHave_) | 1U << segment;
    ps_[2 * segment] = static_cast<char>(g.blocks[3] >> 8);
    ps_[2 * segment + 1] = static_cast<char>(g.blocks[3] & 0xFF);
    if (psHave_ == 0xF) {
      if (fold(station.serviceNames, utf8FromRds(ps_))) station.serviceNameAt.push_back(index);
      station.decoderIdentification = static_cast<int>(di_);
    }
  }

  void radiotext(const RdsGroup& g) {
    const unsigned segment = g.blocks[1] & 0xFU;
    const bool flag = (g.blocks[1] >> 4) & 1U;
    if (flag != rtFlag_) {
      rt_.assign(64, ' ');
      rtHave_ = 0;
      rtFlag_ = flag;
    }
    for (unsigned i = 0; i < 4; ++i) {
      rt_[4 * segment + i] = static_cast<char>(g.blocks[2 + i / 2] >> (i % 2 == 0 ? 8 : 0));
    }
    rtHave_ |= 1U << segment;
    const std::size_t length = std::min(rt_.find('\r'), std::size_t{64});
    const unsigned needed = (1U << (std::min(length + 1, std::size_t{64}) + 3) / 4) - 1;
    if ((rtHave_ & needed) == needed &&
        fold(station.radiotexts, utf8FromRds(rt_.substr(0, length)))) {
      station.radiotextFlags.push_back(flag);
    }
  }

  void clockTime(const RdsGroup& g, std::size_t index) {
    const int mjd = static_cast<int>(((g.blocks[1] & 3U) << 15) | (g.blocks[2] >> 1));
    const int hour = static_cast<int>(((g.blocks[2] & 1U) << 4) | (g.blocks[3] >> 12));
    const int minute = (g.blocks[3] >> 6) & 0x3F;
    const int offset = (g.blocks[3] & 0x1F) * (((g.blocks[3] >> 5) & 1U) ? -1 : 1);
    station.clockTimes.push_back({mjd, hour, minute, offset, index});
  }

  std::string ps_ = std::string(8, ' '), rt_ = std::string(64, ' ');
  unsigned psHave_ = 0, rtHave_ = 0, di_ = 0;
  bool rtFlag_ = false;
};

}  // namespace

std::optional<BlockOffset> offsetOf(std::uint32_t block) {
  const std::uint16_t s = syndrome(block);
  for (std::size_t i = 0; i < kSyndromes.size(); ++i) {
    if (kSyndromes[i] == s) return static_cast<BlockOffset>(i);
  }
  return std::nullopt;
}

std::vector<RdsGroup> groupsFromBits(std::span<const std::uint8_t> bits) {
  std::vector<RdsGroup> groups;
  for (std::size_t at = 0; at + 104 <= bits.size();) {
    if (auto group = groupAt(bits, at)) {
      groups.push_back(*group);
      at += 104;
    } else {
      ++at;
    }
  }
  return groups;
}

std::optional<std::vector<RdsGroup>> groupsFromHex(std::string_view text) {
  std::vector<RdsGroup> groups;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    RdsGroup g;
    unsigned a, b, c, d;
    char extra;
    if (std::sscanf(line.c_str(), "%4x %4x %4x %4x%c", &a, &b, &c, &d, &extra) != 4 ||
        line.size() != 19) {
      return std::nullopt;
    }
    g.blocks = {static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(b),
                static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(d)};
    groups.push_back(g);
  }
  return groups;
}

std::string utf8FromRds(std::string_view rds) {
  std::string out;
  for (char c : rds) out += tableEntry(static_cast<std::uint8_t>(c));
  return out;
}

Station decodeStation(std::span<const RdsGroup> groups) {
  Receiver receiver;
  for (std::size_t i = 0; i < groups.size(); ++i) receiver.read(groups[i], i);
  return receiver.station;
}

}  // namespace orvane::test
