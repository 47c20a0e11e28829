#include "ControlText.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

#include "EditControl.h"
#include "SimpleComboBox.h"

namespace orvane {
namespace {

// A simple combo box's text is its field's.
const EditControl* editOf(const QWidget& control) {
  if (auto* combo = qobject_cast<const SimpleComboBox*>(&control)) return combo->edit();
  return qobject_cast<const EditControl*>(&control);
}

EditControl* editOf(QWidget& control) {
  if (auto* combo = qobject_cast<SimpleComboBox*>(&control)) return combo->edit();
  return qobject_cast<EditControl*>(&control);
}

}  // namespace

std::optional<QString> textOfControl(const QWidget& control) {
  if (const EditControl* edit = editOf(control)) return edit->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
  if (auto* group = qobject_cast<const QGroupBox*>(&control)) return group->title();
  return std::nullopt;
}

bool setTextOfControl(QWidget& control, const QString& text) {
  const std::optional<QString> current = textOfControl(control);
  if (!current) return false;
  if (*current == text) return true;
  if (EditControl* edit = editOf(control)) {
    edit->setSystemText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(&control)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(&control)) {
    group->setTitle(text);
  }
  return true;
}

}  // namespace orvane
