#pragma once

#include "DialogTemplate.h"

namespace orvane {

inline constexpr int kAboutTemplateId = 100;

// The About box: the icon, the version line and two lines about who makes Orvane.
DialogTemplate aboutTemplate();

}  // namespace orvane
