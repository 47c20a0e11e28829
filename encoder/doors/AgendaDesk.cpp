#include "AgendaDesk.h"

#include <algorithm>
#include <climits>

#include "SystemClock.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kMicrosPerMilli = 1000;

// Calls `visit(value of the state, the entry's value, field)` for each value the entry sets.
template <typename Visit>
void forEachValue(const ScheduleValues& values, Visit visit) {
  if (values.serviceName) {
    visit(
        [](OnAirState & s) -> auto& { return s.programmeServiceName; }, *values.serviceName,
        OnAirField::ServiceName);
  }
  for (std::size_t i = 0; i < values.radiotext.size(); ++i) {
    if (values.radiotext[i]) {
      visit(
          [i](OnAirState & s) -> auto& { return s.radiotext[i]; }, *values.radiotext[i],
          OnAirField::Radiotext);
    }
  }
  if (values.programmeType) {
    visit(
        [](OnAirState & s) -> auto& { return s.programmeType; }, *values.programmeType,
        OnAirField::ProgrammeType);
  }
  if (values.programmeTypeName) {
    visit(
        [](OnAirState & s) -> auto& { return s.programmeTypeName; }, *values.programmeTypeName,
        OnAirField::ProgrammeTypeName);
  }
}

}  // namespace

AgendaDesk::AgendaDesk(EncoderState& state, AirLog& log, UnixClock clock)
    : state_(state), log_(log), clock_(clock ? std::move(clock) : UnixClock(unixMicros)) {}

void AgendaDesk::setSchedule(std::vector<ScheduleEntry> entries) {
  entries_ = std::move(entries);
  turn(clock_());
}

std::optional<KeptAgenda> AgendaDesk::kept() const {
  if (!running_) return std::nullopt;
  const ScheduleValues& set = running_->values;
  KeptAgenda kept{*running_, {}};
  ScheduleValues& before = kept.before;
  if (set.serviceName) before.serviceName = before_.programmeServiceName;
  for (std::size_t i = 0; i < set.radiotext.size(); ++i) {
    if (set.radiotext[i]) before.radiotext[i] = before_.radiotext[i];
  }
  if (set.programmeType) before.programmeType = before_.programmeType;
  if (set.programmeTypeName) before.programmeTypeName = before_.programmeTypeName;
  return kept;
}

void AgendaDesk::resume(const KeptAgenda& kept) {
  running_ = kept.entry;
  before_ = put_ = state_.onAir();
  forEachValue(kept.before,
               [&](auto field, const auto& value, OnAirField) { field(before_) = value; });
  forEachValue(kept.entry.values,
               [&](auto field, const auto& value, OnAirField) { field(put_) = value; });
  // The song the entry's text replaced is not known any more: it comes back as a plain text.
  if (before_.radiotext[0] != put_.radiotext[0]) before_.songTags.reset();
}

void AgendaDesk::turn(std::int64_t nowMicros) {
  lookedAtMicros_ = nowMicros;
  moment_ = scheduleAt(entries_, nowMicros / kMicrosPerSecond);
  const ScheduleEntry* due = moment_.onAir ? &entries_[*moment_.onAir] : nullptr;
  if (due ? running_ == *due : !running_) return;
  OnAirState next = state_.onAir();
  AssignedFields fields;
  if (running_) {
    forEachValue(running_->values, [&](auto field, const auto&, OnAirField element) {
      if (field(next) != field(put_)) return;
      field(next) = field(before_);
      fields.set(element);
    });
    if (next.radiotext[0] == before_.radiotext[0]) next.songTags = before_.songTags;
    log_.write("Fim da agenda: " + describeEntry(*running_));
    running_.reset();
  }
  if (due) {
    log_.write("Agenda: " + describeEntry(*due));
    before_ = next;
    forEachValue(due->values, [&](auto field, const auto& value, OnAirField element) {
      field(next) = value;
      fields.set(element);
    });
    // Tags describe the song's text only, not an entry's.
    if (next.radiotext[0] != before_.radiotext[0]) next.songTags.reset();
    put_ = next;
    running_ = *due;
  }
  std::vector<std::string> lines = state_.replaceOnAir(next, fields);
  if (ledger_ && !lines.empty()) ledger_->record(ChangeSource::Agenda, "");
  for (std::string& line : lines) line += " (agenda)";
  log_.write(lines);
}

AgendaDesk::Health AgendaDesk::health() const {
  Health health;
  if (running_) health.onAir = describeEntry(*running_);
  if (moment_.next) {
    health.next = describeEntry(entries_[*moment_.next]);
    health.nextStartsMicros = *moment_.nextStartsAt * kMicrosPerSecond;
  }
  return health;
}

PollTask::Wait AgendaDesk::wait() {
  Wait wait;
  if (entries_.empty()) return wait;
  std::int64_t leftMs = kRecheckMs;
  if (moment_.changesAt) {
    const std::int64_t left = *moment_.changesAt * kMicrosPerSecond - clock_();
    leftMs = std::clamp<std::int64_t>((left + kMicrosPerMilli - 1) / kMicrosPerMilli, 0, leftMs);
  }
  wait.timeoutMs = static_cast<int>(leftMs);
  return wait;
}

bool AgendaDesk::service(std::span<const pollfd>) {
  if (entries_.empty()) return true;
  const std::int64_t now = clock_();
  const bool due = moment_.changesAt && now >= *moment_.changesAt * kMicrosPerSecond;
  // Between the last look and the change it found nothing changes; a clock put back is
  // outside that span.
  if (due || now < lookedAtMicros_) turn(now);
  return true;
}

}  // namespace orvane
