#include "StatusJson.h"

#include <array>
#include <cstdio>

#include "JsonText.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerMilli = 1000;

// Members are written in order, each after a comma but the first.
class JsonObject {
 public:
  JsonObject& raw(std::string_view name, std::string_view json) {
    out_ += out_.size() > 1 ? "," : "";
    out_ += jsonString(name) + ":" + std::string(json);
    return *this;
  }
  JsonObject& text(std::string_view name, std::string_view value) {
    return raw(name, jsonString(value));
  }
  JsonObject& number(std::string_view name, std::int64_t value) {
    return raw(name, std::to_string(value));
  }
  JsonObject& flag(std::string_view name, bool value) {
    return raw(name, value ? "true" : "false");
  }
  [[nodiscard]] std::string done() const { return out_ + "}"; }

 private:
  std::string out_ = "{";
};

template <typename T, typename F>
std::string array(const T& items, F each) {
  std::string out = "[";
  for (const auto& item : items) out += (out.size() > 1 ? "," : "") + each(item);
  return out + "]";
}

std::string hex(unsigned value, int digits) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "%0*X", digits, value);
  return jsonString(text.data());
}

std::string clockTime(const ClockTime& time) {
  // Modified Julian Day to a civil date (the standard's annex gives the same arithmetic).
  const int mjd = time.modifiedJulianDay;
  const int yp = static_cast<int>((mjd - 15078.2) / 365.25);
  const int mp = static_cast<int>((mjd - 14956.1 - static_cast<int>(yp * 365.25)) / 30.6001);
  const int day = mjd - 14956 - static_cast<int>(yp * 365.25) - static_cast<int>(mp * 30.6001);
  const int k = mp == 14 || mp == 15 ? 1 : 0;
  std::array<char, 80> utc{};  // room for any int, so nothing is ever cut
  std::snprintf(utc.data(), utc.size(), "%04d-%02d-%02d %02d:%02d", 1900 + yp + k, mp - 1 - k * 12,
                day, time.hour, time.minute);
  return JsonObject()
      .text("utc", utc.data())
      .number("mjd", mjd)
      .number("offset_half_hours", time.localOffsetHalfHours)
      .done();
}

std::string radiotext(const AirView& air) {
  auto line = [&](std::size_t flag) {
    return JsonObject()
        .text("text", air.radiotext[flag].text)
        .flag("complete", air.radiotext[flag].complete)
        .flag("on_air", air.radiotextB == (flag == 1))
        .done();
  };
  return JsonObject()
      .raw("a", line(0))
      .raw("b", line(1))
      .text("on_air", air.radiotextB ? "B" : "A")
      .done();
}

std::string radiotextPlus(const AirView::RadiotextPlusItem& item) {
  return JsonObject()
      .flag("announced", item.announced)
      .flag("item_toggle", item.itemToggle)
      .flag("item_running", item.itemRunning)
      .text("artist", item.artist)
      .text("title", item.title)
      .done();
}

std::string programmeItem(std::uint16_t pin) {
  if (pin >> 11 == 0) return "null";  // day 0: no programme item
  return JsonObject()
      .number("day", pin >> 11)
      .number("hour", (pin >> 6) & 0x1F)
      .number("minute", pin & 0x3F)
      .done();
}

std::string otherNetwork(const std::pair<const std::uint16_t, AirView::OtherNetworkHeard>& entry) {
  return JsonObject()
      .raw("pi", hex(entry.first, 4))
      .text("ps", entry.second.serviceName)
      .flag("tp", entry.second.trafficProgramme)
      .flag("ta", entry.second.trafficAnnouncement)
      .done();
}

std::string air(const AirView& air) {
  JsonObject json;
  json.raw("pi", air.programmeIdentification ? hex(*air.programmeIdentification, 4) : "null")
      .text("ps", air.serviceName)
      .raw("ps_cycle", array(air.serviceNameCycle, jsonString))
      .raw("rt", radiotext(air))
      .raw("rtplus", radiotextPlus(air.radiotextPlus))
      .raw(
          "pty",
          JsonObject().number("code", air.programmeType).text("name", air.programmeTypeName).done())
      .text("ptyn", air.programmeTypeName8)
      .text("lps", air.longServiceName)
      .text("ert", air.enhancedRadiotext)
      .raw("eon", array(air.otherNetworks, otherNetwork))
      .flag("ta", air.trafficAnnouncement)
      .flag("tp", air.trafficProgramme)
      .flag("ms", air.music)
      .raw("di", air.decoderIdentification ? std::to_string(*air.decoderIdentification) : "null")
      .raw("af_khz",
           air.alternativeFrequenciesKhz
               ? array(*air.alternativeFrequenciesKhz, [](int khz) { return std::to_string(khz); })
               : "null")
      .raw("af_b_khz",
           array(air.alternativeFrequencyListsKhz,
                 [](const auto& list) {
                   return JsonObject()
                       .number("tuned", list.first)
                       .raw("same", array(list.second, [](int khz) { return std::to_string(khz); }))
                       .done();
                 }))
      .raw("ecc", air.extendedCountryCode ? hex(*air.extendedCountryCode, 2) : "null")
      .raw("clock", air.clockTime ? clockTime(*air.clockTime) : "null")
      .raw("pin", air.programmeItem ? programmeItem(*air.programmeItem) : "null");
  return json.done();
}

std::string groupCounts(const auto& counts) {
  JsonObject json;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    if (counts[i] > 0) json.number(groupTypeName(i), static_cast<std::int64_t>(counts[i]));
  }
  return json.done();
}

// A measure to a stated number of decimals: more would be noise.
std::string decimal(double value, int decimals) {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
  return text.data();
}

std::string loopThrough(const std::optional<SignalOutput::Health::LoopThrough>& loop) {
  if (!loop) return "null";
  return JsonObject()
      .flag("pilot_present", loop->pilotPresent)
      .flag("locked", loop->locked)
      .raw("pilot_level", decimal(loop->pilotLevel, 4))
      .raw("phase_error_degrees", decimal(loop->phaseErrorDegrees, 2))
      .raw("pilot_offset_ppm", decimal(loop->pilotOffsetPpm, 1))
      .number("clipped_samples", static_cast<std::int64_t>(loop->clippedSamples))
      .number("clip_bursts", static_cast<std::int64_t>(loop->clipBursts))
      .done();
}

std::string card(const SoundCard::Health& card) {
  return JsonObject()
      .text("device", card.device)
      .flag("open", card.open)
      .raw("problem", card.problem.empty() ? "null" : jsonString(card.problem))
      .number("xruns", static_cast<std::int64_t>(card.xruns))
      .number("xrun_bursts", static_cast<std::int64_t>(card.xrunBursts))
      .number("reopens", static_cast<std::int64_t>(card.reopens))
      .number("delay_ms", card.delayMicros / kMicrosPerMilli)
      .raw("drift_ppm", card.driftPpm ? decimal(*card.driftPpm, 1) : "null")
      .done();
}

std::string signal(const StatusSnapshot& status) {
  if (!status.signal) return "null";
  const SignalOutput::Health& health = *status.signal;
  JsonObject json;
  json.raw("outputs", array(health.outputs, jsonString))
      .raw("groups_last_minute", status.air ? groupCounts(status.air->groupsLastMinute) : "{}")
      .raw("groups_sent", status.air ? groupCounts(status.air->groupsSent) : "{}")
      .number("pending_bytes", static_cast<std::int64_t>(health.pendingBytes))
      .flag("stalled", health.stalled)
      .number("stalls", static_cast<std::int64_t>(health.stalls))
      .number("gaps", static_cast<std::int64_t>(health.gaps))
      .number("lost_ms", health.lostMicros / kMicrosPerMilli)
      .raw("lag_ms",
           health.lagMicros ? std::to_string(*health.lagMicros / kMicrosPerMilli) : "null")
      .raw("loop_through", loopThrough(health.loopThrough))
      .raw("cards", array(health.cards, card));
  return json.done();
}

std::string sources(const StatusSnapshot& status) {
  JsonObject json;
  for (std::size_t i = 0; i < status.sources.size(); ++i) {
    const auto& entry = status.sources[i];
    json.raw(kChangeSourceNames[i],
             entry ? JsonObject()
                         .text("time", isoTime(entry->unixMicros))
                         .text("address", entry->address)
                         .number("changes", static_cast<std::int64_t>(entry->changes))
                         .done()
                   : "null");
  }
  return json.done();
}

std::string optionalSeconds(const std::optional<std::int64_t>& micros) {
  return micros ? std::to_string(*micros / (1000 * kMicrosPerMilli)) : "null";
}

std::string target(const UecpTarget::Health& target) {
  return JsonObject()
      .text("name", target.name)
      .flag("up", target.up)
      .text("down_since", target.downSince)
      .raw("down_s", optionalSeconds(target.downMicros))
      .raw("retry_in_s", optionalSeconds(target.retryInMicros))
      .number("refusals", static_cast<std::int64_t>(target.refusals))
      .number("connections", static_cast<std::int64_t>(target.connections))
      .done();
}

// Where the air is kept, so that an operator can tell a restart will bring it back.
std::string keptAir(const StatusSnapshot& status) {
  if (!status.keptAir) return "null";
  const KeptAirHealth& kept = *status.keptAir;
  return JsonObject()
      .text("path", kept.path)
      .flag("kept", kept.kept)
      .raw("last_written",
           kept.lastWrittenUnixMicros ? jsonString(isoTime(*kept.lastWrittenUnixMicros)) : "null")
      .number("writes", static_cast<std::int64_t>(kept.writes))
      .text("problem", kept.problem)
      .done();
}

std::string traffic(const StatusSnapshot& status) {
  if (!status.traffic) return "null";
  return JsonObject()
      .number("ta_timeout_s", status.traffic->boundMicros / (1000 * kMicrosPerMilli))
      .raw("ta_left_s", optionalSeconds(status.traffic->leftMicros))
      .number("ta_expiries", static_cast<std::int64_t>(status.traffic->expiries))
      .done();
}

std::string optionalText(const std::optional<std::string>& text) {
  return text ? jsonString(*text) : "null";
}

std::string schedule(const StatusSnapshot& status) {
  if (!status.schedule) return "null";
  const ScheduleStatus& agenda = *status.schedule;
  return JsonObject()
      .raw("on_air", optionalText(agenda.onAir))
      .raw("next", optionalText(agenda.next))
      .raw("next_starts",
           agenda.nextStartsUnixMicros ? jsonString(isoTime(*agenda.nextStartsUnixMicros)) : "null")
      .done();
}

std::string config(const StatusSnapshot& status) {
  if (!status.config) return "null";
  return JsonObject()
      .text("file", status.config->file)
      .text("loaded_at", isoTime(status.config->loadedAtUnixMicros))
      .raw("error", optionalText(status.config->error))
      .done();
}

std::string alarm(const AlarmBook::Raised& raised) {
  return JsonObject()
      .text("kind", alarmKindName(raised.alarm.kind))
      .text("subject", raised.alarm.subject)
      .text("message", raised.alarm.message)
      .text("since", isoTime(raised.sinceUnixMicros))
      .done();
}

}  // namespace

std::string groupTypeName(std::size_t index) {
  return std::to_string(index / 2) + (index % 2 == 0 ? "A" : "B");
}

std::string statusJson(const StatusSnapshot& status) {
  JsonObject clients;
  for (const auto& [door, count] : status.doorClients) {
    clients.number(door, static_cast<std::int64_t>(count));
  }
  return JsonObject()
      .text("time", isoTime(status.unixMicros))
      .number("up_s", status.upMicros / (1000 * kMicrosPerMilli))
      .raw("air", status.air ? air(*status.air) : "null")
      .raw("signal", signal(status))
      .raw("sources", sources(status))
      .raw("targets", array(status.targets, target))
      .raw("clients", clients.done())
      .raw("uecp_listener",
           status.uecpDatagramsDropped
               ? JsonObject()
                     .number("datagrams_dropped",
                             static_cast<std::int64_t>(*status.uecpDatagramsDropped))
                     .done()
               : "null")
      .raw("state", keptAir(status))
      .raw("traffic", traffic(status))
      .raw("schedule", schedule(status))
      .raw("config", config(status))
      .raw("alarms", array(status.alarms, alarm))
      .raw("log", JsonObject()
                      .number("dropped", static_cast<std::int64_t>(status.logLinesDropped))
                      .number("suppressed", static_cast<std::int64_t>(status.logLinesSuppressed))
                      .raw("recent", array(status.recentLog, jsonString))
                      .done())
      .done();
}

}  // namespace orvane
