#include "GroupSequence.h"

#include <algorithm>
#include <array>

namespace orvane {
namespace {

struct KindName {
  SlotKind kind;
  std::string_view name;
};
constexpr std::array<KindName, 8> kNames = {{{SlotKind::ServiceName, "0A"},
                                             {SlotKind::Radiotext, "2A"},
                                             {SlotKind::Announcement, "3A"},
                                             {SlotKind::TypeName, "10A"},
                                             {SlotKind::RadiotextPlus, "11A"},
                                             {SlotKind::EnhancedRadiotext, "12A"},
                                             {SlotKind::OtherNetwork, "14A"},
                                             {SlotKind::LongName, "15A"}}};

// `count` more groups of a kind within `places` places from any one of them, with one place
// left for a group put in between.
struct WindowRule {
  SlotKind kind;
  int count;
  int places;
  bool required;
  std::string_view why;
};
constexpr std::array<WindowRule, 7> kRules = {{
    {SlotKind::ServiceName, 4, 10, true, "o nome completo em cada segundo"},
    {SlotKind::Radiotext, 16, 54, true, "um radiotexto de 64 caracteres em 5 s"},
    {SlotKind::RadiotextPlus, 1, 24, false, "um 11A em cada 2,2 s"},
    {SlotKind::Announcement, 1, 49, false, "um 3A em cada 4,5 s"},
    {SlotKind::LongName, 8, 88, false, "oito 15A em cada 8 s"},
    {SlotKind::OtherNetwork, 1, 20, false, "oito outras redes completas em 2 minutos"},
    {SlotKind::TypeName, 2, 40, false, "o PTYN completo em 3,5 s"},
}};

std::string_view nameOf(SlotKind kind) {
  return std::ranges::find(kNames, kind, &KindName::kind)->name;
}

// The longest stretch of places, around the cycle, that `count` more of `kind` take.
int longestFor(const std::vector<SlotKind>& slots, SlotKind kind, int count) {
  std::vector<int> at;
  const auto n = static_cast<int>(slots.size());
  const int laps = count / std::max(1, static_cast<int>(std::ranges::count(slots, kind))) + 2;
  for (int lap = 0; lap < laps; ++lap) {
    for (int i = 0; i < n; ++i) {
      if (slots[static_cast<std::size_t>(i)] == kind) at.push_back(lap * n + i);
    }
  }
  int longest = 0;
  for (std::size_t i = 0; i + static_cast<std::size_t>(count) < at.size() && at[i] < n; ++i) {
    longest = std::max(longest, at[i + static_cast<std::size_t>(count)] - at[i]);
  }
  return longest;
}

std::optional<std::string> brokenRule(const std::vector<SlotKind>& slots) {
  const auto has = [&](SlotKind kind) { return std::ranges::count(slots, kind) > 0; };
  const bool announced = has(SlotKind::RadiotextPlus) || has(SlotKind::EnhancedRadiotext);
  for (const WindowRule& rule : kRules) {
    const bool needed =
        rule.required || (rule.kind == SlotKind::Announcement && announced) || has(rule.kind);
    if (!needed) continue;
    const std::string_view name = nameOf(rule.kind);
    if (!has(rule.kind)) return std::string(name) + " em falta: " + std::string(rule.why);
    if (longestFor(slots, rule.kind, rule.count) > rule.places) {
      return "poucos " + std::string(name) + " (" + std::to_string(rule.count) + " em cada " +
             std::to_string(rule.places) + " lugares): " + std::string(rule.why);
    }
  }
  return std::nullopt;
}

}  // namespace

GroupSequence GroupSequence::standard() {
  using K = SlotKind;
  constexpr K N = K::ServiceName, R = K::Radiotext;
  // Two names in every five places; the radiotext in every other place left; the rest spread
  // so that each keeps its window.
  return GroupSequence(
      {N, R, N, K::LongName,     R, N, K::RadiotextPlus, N, R, K::TypeName,
       N, R, N, K::OtherNetwork, R, N, K::LongName,      N, R, K::Announcement,
       N, R, N, K::LongName,     R, N, K::RadiotextPlus, N, R, K::TypeName,
       N, R, N, K::OtherNetwork, R, N, K::LongName,      N, R, K::EnhancedRadiotext});
}

std::optional<GroupSequence> GroupSequence::parse(std::string_view text, std::string& error) {
  std::vector<SlotKind> slots;
  constexpr std::string_view kSeparators = ", \t";
  for (std::size_t at = text.find_first_not_of(kSeparators); at != std::string_view::npos;
       at = text.find_first_not_of(kSeparators, at)) {
    const std::size_t end = std::min(text.find_first_of(kSeparators, at), text.size());
    const std::string_view word = text.substr(at, end - at);
    at = end;
    const auto known = std::ranges::find(kNames, word, &KindName::name);
    if (known == kNames.end()) {
      error = word == "4A" || word == "1A"
                  ? std::string(word) + " não entra na sequência: " +
                        (word == "4A" ? "vai no limite de cada minuto" : "vai no seu tempo")
                  : "grupo desconhecido: " + std::string(word);
      return std::nullopt;
    }
    if (slots.size() == kMaxSlots) {
      error = "mais de " + std::to_string(kMaxSlots) + " lugares";
      return std::nullopt;
    }
    slots.push_back(known->kind);
  }
  if (auto broken = brokenRule(slots)) {
    error = std::move(*broken);
    return std::nullopt;
  }
  return GroupSequence(std::move(slots));
}

bool GroupSequence::holds(SlotKind kind) const {
  return std::ranges::count(slots_, kind) > 0;
}

std::string GroupSequence::text() const {
  std::string text;
  for (const SlotKind kind : slots_) {
    if (!text.empty()) text += ',';
    text += nameOf(kind);
  }
  return text;
}

}  // namespace orvane
