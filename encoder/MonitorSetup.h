#pragma once

#include <memory>

#include "AgendaDesk.h"
#include "AirLog.h"
#include "AirReadBack.h"
#include "AutomationSetup.h"
#include "ChangeLedger.h"
#include "EncoderServer.h"
#include "EncoderState.h"
#include "ServerOptions.h"
#include "ServiceNotifier.h"
#include "SignalOutput.h"
#include "StatusMonitor.h"
#include "UecpBridge.h"
#include "UecpListener.h"

namespace orvane {

// The parts of the encoder that watch it, kept together for main(): who changed what, what
// went out, and the monitor that reads both.
struct Monitoring {
  ChangeLedger ledger;
  AirReadBack readBack;
  ServiceNotifier notifier;
  std::unique_ptr<SignalOutput> unwritten;  // the signal made only to be read back
  std::unique_ptr<StatusMonitor> monitor;

  // The signal groups are made for: the output, or the one made only to be read back.
  [[nodiscard]] SignalOutput& signal(SignalOutput* output) const;

  // The tasks main's loop runs for it beside the doors.
  [[nodiscard]] std::vector<PollTask*> tasks() const;
};

[[nodiscard]] AlarmSettings alarmSettings(const ServerOptions& options);

// Reads back `output`, or a signal made for the purpose when there is none; records the UECP
// listener's changes. The console's door is added with watchConsole once the loop exists.
[[nodiscard]] std::unique_ptr<Monitoring> openMonitoring(const ServerOptions& options,
                                                         const EncoderState& state,
                                                         SignalOutput* output,
                                                         UecpListener* listener,
                                                         const UecpBridge* bridge, AirLog& log);

void watchConsole(Monitoring& monitoring, EncoderServer& server);
// Records the playout doors' changes, and puts the status page on the HTTP door when it is open;
// again after a reload, which may have moved or closed it.
void watchDoors(Monitoring& monitoring, AutomationDoors& doors);

// Records the schedule's changes and shows its entries on the status page.
void watchSchedule(Monitoring& monitoring, AgendaDesk& agenda);

}  // namespace orvane
