#pragma once

#include "DialogTemplate.h"

namespace orvane {

inline constexpr int kTextListTemplateId = 131;

// Identifiers of the radiotext list editor's controls.
namespace listcontrol {
inline constexpr int kEntryList = 1029;
inline constexpr int kEntryText = 1030;
inline constexpr int kDwellUnits = 1031;
inline constexpr int kOrderNumber = 1032;
inline constexpr int kNewRow = 1033;
inline constexpr int kClearFields = 1034;
inline constexpr int kCharsLeft = 1035;
inline constexpr int kDeleteRow = 1036;
}  // namespace listcontrol

// The radiotext list editor as its designer laid it out, in dialog units.
DialogTemplate textListTemplate();

}  // namespace orvane
