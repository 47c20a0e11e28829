#include "StateKeeper.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "DurableFile.h"
#include "OnAirText.h"

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr mode_t kPrivateFolder = 0700;
constexpr const char* kFileName = "/state.json";
constexpr const char* kAppFolder = "/orvane-encoder";

// Creates the folders of a default place that do not exist yet, as the XDG layout expects.
void makeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), kPrivateFolder);
  }
}

// The monotonic deadline a wall-clock one comes to now; none when it has passed.
std::optional<std::int64_t> stillAhead(std::optional<std::int64_t> unixEnds,
                                       const StateKeeper::Clocks& clocks) {
  if (!unixEnds) return std::nullopt;
  const std::int64_t left = *unixEnds - clocks.unix();
  if (left <= 0) return std::nullopt;
  return clocks.monotonic() + left;
}

std::optional<std::int64_t> asUnix(std::optional<std::int64_t> monotonicEnds,
                                   const StateKeeper::Clocks& clocks) {
  if (!monotonicEnds) return std::nullopt;
  return clocks.unix() + (*monotonicEnds - clocks.monotonic());
}

// A TA whose bound ran out, or a song that ended, while the encoder was down is not on air now.
void settle(KeptAir& kept, RestoredAir& restored, const StateSettings& settings,
            const StateKeeper::Clocks& clocks) {
  restored.trafficEnds = stillAhead(kept.trafficEndsUnixMicros, clocks);
  if (!restored.trafficEnds) kept.air.trafficAnnouncement = false;
  if (!kept.songEndsUnixMicros) return;
  restored.playoutTextEnds = stillAhead(kept.songEndsUnixMicros, clocks);
  if (restored.playoutTextEnds) return;
  kept.air.radiotext[0] = settings.defaultText.value_or("");
  kept.air.songTags.reset();
}

AssignedFields everyFieldButIdentification() {
  AssignedFields fields;
  for (std::size_t f = 0; f < kOnAirFieldCount; ++f) {
    if (static_cast<OnAirField>(f) != OnAirField::ProgrammeIdentification) {
      fields.set(static_cast<OnAirField>(f));
    }
  }
  return fields;
}

// Reads the file and puts it on air; a file that cannot be used is set aside with one line.
void bringBack(const std::string& path, const StateSettings& settings, EncoderState& state,
               AirLog& log, const StateKeeper::Clocks& clocks, RestoredAir& restored) {
  const FileRead read = readSmallFile(path, StateKeeper::kMaxFileBytes);
  if (read.missing) {
    log.write("Estado: nenhum em " + path + ", começa dos valores de arranque");
    return;
  }
  std::string reason = read.error.value_or("");
  std::optional<KeptAir> kept;
  if (!read.error) {
    auto parsed = readKeptAir(read.bytes);
    if (auto* refusal = std::get_if<KeptAirRefusal>(&parsed)) reason = refusal->reason;
    if (auto* air = std::get_if<KeptAir>(&parsed)) kept = std::move(*air);
  }
  if (!kept) {
    const auto aside = setFileAside(path, "rejeitado", clocks.unix() / kMicrosPerSecond);
    log.write("Estado não restaurado de " + path + ": " + reason +
              (aside ? "; guardado à parte como " + *aside : "") +
              "; começa dos valores de arranque");
    return;
  }
  restored.continuity = kept->continuity;
  restored.radiotextThen = kept->air.radiotext;
  if (!kept->agenda.is_null()) {
    restored.agenda = readKeptAgenda(kept->agenda);
    if (!restored.agenda) log.write("Agenda não restaurada de " + path + ": valores inválidos");
  }
  settle(*kept, restored, settings, clocks);
  // The PI is configuration: the command line's, or the encoder's own.
  kept->air.programmeIdentification = state.onAir().programmeIdentification;
  std::vector<std::string> lines = state.replaceOnAir(kept->air, everyFieldButIdentification());
  restored.restored = true;
  for (std::string& line : lines) line = "Restaurado: " + line;
  lines.insert(lines.begin(), "Estado restaurado de " + path);
  log.write(lines);
}

}  // namespace

StateKeeper::StateKeeper(std::string path, FileDescriptor lock, std::string problem,
                         const EncoderState& state, AirLog& log, Clocks clocks)
    : path_(std::move(path)),
      lock_(std::move(lock)),
      state_(state),
      log_(log),
      clocks_(std::move(clocks)),
      problem_(std::move(problem)) {
  // What was just read is on disk already.
  if (lock_.valid()) written_ = look();
}

void StateKeeper::follow(Sources sources) {
  sources_ = std::move(sources);
  if (written_ && writes_ == 0) written_ = look();
}

KeptAirHealth StateKeeper::health() const {
  return {path_, lock_.valid() && problem_.empty(), lastWrittenUnix_, writes_, problem_};
}

bool StateKeeper::Seen::operator==(const Seen& other) const {
  const auto pairing = [](const Seen& seen) -> std::optional<bool> {
    const auto& rotation = seen.continuity.rotation;
    if (!rotation) return std::nullopt;
    return rotation->textB != (rotation->line == 1);  // the flag line 0 has
  };
  return air == other.air && playoutTextEnds == other.playoutTextEnds &&
         trafficEnds == other.trafficEnds && pairing(*this) == pairing(other) &&
         continuity.songItem == other.continuity.songItem && agenda == other.agenda;
}

StateKeeper::Seen StateKeeper::look() const {
  Seen seen{state_.onAir(), {}, {}, {}, {}};
  if (sources_.playoutText) seen.playoutTextEnds = sources_.playoutText();
  if (sources_.traffic) seen.trafficEnds = sources_.traffic();
  if (sources_.signal) seen.continuity = sources_.signal();
  if (sources_.agenda) seen.agenda = sources_.agenda();
  return seen;
}

PollTask::Wait StateKeeper::wait() {
  Wait wait;
  if (!lock_.valid() || (written_ && *written_ == look())) return wait;
  const std::int64_t due = lastWriteMono_.value_or(INT64_MIN / 2) + kWriteSpacingMicros;
  const std::int64_t left = std::max<std::int64_t>(0, due - clocks_.monotonic());
  wait.timeoutMs = static_cast<int>((left + kMicrosPerMilli - 1) / kMicrosPerMilli);
  return wait;
}

bool StateKeeper::service(std::span<const pollfd>) {
  if (!lock_.valid()) return true;
  const Seen seen = look();
  if (written_ && *written_ == seen) return true;
  if (lastWriteMono_ && clocks_.monotonic() < *lastWriteMono_ + kWriteSpacingMicros) return true;
  write(seen);
  return true;
}

void StateKeeper::flush() {
  if (!lock_.valid()) return;
  const Seen seen = look();
  if (!written_ || !(*written_ == seen)) write(seen);
}

void StateKeeper::write(const Seen& seen) {
  KeptAir kept{seen.air, asUnix(seen.playoutTextEnds, clocks_), asUnix(seen.trafficEnds, clocks_),
               seen.continuity, seen.agenda ? keptAgendaJson(*seen.agenda) : nlohmann::json()};
  // Configuration, not state: never kept, so that a changed --pi always wins.
  kept.air.programmeIdentification.reset();
  lastWriteMono_ = clocks_.monotonic();
  if (auto error = replaceFileDurably(path_, keptAirText(kept))) {
    // Once, not once a second: the log is the operator's, and the status page says it meanwhile.
    if (problem_.empty()) log_.write("Estado não guardado: " + *error);
    problem_ = *error;
    return;
  }
  if (!problem_.empty()) log_.write("Estado guardado outra vez em " + path_);
  problem_.clear();
  written_ = seen;
  lastWrittenUnix_ = clocks_.unix();
  ++writes_;
}

std::string defaultStatePath(const std::function<const char*(const char*)>& env) {
  const auto given = [&env](const char* name) {
    const char* value = env(name);
    return std::string(value && value[0] == '/' ? value : "");
  };
  // systemd may list several folders, separated by colons; the first is ours.
  if (std::string folder = given("STATE_DIRECTORY"); !folder.empty()) {
    return folder.substr(0, folder.find(':')) + kFileName;
  }
  if (std::string folder = given("XDG_STATE_HOME"); !folder.empty()) {
    return folder + kAppFolder + kFileName;
  }
  if (std::string home = given("HOME"); !home.empty()) {
    return home + "/.local/state" + kAppFolder + kFileName;
  }
  return "";
}

RestoredAir restoreAir(const StateSettings& settings, EncoderState& state, AirLog& log,
                       StateKeeper::Clocks clocks) {
  RestoredAir restored;
  if (!settings.keep) return restored;
  const std::string path = settings.path.value_or(defaultStatePath(::getenv));
  std::string problem;
  FileDescriptor lock;
  if (path.empty()) {
    problem = "sem lugar para o estado (nem STATE_DIRECTORY, XDG_STATE_HOME ou HOME)";
  } else {
    if (!settings.path) makeFolders(path);
    lock = lockFile(path + ".lock", problem);
    // Another encoder's file is its own: reading it would put that encoder's air on ours.
    if (lock.valid()) bringBack(path, settings, state, log, clocks, restored);
  }
  if (!problem.empty()) log.write("Estado não guardado (" + problem + "): corre sem ele");
  restored.keeper = std::make_unique<StateKeeper>(path, std::move(lock), std::move(problem), state,
                                                  log, std::move(clocks));
  return restored;
}

}  // namespace orvane
