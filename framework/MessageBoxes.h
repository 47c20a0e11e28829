#pragma once

#include <QWidget>
#include <string>

#include "MessageStyle.h"

namespace orvane {

// The framework message box, used for the data-exchange messages and the start-up failure. Its
// owner is the main window's last active pop-up (none while there is no main window), its
// title always the application's title. A style without an icon whose buttons are OK, OK and
// Cancel, Yes and No, or Yes, No and Cancel gets the exclamation icon.
int frameworkMessageBox(const std::string& text, unsigned style = message::kOk);
// The same with the text of a string-table entry.
int frameworkMessageBox(unsigned stringId, unsigned style = message::kOk);

// A box owned by `owner` (or by nothing): the owner's window stays disabled while the box is
// open. The style is used as given. Returns the button pressed.
int showMessageBox(QWidget* owner, const std::string& text, const std::string& title,
                   unsigned style);

// The style the framework message box really uses for `style`.
unsigned frameworkBoxStyle(unsigned style);

}  // namespace orvane
