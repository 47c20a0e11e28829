#pragma once

#include <functional>

#include "CDialog.h"

namespace orvane::test {

// Runs `dialog` modally; `whileOpen` runs inside its loop once the window is active. A dialog
// still open after ten seconds ends with -99, so a broken test fails instead of hanging.
int runModal(CDialog& dialog, std::function<void()> whileOpen);

}  // namespace orvane::test
