#pragma once

#include <QWidget>

#include "DialogTemplate.h"
#include "DialogUnits.h"

namespace orvane {

// Builds one control of a dialog template as a Qt widget, placed and styled as the template
// says, with its accessible name. The caller registers it by identifier.
QWidget* createControl(const DialogTemplate& dialog, const ControlTemplate& control,
                       const DialogUnits& units, QWidget* parent);

}  // namespace orvane
