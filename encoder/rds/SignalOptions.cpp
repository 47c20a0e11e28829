#include "SignalOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "OptionNumber.h"

namespace orvane {
namespace {

std::optional<int> readRate(std::string_view value) {
  unsigned rate = 0;
  if (!readOptionNumber(value, MpxModulator::kMaxSampleRate, rate) ||
      rate < MpxModulator::kMinSampleRate) {
    return std::nullopt;
  }
  return static_cast<int>(rate);
}

std::optional<double> readKilohertz(std::string_view value) {
  double kilohertz = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), kilohertz);
  if (error != std::errc{} || end != value.data() + value.size() || !std::isfinite(kilohertz) ||
      kilohertz < SignalOptions::kMinRdsKilohertz || kilohertz > SignalOptions::kMaxRdsKilohertz) {
    return std::nullopt;
  }
  return kilohertz;
}

const std::string kRateRange = " (amostras/s, de " + std::to_string(MpxModulator::kMinSampleRate) +
                               " a " + std::to_string(MpxModulator::kMaxSampleRate) + "): ";

}  // namespace

std::optional<std::string> readSignalOption(std::string_view arg, std::string_view value,
                                            SignalOptions& options) {
  if (arg == "--rate" || arg == "--mpx-in-rate") {
    const auto rate = readRate(value);
    if (!rate) return std::string(arg) + ": taxa inválida" + kRateRange + std::string(value);
    (arg == "--rate" ? options.rate : options.mpxInRate) = rate;
  } else if (arg == "--rds-level") {
    const auto kilohertz = readKilohertz(value);
    if (!kilohertz) {
      return "--rds-level: desvio em kHz de 0.5 a 7.5, não " + std::string(value);
    }
    options.rdsLevel = *kilohertz / SignalOptions::kFullScaleKilohertz;
  } else if (arg == "--audio") {
    if (value.empty()) return "--audio precisa de um dispositivo ALSA";
    options.audio = std::string(value);
  } else if (arg == "--audio-format") {
    if (value != "s16" && value != "s32")
      return "--audio-format: s16 ou s32, não " + std::string(value);
    options.audioFormat = value == "s16" ? SoundCard::Format::S16 : SoundCard::Format::S32;
  } else if (arg == "--audio-latency") {
    unsigned ms = 0;
    if (!readOptionNumber(value, SignalOptions::kMaxLatencyMs, ms) ||
        ms < SignalOptions::kMinLatencyMs) {
      return "--audio-latency: ms de 10 a 1000, não " + std::string(value);
    }
    options.audioLatencyMs = static_cast<int>(ms);
  } else if (value.empty() || value == SignalOptions::kCardPrefix) {
    return "--mpx-in precisa de um nome de ficheiro ou de alsa:DISPOSITIVO";
  } else {
    options.mpxIn = std::string(value);
  }
  return std::nullopt;
}

std::optional<std::string> checkSignalOptions(const SignalOptions& options) {
  if (options.mpxInRate && options.mpxIn != "-" && !options.capturesFromCard()) {
    return "--mpx-in-rate é só para amostras em bruto (--mpx-in -) ou de uma placa (alsa:)";
  }
  if (options.mpxIn == "-" && !options.mpxInRate) return "--mpx-in - precisa de --mpx-in-rate";
  // Resampling the station's multiplex would change the programme, which passes untouched.
  if (options.loopsThrough() && options.rate) {
    return "com --mpx-in, o sinal sai à taxa da entrada: sem --rate";
  }
  return std::nullopt;
}

}  // namespace orvane
