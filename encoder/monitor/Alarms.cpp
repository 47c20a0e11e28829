#include "Alarms.h"

#include <array>

namespace orvane {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kSecondsPerMinute = 60;

std::string seconds(std::int64_t micros) {
  return std::to_string(micros / kMicrosPerSecond) + " s";
}

}  // namespace

std::string_view alarmKindName(AlarmKind kind) {
  static constexpr std::array<std::string_view, 11> kNames = {"texto_parado",
                                                              "destino_em_baixo",
                                                              "sinal_parado",
                                                              "relogio_sem_sincronizacao",
                                                              "estado_nao_guardado",
                                                              "ta_expirado",
                                                              "sinal_interrompido",
                                                              "configuracao_recusada",
                                                              "sem_piloto",
                                                              "placa_de_som_em_falta",
                                                              "placa_de_som_com_falhas"};
  return kNames[static_cast<std::size_t>(kind)];
}

std::vector<Alarm> currentAlarms(const AlarmInputs& inputs, const AlarmSettings& settings) {
  std::vector<Alarm> alarms;
  if (settings.staleMicros && inputs.textUnchangedMicros &&
      *inputs.textUnchangedMicros >= *settings.staleMicros) {
    alarms.push_back(
        {AlarmKind::StaleText, "",
         "radiotexto sem mudar há " +
             std::to_string(*inputs.textUnchangedMicros / kMicrosPerSecond / kSecondsPerMinute) +
             " min"});
  }
  for (const auto& [name, down] : inputs.targetsDownMicros) {
    if (down >= settings.targetDownMicros) {
      alarms.push_back(
          {AlarmKind::TargetDown, name,
           "destino UECP " + name + " em baixo há mais de " + seconds(settings.targetDownMicros)});
    }
  }
  if (inputs.signalStalled) {
    alarms.push_back({AlarmKind::SignalStalled, "", "o leitor do sinal não o está a levar"});
  }
  if (inputs.clockTimeOnAir && !inputs.clockSynchronised) {
    alarms.push_back(
        {AlarmKind::ClockUnsynchronised, "",
         "relógio do sistema sem sincronização: a hora do grupo 4A pode estar errada"});
  }
  if (!inputs.stateProblem.empty()) {
    alarms.push_back({AlarmKind::StateNotKept, "",
                      "o que está no ar não está a ser guardado: " + inputs.stateProblem});
  }
  if (inputs.signalGapRecently) {
    alarms.push_back(
        {AlarmKind::SignalGap, "", "o sinal parou: o ciclo do codificador não correu"});
  }
  if (inputs.pilotMissing) {
    alarms.push_back(
        {AlarmKind::NoPilot, "", "sem piloto na entrada: o RDS segue a 57 kHz por conta própria"});
  }
  for (const auto& [card, why] : inputs.cardsDown) {
    alarms.push_back(
        {AlarmKind::SoundCardDown, card, "placa de som " + card + " em falta: " + why});
  }
  for (const auto& card : inputs.cardsWithRepeatedXruns) {
    alarms.push_back({AlarmKind::SoundCardXruns, card,
                      "placa de som " + card + " com falhas de amostras repetidas"});
  }
  if (inputs.trafficTimedOut) {
    alarms.push_back({AlarmKind::TrafficTimedOut, "",
                      "um TA ficou ligado para além de --ta-timeout e foi desligado"});
  }
  if (!inputs.configProblem.empty()) {
    alarms.push_back(
        {AlarmKind::ConfigRefused, "",
         "a configuração relida foi recusada, a anterior continua: " + inputs.configProblem});
  }
  return alarms;
}

std::vector<std::string> AlarmBook::update(const std::vector<Alarm>& now, std::int64_t unixMicros) {
  std::vector<std::string> lines;
  std::map<std::pair<AlarmKind, std::string>, Raised> next;
  for (const Alarm& alarm : now) {
    const auto key = std::pair(alarm.kind, alarm.subject);
    const auto before = raised_.find(key);
    if (before == raised_.end()) lines.push_back("Alarme: " + alarm.message);
    const std::int64_t since =
        before == raised_.end() ? unixMicros : before->second.sinceUnixMicros;
    next.emplace(key, Raised{alarm, since});
  }
  for (const auto& [key, raised] : raised_) {
    if (!next.contains(key)) lines.push_back("Fim de alarme: " + raised.alarm.message);
  }
  raised_ = std::move(next);
  return lines;
}

std::vector<AlarmBook::Raised> AlarmBook::raised() const {
  std::vector<Raised> all;
  for (const auto& [key, raised] : raised_) all.push_back(raised);
  return all;
}

}  // namespace orvane
