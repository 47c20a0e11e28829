#include "IpAddressEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

#include "EditControl.h"

namespace orvane {
namespace {
constexpr int kFieldDigits = 3;
constexpr int kFieldMax = 255;
}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
  layout->setSpacing(0);
  for (int i = 0; i < 4; ++i) {
    auto* edit = new EditControl(this);
    edit->setDigitsOnly(true);
    edit->setInputLimit(kFieldDigits);
    edit->setAlignment(Qt::AlignCenter);
    edit->setFrame(false);
    edit->setAccessibleName(tr("Field %1 of 4").arg(i + 1));
    edit->installEventFilter(this);
    // One tab stop for the whole address; the dot and full fields move between the fields.
    if (i > 0) edit->setFocusPolicy(Qt::ClickFocus);
    connect(edit, &EditControl::textEdited, this, [this, i](const QString& text) {
      if (text.size() == kFieldDigits) moveToNextField(i);
    });
    connect(edit, &EditControl::focusLost, this, [this, i] { clampField(i); });
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
  for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<std::uint32_t>(fieldValue(i));
  return value;
}

int IpAddressEdit::filledFields() const {
  int filled = 0;
  for (const EditControl* edit : fields_) filled += edit->text().isEmpty() ? 0 : 1;
  return filled;
}

void IpAddressEdit::setAddress(std::uint32_t address) {
  for (int i = 0; i < 4; ++i) {
    const auto byte = (address >> (8 * (3 - i))) & 0xFFu;
    field(i)->setSystemText(QString::number(byte));
  }
}

void IpAddressEdit::clear() {
  for (EditControl* edit : fields_) edit->setSystemText(QString{});
}

void IpAddressEdit::moveToNextField(int index) {
  if (index + 1 < 4) field(index + 1)->setFocus(Qt::TabFocusReason);
}

// A field above 255 is put back to 255 when the operator leaves it.
void IpAddressEdit::clampField(int index) {
  const QString text = field(index)->text();
  if (!text.isEmpty() && text.toInt() > kFieldMax)
    field(index)->setSystemText(QString::number(kFieldMax));
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    for (int i = 0; i < 4; ++i) {
      if (watched != field(i)) continue;
      if (key->text() == QStringLiteral(".")) {
        if (!field(i)->text().isEmpty()) moveToNextField(i);
        return true;
      }
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace orvane
