#include "AlternativeFrequencies.h"

#include <algorithm>
#include <charconv>

namespace orvane {
namespace {

// The codes of the FM band: 1 is 87.6 MHz, 204 is 107.9 MHz, one code each 0.1 MHz.
constexpr int kBandBaseTenths = 875;
constexpr int kLowestCode = 1;
constexpr int kHighestCode = 204;
constexpr std::uint8_t kFiller = 205;
constexpr std::uint8_t kNoFrequencies = 224;  // and 224 + N for a list of N
constexpr std::size_t kMaxMegahertzDigits = 3;

// A frequency in MHz as its code; none unless it lies on the band's raster. Parsed as digits
// rather than as a floating-point number, so that 101.2 is exactly 101.2.
std::optional<std::uint8_t> frequencyCode(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
  int megahertz = 0;
  const auto [end, error] = std::from_chars(whole.data(), whole.data() + whole.size(), megahertz);
  const bool digitsOnly =
      std::ranges::all_of(fraction, [](char c) { return c >= '0' && c <= '9'; });
  if (whole.size() > kMaxMegahertzDigits || error != std::errc{} ||
      end != whole.data() + whole.size() || !digitsOnly ||
      (point != std::string_view::npos && fraction.empty()) ||
      fraction.find_first_not_of('0', 1) != std::string_view::npos) {
    return std::nullopt;
  }
  const int tenth = fraction.empty() ? 0 : fraction[0] - '0';
  const int code = megahertz * 10 + tenth - kBandBaseTenths;
  if (code < kLowestCode || code > kHighestCode) return std::nullopt;
  return static_cast<std::uint8_t>(code);
}

// Codes of "87.6,101.2": none, with `error` set, for a frequency off the raster or given twice.
std::optional<std::vector<std::uint8_t>> frequencyCodes(std::string_view list,
                                                        std::string_view option,
                                                        std::string& error) {
  std::vector<std::uint8_t> frequencies;
  for (std::size_t at = 0; at <= list.size();) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    const std::string_view item = list.substr(at, comma - at);
    const auto code = frequencyCode(item);
    if (!code) {
      error = std::string(option) + ": frequência inválida \"" + std::string(item) +
              "\" (MHz de 87.6 a 107.9, de 0.1 em 0.1, separados por vírgulas)";
      return std::nullopt;
    }
    if (std::ranges::find(frequencies, *code) != frequencies.end()) {
      error = std::string(option) + ": frequência repetida: " + std::string(item);
      return std::nullopt;
    }
    frequencies.push_back(*code);
    at = comma + 1;
  }
  return frequencies;
}

}  // namespace

std::optional<AlternativeFrequencies> AlternativeFrequencies::parse(std::string_view list,
                                                                    std::string& error) {
  const auto parsed = frequencyCodes(list, "--af", error);
  if (!parsed) return std::nullopt;
  const std::vector<std::uint8_t>& frequencies = *parsed;
  if (frequencies.size() > kMaxFrequencies) {
    error = "--af: no máximo 25 frequências";
    return std::nullopt;
  }
  AlternativeFrequencies result;
  result.codes_.push_back(static_cast<std::uint8_t>(kNoFrequencies + frequencies.size()));
  result.codes_.insert(result.codes_.end(), frequencies.begin(), frequencies.end());
  if (result.codes_.size() % 2 != 0) result.codes_.push_back(kFiller);
  return result;
}

bool AlternativeFrequencies::addTransmitter(std::string_view list, std::string& error) {
  const std::size_t colon = list.find(':');
  if (colon == std::string_view::npos) {
    error = "--af-b precisa de SINTONIZADA:AF,AF,...: " + std::string(list);
    return false;
  }
  const auto tuned = frequencyCode(list.substr(0, colon));
  const auto others = frequencyCodes(list.substr(colon + 1), "--af-b", error);
  if (!others) return false;
  if (!tuned) {
    error = "--af-b: frequência sintonizada inválida: " + std::string(list.substr(0, colon));
  } else if (std::ranges::find(*others, *tuned) != others->end()) {
    error = "--af-b: a frequência sintonizada não é alternativa de si mesma";
  } else if (others->size() > kMaxPerTransmitter) {
    error = "--af-b: no máximo 12 frequências por emissor";
  } else if (std::ranges::find(tuned_, *tuned) != tuned_.end()) {
    error = "--af-b: já há uma lista para " + std::string(list.substr(0, colon));
  } else if (tuned_.size() == kMaxTransmitters) {
    error = "--af-b: no máximo 16 emissores";
  } else if (!empty() && !byTransmitter()) {
    error = "--af e --af-b não se combinam";
  } else {
    error.clear();
  }
  if (!error.empty()) return false;
  tuned_.push_back(*tuned);
  codes_.push_back(static_cast<std::uint8_t>(kNoFrequencies + 1 + 2 * others->size()));
  codes_.push_back(*tuned);
  for (const std::uint8_t other : *others) {
    codes_.push_back(std::min(*tuned, other));
    codes_.push_back(std::max(*tuned, other));
  }
  return true;
}

std::uint16_t AlternativeFrequencies::nextPair() {
  if (codes_.empty()) return static_cast<std::uint16_t>(kNoFrequencies << 8 | kFiller);
  const auto pair = static_cast<std::uint16_t>(codes_[next_] << 8 | codes_[next_ + 1]);
  next_ = (next_ + 2) % codes_.size();
  return pair;
}

}  // namespace orvane
