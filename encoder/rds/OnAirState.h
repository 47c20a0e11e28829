#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "Command.h"
#include "RdsLimits.h"
#include "RtPlusTagger.h"

namespace orvane {

// The speed whose hold is the one a long name always had (4 s a frame).
inline constexpr int kDefaultScrollSpeed = 4;
inline constexpr int kMaxScrollSpeed = 9;
// As long as the hardware encoders take a scrolling name: sixteen frames at most.
inline constexpr std::size_t kMaxScrollingNameLength = 128;

// What receivers are given right now. It changes only between commands, never while a value is
// still waiting for ENCODE, so anything that builds groups from it reads a consistent picture.
// The start values claim nothing a station has not said: no traffic programme, no programme
// item (day 0) until a time is set; docs/encoder.md lists them all. Texts are Windows-1252 bytes.
struct OnAirState {
  // PI code; none: the encoder's own (--pi or its default), which a peer need not be told.
  std::optional<std::uint16_t> programmeIdentification;
  int programmeType = 0;             // PTY code, 0..31
  std::string programmeServiceName;  // PSN, may be longer than 8 and then runs through
  // A playout's scrolling name (DPS), shown instead of the name above while it is not empty, so
  // that a door's PS= sets the name the station falls back to without stopping the scroll.
  std::string scrollingServiceName;
  int scrollSpeed = kDefaultScrollSpeed;         // how fast a name of several frames runs, 0..9
  std::array<std::string, 2> radiotext;          // TXT0 and TXT1, at most 64 bytes each
  ProgrammeItemTime programmeItemTime{0, 0, 0};  // day 0: none; group 1A then sends no number
  bool clockTimeGroups = false;                  // group 4A
  bool programmeItemGroups = false;              // group 1A
  int decoderIdentification = 1;                 // DI code, 0..15
  bool timeInServiceName = false;
  bool trafficAnnouncement = false;
  bool trafficProgramme = false;
  bool music = true;              // music, or speech when false
  std::string programmeTypeName;  // PTYN, at most 8; empty: no group 10A
  std::string longServiceName;    // LPS, UTF-8 (not Windows-1252), at most 32 bytes; empty: no 15A
  std::string enhancedRadiotext;  // eRT, UTF-8, at most 128 bytes; empty: not on air
  // The TA of each other network (EON), numbered as the service was given them.
  std::array<bool, kMaxOtherNetworks> otherNetworkTraffic{};
  // Where artist and title stand in the first radiotext, as the door that put a song there
  // knew them; they describe that text only, and stop applying once another replaces it.
  struct SongTags {
    std::string text;
    RtPlusTags tags;
    bool operator==(const SongTags&) const = default;
  };
  std::optional<SongTags> songTags;

  [[gnu::hot]] bool operator==(const OnAirState&) const = default;
};

}  // namespace orvane
