#pragma once

#include <memory>
#include <string>

#include "OnAirState.h"
#include "ServerOptions.h"
#include "SignalOutput.h"

namespace orvane {

// Why the outputs did not open.
struct OutputFailure {
  enum class Kind { Stopped, Refused, Failed };
  Kind kind = Kind::Failed;
  std::string message;

  // 0 after a stop signal, 2 for what must not be done, 1 for what could not be done.
  [[nodiscard]] int exitCode() const;
};

// The output stage the options ask for, on the system's clocks; null when no output was asked
// for, or with `failure` set when an output cannot be opened, when two of the outputs and the
// log (on `logFd`) are one file, or when a stop signal came while waiting for a named pipe's
// reader (`stopFd`). Files that exist keep what they hold until the caller accepts the run with
// SignalOutput::startAfresh(); one that fails to open, or a refusal, leaves every file as it was.
//
// Pacing: by the clock with --realtime, and whenever a console is served and the signal does not
// go to a pipe or socket on standard output, so the console's changes go on air when they are
// made; otherwise as fast as the outputs take it, which for raw samples on a pipe is its reader's
// pace. The time of day is read for every group whenever the signal goes out at its real rate.
[[nodiscard]] std::unique_ptr<SignalOutput> openSignalOutput(const ServerOptions& options,
                                                             const OnAirState& onAir, int stopFd,
                                                             int logFd, OutputFailure& failure);

// The station's settings that groups carry and that a reload may change: PI, ECC, AF and the
// traffic name.
void setStation(GroupScheduler& scheduler, const ServerOptions& options);

// With no output asked for: the signal made all the same at its real rate and written nowhere,
// so that the status page can show what the encoder would send. Never null.
[[nodiscard]] std::unique_ptr<SignalOutput> openUnwrittenSignal(const ServerOptions& options,
                                                                const OnAirState& onAir);

}  // namespace orvane
