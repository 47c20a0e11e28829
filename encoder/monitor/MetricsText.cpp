#include "MetricsText.h"

#include <array>

#include "StatusJson.h"

namespace orvane {
namespace {

constexpr double kMicrosPerSecond = 1e6;

// Label values are quoted, with backslash, quote and line feed escaped.
std::string label(std::string_view name, std::string_view value) {
  std::string out = std::string(name) + "=\"";
  for (char c : value) {
    if (c == '\\' || c == '"') out += '\\';
    out += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return out + "\"";
}

class Metrics {
 public:
  Metrics& family(std::string_view name, std::string_view type, std::string_view help) {
    name_ = name;
    text_ += "# HELP " + name_ + " " + std::string(help) + "\n";
    text_ += "# TYPE " + name_ + " " + std::string(type) + "\n";
    return *this;
  }
  Metrics& sample(double value, const std::string& labels = "") {
    std::array<char, 32> number{};
    std::snprintf(number.data(), number.size(), "%.17g", value);
    text_ += name_ + (labels.empty() ? "" : "{" + labels + "}") + " " + number.data() + "\n";
    return *this;
  }
  [[nodiscard]] const std::string& text() const { return text_; }

 private:
  std::string name_;
  std::string text_;
};

void loopThroughMetrics(const SignalOutput::Health& signal, Metrics& m) {
  if (!signal.loopThrough) return;
  const auto& loop = *signal.loopThrough;
  m.family("orvane_pilot_present", "gauge", "1 while the input has a pilot to lock to.")
      .sample(loop.pilotPresent ? 1 : 0);
  m.family("orvane_pilot_locked", "gauge", "1 while RDS is locked to the input's pilot.")
      .sample(loop.locked ? 1 : 0);
  m.family("orvane_pilot_phase_error_degrees", "gauge", "The lock's smoothed phase error.")
      .sample(loop.phaseErrorDegrees);
  m.family("orvane_pilot_offset_ppm", "gauge", "How far the input's pilot is from 19 kHz.")
      .sample(loop.pilotOffsetPpm);
  m.family("orvane_clipped_samples_total", "counter", "Samples input and RDS took past full scale.")
      .sample(static_cast<double>(loop.clippedSamples));
}

void cardMetrics(const SignalOutput::Health& signal, Metrics& m) {
  if (signal.cards.empty()) return;
  m.family("orvane_card_open", "gauge", "1 while the sound card is in use.");
  for (const auto& card : signal.cards) m.sample(card.open ? 1 : 0, label("device", card.device));
  m.family("orvane_card_xruns_total", "counter", "Underruns and overruns of the sound card.");
  for (const auto& card : signal.cards) {
    m.sample(static_cast<double>(card.xruns), label("device", card.device));
  }
  m.family("orvane_card_drift_ppm", "gauge", "The sound card's clock against the system's.");
  for (const auto& card : signal.cards) {
    if (card.driftPpm) m.sample(*card.driftPpm, label("device", card.device));
  }
}

void signalMetrics(const StatusSnapshot& status, Metrics& m) {
  if (status.air) {
    m.family("orvane_groups_sent_total", "counter", "RDS groups made, by type.");
    for (std::size_t i = 0; i < status.air->groupsSent.size(); ++i) {
      if (status.air->groupsSent[i] > 0) {
        m.sample(static_cast<double>(status.air->groupsSent[i]), label("type", groupTypeName(i)));
      }
    }
  }
  if (!status.signal) return;
  m.family("orvane_signal_stalls_total", "counter",
           "Times a reader of the signal stopped taking it.")
      .sample(static_cast<double>(status.signal->stalls));
  m.family("orvane_signal_lost_seconds_total", "counter",
           "Signal time skipped because the loop did not run.")
      .sample(static_cast<double>(status.signal->lostMicros) / kMicrosPerSecond);
  if (status.signal->lagMicros) {
    m.family("orvane_signal_lag_seconds", "gauge", "How far the signal lags behind the clock.")
        .sample(static_cast<double>(*status.signal->lagMicros) / kMicrosPerSecond);
  }
  loopThroughMetrics(*status.signal, m);
  cardMetrics(*status.signal, m);
}

void keepingMetrics(const StatusSnapshot& status, Metrics& m) {
  if (status.keptAir) {
    m.family("orvane_state_writes_total", "counter", "Writes of the state file.")
        .sample(static_cast<double>(status.keptAir->writes));
    m.family("orvane_state_kept", "gauge", "1 while the air is kept in the state file.")
        .sample(status.keptAir->kept ? 1 : 0);
  }
  if (status.traffic) {
    m.family("orvane_ta_expiries_total", "counter", "TAs switched off by --ta-timeout.")
        .sample(static_cast<double>(status.traffic->expiries));
  }
}

void doorMetrics(const StatusSnapshot& status, Metrics& m) {
  m.family("orvane_clients", "gauge", "Clients connected, by door.");
  for (const auto& [door, count] : status.doorClients) {
    m.sample(static_cast<double>(count), label("door", door));
  }
  m.family("orvane_updates_total", "counter", "Changes of what goes on air, by source.");
  for (std::size_t i = 0; i < status.sources.size(); ++i) {
    const auto& entry = status.sources[i];
    m.sample(entry ? static_cast<double>(entry->changes) : 0,
             label("source", kChangeSourceNames[i]));
  }
}

void targetMetrics(const StatusSnapshot& status, Metrics& m) {
  if (status.uecpDatagramsDropped) {
    m.family("orvane_uecp_datagrams_dropped_total", "counter",
             "UECP datagrams dropped for not being one whole frame.")
        .sample(static_cast<double>(*status.uecpDatagramsDropped));
  }
  double up = 0;
  for (const auto& target : status.targets) up += target.up ? 1 : 0;
  m.family("orvane_uecp_targets_up", "gauge", "UECP targets whose link is up.").sample(up);
  m.family("orvane_uecp_targets", "gauge", "UECP targets configured.")
      .sample(static_cast<double>(status.targets.size()));
  m.family("orvane_uecp_target_up", "gauge", "Whether each UECP target's link is up.");
  for (const auto& target : status.targets)
    m.sample(target.up ? 1 : 0, label("target", target.name));
  m.family("orvane_uecp_connections_total", "counter",
           "Links made to each UECP target; more than one is a reconnection.");
  for (const auto& target : status.targets) {
    m.sample(static_cast<double>(target.connections), label("target", target.name));
  }
  m.family("orvane_uecp_refusals_total", "counter", "Elements each UECP target refused.");
  for (const auto& target : status.targets) {
    m.sample(static_cast<double>(target.refusals), label("target", target.name));
  }
}

void alarmMetrics(const StatusSnapshot& status, Metrics& m) {
  m.family("orvane_alarm", "gauge", "Alarms that hold now, by kind (1 for each).");
  for (AlarmKind kind : {AlarmKind::StaleText, AlarmKind::TargetDown, AlarmKind::SignalStalled,
                         AlarmKind::ClockUnsynchronised, AlarmKind::NoPilot,
                         AlarmKind::SoundCardDown, AlarmKind::SoundCardXruns}) {
    double count = 0;
    for (const auto& raised : status.alarms) count += raised.alarm.kind == kind ? 1 : 0;
    m.sample(count, label("kind", alarmKindName(kind)));
  }
}

}  // namespace

std::string metricsText(const StatusSnapshot& status) {
  Metrics m;
  signalMetrics(status, m);
  doorMetrics(status, m);
  keepingMetrics(status, m);
  targetMetrics(status, m);
  alarmMetrics(status, m);
  m.family("orvane_log_lines_dropped_total", "counter", "Log lines lost because no one read them.")
      .sample(static_cast<double>(status.logLinesDropped));
  m.family("orvane_log_lines_suppressed_total", "counter",
           "Log lines about peers left out over the rate limit.")
      .sample(static_cast<double>(status.logLinesSuppressed));
  m.family("orvane_up_seconds", "gauge", "Time since the encoder started.")
      .sample(static_cast<double>(status.upMicros) / kMicrosPerSecond);
  return m.text();
}

}  // namespace orvane
