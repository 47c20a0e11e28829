#pragma once

#include <string>

#include "RdsLimits.h"

namespace orvane {

enum class Keyword {
  Pty,
  Group4A,
  Group1A,
  Def1ATime,
  Txt0,
  Txt1,
  Psn,
  Di,
  TimeInPsn,
  Ta,
  Tp,
  Ms,
  Encode,
};

// Day of the month and time of day at which the current programme item began, as group 1A
// carries it.
struct ProgrammeItemTime {
  int day = 1;
  int hour = 0;
  int minute = 0;
  bool operator==(const ProgrammeItemTime&) const = default;
};

// One command line, checked and decoded. Only the member that the keyword uses is meaningful.
struct Command {
  Keyword keyword = Keyword::Encode;
  int number = 0;          // PTY code, DI code, or a switch (0 or 1)
  ProgrammeItemTime time;  // DEF1ATIME
  std::string text;        // TXT0, TXT1, PSN: Windows-1252 bytes without the quotes
};

}  // namespace orvane
