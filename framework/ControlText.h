#pragma once

#include <QString>
#include <QWidget>
#include <optional>

namespace orvane {

// The text a control shows, whatever its kind: an edit's text, a combo box's field, a button's
// or label's caption. Empty optional for a control that shows no text (a list view, an
// address, a picture).
std::optional<QString> textOfControl(const QWidget& control);

// Sets the text only when it differs, so a control is not told about a change that is none.
// False for a control that shows no text.
bool setTextOfControl(QWidget& control, const QString& text);

}  // namespace orvane
