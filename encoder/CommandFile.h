#pragma once

#include <string>

#include "AirLog.h"
#include "EncoderState.h"

namespace orvane {

enum class LoadOutcome { Loaded, Unreadable, Refused, Stopped };

// Applies a file of console command lines ("-": standard input), as if a console had sent them,
// so that a signal can be made from a known state with no console at all. The end of the file
// counts as an ENCODE: a file is one batch, and what it holds must not be lost for want of a
// last line. Stops at the first line the console's encoder would refuse, with `error` naming
// the line; the state may then hold the lines before it, and the caller is expected to give up.
// Waiting for input (a terminal, a pipe, a named pipe with no writer yet) ends when `stopFd`
// becomes readable.
[[nodiscard]] LoadOutcome loadCommandFile(const std::string& path, int stopFd, EncoderState& state,
                                          AirLog& log, std::string& error);

}  // namespace orvane
