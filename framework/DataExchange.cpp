#include "DataExchange.h"

#include <QCheckBox>
#include <algorithm>
#include <limits>

#include "CComboBox.h"
#include "CIPAddressCtrl.h"
#include "CListCtrl.h"
#include "CWnd.h"
#include "ControlText.h"
#include "Cp1252Text.h"
#include "EditControl.h"
#include "MessageBoxes.h"
#include "SimpleComboBox.h"
#include "StringTable.h"
#include "UnsignedParse.h"

namespace orvane {
namespace {

constexpr int kNumberTextLimit = 31;  // the most characters a number is read from
const char* const kUnsupported = "An unsupported operation was attempted.";

EditControl* editOf(QWidget* control) {
  if (auto* combo = qobject_cast<SimpleComboBox*>(control)) return combo->edit();
  return qobject_cast<EditControl*>(control);
}

}  // namespace

DataExchange::DataExchange(CWnd& window, bool toRecord) : window_(window), toRecord_(toRecord) {}

QWidget* DataExchange::prepare(int controlId, bool edit) {
  if (failed_) return nullptr;
  QWidget* control = window_.controlWidget(controlId);
  if (!control) {
    unsupported();
    return nullptr;
  }
  lastControl_ = control;
  lastWasEdit_ = edit;
  return control;
}

void DataExchange::fail(const std::string& message) {
  failed_ = true;
  frameworkMessageBox(message, message::kOk | message::kIconExclamation);
  if (!lastControl_) return;
  lastControl_->setFocus(Qt::OtherFocusReason);
  if (EditControl* edit = lastWasEdit_ ? editOf(lastControl_) : nullptr) edit->selectAll();
}

// A listed control the window does not have, or one of the wrong kind.
void DataExchange::unsupported() {
  failed_ = true;
  frameworkMessageBox(kUnsupported, message::kOk | message::kIconExclamation);
}

bool DataExchange::supported(bool ok) {
  if (!ok) unsupported();
  return ok;
}

void DataExchange::control(int controlId, CComboBox& combo) {
  QWidget* control = prepare(controlId, false);
  if (control && !combo.isAttached()) supported(combo.attach(control));
}

void DataExchange::control(int controlId, CIPAddressCtrl& address) {
  QWidget* control = prepare(controlId, false);
  if (control && !address.isAttached()) supported(address.attach(control));
}

void DataExchange::control(int controlId, CListCtrl& list) {
  QWidget* control = prepare(controlId, false);
  if (control && !list.isAttached()) supported(list.attach(control));
}

void DataExchange::text(int controlId, std::string& value) {
  QWidget* control = prepare(controlId, true);
  if (!control) return;
  if (toRecord_) {
    const auto shown = textOfControl(*control);
    if (!supported(shown.has_value())) return;
    value = cp1252FromQString(*shown);
  } else {
    supported(setTextOfControl(*control, qStringFromCp1252(value)));
  }
}

void DataExchange::number(int controlId, std::uint32_t& value) {
  QWidget* control = prepare(controlId, true);
  if (!control) return;
  if (!toRecord_) {
    supported(setTextOfControl(*control, QString::number(value)));
    return;
  }
  const auto shown = textOfControl(*control);
  if (!supported(shown.has_value())) return;
  const auto parsed = parseUnsigned(cp1252FromQString(shown->left(kNumberTextLimit)));
  if (!parsed) return fail(StringTable::load(strings::kEnterPositiveInteger));
  value = *parsed;
}

void DataExchange::number(int controlId, std::int32_t& value) {
  auto pattern = static_cast<std::uint32_t>(value);
  number(controlId, pattern);
  value = static_cast<std::int32_t>(pattern);
}

void DataExchange::check(int controlId, std::int32_t& value) {
  QWidget* control = prepare(controlId, false);
  if (!control) return;
  auto* box = qobject_cast<QCheckBox*>(control);
  if (!supported(box != nullptr)) return;
  if (toRecord_) {
    const Qt::CheckState state = box->checkState();
    value = state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
    return;
  }
  if (value < 0 || value > 2) value = 0;
  const Qt::CheckState wanted = value == 1   ? Qt::Checked
                                : value == 2 ? Qt::PartiallyChecked
                                             : Qt::Unchecked;
  // Qt repaints a check box on every setCheckState, changed or not; the console writes the whole
  // window every second.
  if (box->checkState() != wanted) box->setCheckState(wanted);
}

void DataExchange::range(std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum) {
  if (failed_ || !toRecord_) return;
  if (value < minimum || value > maximum) {
    fail(StringTable::format(strings::kEnterIntegerBetween, std::to_string(minimum),
                             std::to_string(maximum)));
  }
}

void DataExchange::maxChars(const std::string& value, std::size_t limit) {
  if (failed_) return;
  if (toRecord_ && value.size() > limit) {
    return fail(StringTable::format(strings::kEnterNoMoreThan, std::to_string(limit)));
  }
  // One character is one byte in the code page, so the string's length is the edit's count.
  constexpr std::size_t kMostCharacters = std::numeric_limits<int>::max();
  if (EditControl* edit = editOf(lastControl_)) {
    edit->setInputLimit(static_cast<int>(std::min(limit, kMostCharacters)));
  }
}

}  // namespace orvane
