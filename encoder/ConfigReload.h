#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "AgendaDesk.h"
#include "AirLog.h"
#include "AutomationSetup.h"
#include "EncoderServer.h"
#include "EncoderState.h"
#include "LoadedOptions.h"
#include "MonitorSetup.h"
#include "SignalOutput.h"
#include "TrafficTimeBound.h"
#include "UecpSetup.h"

namespace orvane {

// What a reload may change, all of it opened by main(), and what is in force now.
struct Reloadable {
  const std::vector<std::string_view>& commandLine;
  Loaded& applied;
  ConfigStatus& status;
  EncoderState& state;
  SignalOutput& signal;
  TrafficTimeBound& traffic;
  AutomationDoors& doors;
  AgendaDesk& agenda;
  Monitoring& monitoring;
  EncoderServer& server;
  std::unique_ptr<UecpBridge>& bridge;
  UecpListener* uecpListener;
  const UecpTextMemory& uecpTexts;
  std::function<std::vector<PollTask*>()> loopTasks;  // the loop's tasks, as they are now
  AirLog& log;
};

// SIGHUP: the file read and checked whole; a broken one changes nothing and says why until a
// good one comes. What cannot change in a running encoder keeps its old value, named in the log.
void reload(Reloadable& r);

}  // namespace orvane
