#include "IpAddressEdit.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "EditControl.h"
#include "MessageBoxService.h"

namespace orvane {
namespace {

constexpr int kFieldDigits = 3;
constexpr int kFieldMax = 255;

// The fields of a pasted "a.b.c.d" (or a shorter dotted tail such as "1.50"): each one to three
// digits, values above 255 taken as 255. Nothing when the text is no such address.
std::optional<std::vector<QString>> dottedFields(const QString& text, int fieldsLeft) {
  const QStringList parts = text.trimmed().split(u'.');
  if (parts.size() < 2 || parts.size() > fieldsLeft) return std::nullopt;
  std::vector<QString> fields;
  for (const QString& part : parts) {
    const bool digits = std::all_of(part.begin(), part.end(), [](QChar c) { return c.isDigit(); });
    if (part.isEmpty() || part.size() > kFieldDigits || !digits) return std::nullopt;
    fields.push_back(QString::number(std::min(part.toInt(), kFieldMax)));
  }
  return fields;
}

bool isModifierKey(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
         key == Qt::Key_AltGr || key == Qt::Key_Meta;
}

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
  layout->setSpacing(0);
  for (int i = 0; i < kFields; ++i) {
    auto* edit = new EditControl(this);
    edit->setDigitsOnly(true);
    edit->setInputLimit(kFieldDigits);
    edit->setAlignment(Qt::AlignCenter);
    edit->setFrame(false);
    edit->setAccessibleName(QStringLiteral("Campo %1 de 4").arg(i + 1));
    edit->installEventFilter(this);
    // One tab stop for the whole address; the dot and full fields move between the fields.
    if (i > 0) edit->setFocusPolicy(Qt::ClickFocus);
    // Only a real change: a keystroke the field refused must not move the focus on.
    connect(edit, &EditControl::changed, this, [this, i, edit] {
      if (!edit->writingSystemText()) fieldEdited(i, edit->text());
    });
    edit->setPasteHandler([this, i](const QString& text) { return pasteInto(i, text); });
    fields_[static_cast<std::size_t>(i)] = edit;
    if (i > 0) layout->addWidget(new QLabel(QStringLiteral("."), this));
    layout->addWidget(edit, 1);
  }
  setFocusProxy(fields_[0]);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
}

int IpAddressEdit::fieldValue(int index) const {
  const QString text = field(index)->text();
  return text.isEmpty() ? 0 : std::min(text.toInt(), kFieldMax);
}

std::uint32_t IpAddressEdit::address() const {
  std::uint32_t value = 0;
  for (int i = 0; i < kFields; ++i)
    value = (value << 8) | static_cast<std::uint32_t>(fieldValue(i));
  return value;
}

int IpAddressEdit::filledFields() const {
  int filled = 0;
  for (const EditControl* edit : fields_) filled += edit->text().isEmpty() ? 0 : 1;
  return filled;
}

void IpAddressEdit::setAddress(std::uint32_t address) {
  for (int i = 0; i < kFields; ++i) {
    const auto byte = (address >> (8 * (kFields - 1 - i))) & 0xFFu;
    field(i)->setSystemText(QString::number(byte));
  }
}

void IpAddressEdit::clear() {
  for (EditControl* edit : fields_) edit->setSystemText(QString{});
}

int IpAddressEdit::indexOf(const QObject* watched) const {
  const auto found = std::find(fields_.begin(), fields_.end(), watched);
  return found == fields_.end() ? kNoField : static_cast<int>(found - fields_.begin());
}

void IpAddressEdit::enterField(int index) {
  if (index >= kFields) return;
  field(index)->setFocus(Qt::TabFocusReason);
  field(index)->selectAll();
}

void IpAddressEdit::enterFieldAtEnd(int index) {
  field(index)->setFocus(Qt::BacktabFocusReason);
  field(index)->end(false);
}

void IpAddressEdit::fieldEdited(int index, const QString& text) {
  if (text.size() < kFieldDigits) return;
  if (text.toInt() > kFieldMax) {
    field(index)->setSystemText(QString::number(kFieldMax));
    MessageBoxService::current().beep();
  }
  if (index + 1 < kFields) {
    enterField(index + 1);
    movedOnTo_ = index + 1;
  }
}

bool IpAddressEdit::pasteInto(int index, const QString& text) {
  const QString trimmed = text.trimmed();
  const bool number = !trimmed.isEmpty() && std::all_of(trimmed.begin(), trimmed.end(),
                                                        [](QChar c) { return c.isDigit(); });
  if (number) return false;  // pastes as into any edit
  const auto fields = dottedFields(text, kFields);
  if (fields && fields->size() == kFields) index = 0;  // a whole address, wherever it is pasted
  if (!fields || static_cast<int>(fields->size()) > kFields - index) {
    MessageBoxService::current().beep();
    return true;
  }
  int last = index;
  for (const QString& value : *fields) field(last++)->setSystemText(value);
  enterFieldAtEnd(last - 1);
  return true;
}

// Returns true when the key has been dealt with here.
bool IpAddressEdit::fieldKey(int index, const QKeyEvent& key) {
  if (isModifierKey(key.key())) return false;  // Shift on its way to a "." is not a key of its own
  const bool confirmsMove = std::exchange(movedOnTo_, kNoField) == index;
  EditControl* edit = field(index);
  if (key.text() == QStringLiteral(".")) {
    if (!confirmsMove && !edit->text().isEmpty()) enterField(index + 1);
    return true;
  }
  const bool atStart = edit->cursorPosition() == 0 && !edit->hasSelectedText();
  const bool atEnd = edit->cursorPosition() == edit->text().size() && !edit->hasSelectedText();
  if (key.key() == Qt::Key_Backtab ||
      (key.key() == Qt::Key_Tab && key.modifiers() & Qt::ShiftModifier)) {
    // Out of the whole address, as Tab leaves it, not back into its first field.
    if (index == 0) return false;
    field(0)->setFocus(Qt::BacktabFocusReason);
    focusNextPrevChild(false);
    return true;
  }
  const bool digit = key.text().size() == 1 && key.text().front().isDigit();
  if (digit && edit->text().size() >= kFieldDigits && !edit->hasSelectedText())
    return fullFieldDigit(index, key, atEnd);
  if ((key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Left) && atStart && index > 0) {
    enterFieldAtEnd(index - 1);
    return true;
  }
  if (key.key() == Qt::Key_Right && atEnd && index + 1 < kFields) {
    field(index + 1)->setFocus(Qt::TabFocusReason);
    field(index + 1)->home(false);
    return true;
  }
  return false;
}

// A digit with no room in its field: at the field's end it goes on into the next one, as the
// digit after a full field does; anywhere else it is refused aloud, and the focus stays.
bool IpAddressEdit::fullFieldDigit(int index, const QKeyEvent& key, bool atEnd) {
  if (!atEnd || index + 1 == kFields) {
    MessageBoxService::current().beep();
    return true;
  }
  enterField(index + 1);
  QKeyEvent again(key.type(), key.key(), key.modifiers(), key.text());
  QCoreApplication::sendEvent(field(index + 1), &again);
  return true;
}

void IpAddressEdit::fieldLeft(int index) {
  if (index == movedOnTo_) movedOnTo_ = kNoField;
  EditControl* edit = field(index);
  if (!edit->text().isEmpty()) edit->setSystemText(QString::number(fieldValue(index)));
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
  const int index = indexOf(watched);
  if (index != kNoField && event->type() == QEvent::KeyPress &&
      fieldKey(index, *static_cast<QKeyEvent*>(event))) {
    return true;
  }
  // Leaving the field by other means (the mouse) takes back what its automatic entry meant;
  // a field left shows its number as it counts, "10" for a typed "010".
  if (index != kNoField && event->type() == QEvent::FocusOut) fieldLeft(index);
  // A click selects the field's number, so that typing replaces it, as in a field entered by
  // typing; a drag still selects a part, and the arrow keys place the cursor.
  if (index != kNoField && event->type() == QEvent::MouseButtonRelease &&
      !field(index)->hasSelectedText()) {
    field(index)->selectAll();
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace orvane
