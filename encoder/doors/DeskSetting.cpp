#include "DeskSetting.h"

#include "DoorText.h"
#include "OptionNumber.h"
#include "PrintableQuote.h"
#include "RdsLimits.h"

namespace orvane {

std::variant<DeskSetting, Refusal> readDeskSetting(DoorKey key, std::string_view value) {
  const std::string name(doorKeyName(key));
  DeskSetting setting;
  if (name == "RTDEFAULT") {
    std::string error;
    auto text = fitDoorText(value, kMaxRadiotextLength, CutAt::WordEnd, error);
    if (!text) return Refusal{Refusal::Kind::InvalidValue, name + ": " + error};
    if (!text->text.empty()) setting.text = std::move(text->text);
    setting.cut = text->cut;
    return setting;
  }
  setting.kind =
      name == "TATIME" ? DeskSetting::Kind::TrafficBound : DeskSetting::Kind::TextTimeout;
  const unsigned lowest = setting.kind == DeskSetting::Kind::TrafficBound ? 1 : 0;
  unsigned minutes = 0;
  if (value.size() > 3 || !readOptionNumber(value, static_cast<unsigned>(key->bound), minutes) ||
      minutes < lowest) {
    return Refusal{Refusal::Kind::InvalidValue,
                   name + "=" + printableQuote(value) + ": esperado de " + std::to_string(lowest) +
                       " a " + std::to_string(key->bound) + " minutos"};
  }
  setting.minutes = std::chrono::minutes(minutes);
  return setting;
}

}  // namespace orvane
