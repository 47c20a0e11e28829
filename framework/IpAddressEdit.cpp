#include "IpAddressEdit.h"

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
    edit->setAccessibleName(tr("Field %1 of 4").arg(i + 1));
    edit->installEventFilter(this);
    // One tab stop for the whole address; the dot and full fields move between the fields.
    if (i > 0) edit->setFocusPolicy(Qt::ClickFocus);
    connect(edit, &EditControl::textEdited, this,
            [this, i](const QString& text) { fieldEdited(i, text); });
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
  if (!text.contains(u'.')) return false;  // digits alone paste as into any edit
  const auto fields = dottedFields(text, kFields - index);
  if (!fields) {
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

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
  const int index = indexOf(watched);
  if (index != kNoField && event->type() == QEvent::KeyPress &&
      fieldKey(index, *static_cast<QKeyEvent*>(event))) {
    return true;
  }
  // Leaving the field by other means (the mouse) takes back what its automatic entry meant.
  if (index != kNoField && index == movedOnTo_ && event->type() == QEvent::FocusOut)
    movedOnTo_ = kNoField;
  return QFrame::eventFilter(watched, event);
}

}  // namespace orvane
