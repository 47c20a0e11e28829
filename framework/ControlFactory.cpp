#include "ControlFactory.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "Cp1252Text.h"
#include "EditControl.h"
#include "IpAddressEdit.h"
#include "ListViewControl.h"
#include "SimpleComboBox.h"

namespace orvane {
namespace {

Qt::Alignment horizontalAlignment(const ControlStyle& style) {
  if (style.alignRight) return Qt::AlignRight;
  if (style.alignCenter) return Qt::AlignHCenter;
  return Qt::AlignLeft;
}

QWidget* makeButton(const ControlTemplate& control, QWidget* parent) {
  auto* button = new QPushButton(qStringFromCp1252(control.caption), parent);
  // The dialog decides what Enter does (CWnd::enterKey); the button only shows it.
  button->setAutoDefault(false);
  button->setDefault(control.kind == ControlKind::DefPushButton);
  return button;
}

QWidget* makeEdit(const ControlTemplate& control, QWidget* parent) {
  auto* edit = new EditControl(parent);
  const ControlStyle& style = control.style;
  edit->setReadOnly(style.readOnly);
  edit->setDigitsOnly(style.digitsOnly);
  edit->setAlignment(horizontalAlignment(style) | Qt::AlignVCenter);
  edit->setFrame((style.border || style.sunkenEdge) && !style.noBorder);
  return edit;
}

QWidget* makeCombo(const ControlTemplate& control, QWidget* parent) {
  auto* combo = new SimpleComboBox(parent);
  combo->list()->setVerticalScrollBarPolicy(control.style.vScroll ? Qt::ScrollBarAsNeeded
                                                                  : Qt::ScrollBarAlwaysOff);
  return combo;
}

QWidget* makeListView(const ControlTemplate& control, QWidget* parent) {
  auto* list = new ListViewControl(parent);
  list->setSelectionMode(control.style.singleSelection ? QAbstractItemView::SingleSelection
                                                       : QAbstractItemView::ExtendedSelection);
  if (control.style.noBorder) list->setFrameShape(QFrame::NoFrame);
  return list;
}

QWidget* makePicture(const ControlTemplate& control, QWidget* parent) {
  auto* picture = new QLabel(parent);
  picture->setPixmap(QPixmap(QString::fromStdString(control.picture)));
  if (control.style.border) picture->setFrameStyle(QFrame::Box | QFrame::Plain);
  return picture;
}

QWidget* makeLabel(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(qStringFromCp1252(control.caption), parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(control.style.multiLine);
  label->setAlignment(horizontalAlignment(control.style) | Qt::AlignTop);
  return label;
}

QWidget* makeWidget(const ControlTemplate& control, QWidget* parent) {
  switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
      return makeButton(control, parent);
    case ControlKind::CheckBox:
      return new QCheckBox(qStringFromCp1252(control.caption), parent);
    case ControlKind::Edit:
      return makeEdit(control, parent);
    case ControlKind::SimpleCombo:
      return makeCombo(control, parent);
    case ControlKind::IpAddress:
      return new IpAddressEdit(parent);
    case ControlKind::ListView:
      return makeListView(control, parent);
    case ControlKind::Picture:
      return makePicture(control, parent);
    case ControlKind::GroupBox:
      return new QGroupBox(qStringFromCp1252(control.caption), parent);
    case ControlKind::Label:
      break;
  }
  return makeLabel(control, parent);
}

bool takesFocus(ControlKind kind) {
  return kind != ControlKind::Picture && kind != ControlKind::GroupBox &&
         kind != ControlKind::Label;
}

// Tab stops take the focus from Tab and the mouse; the others from the mouse only. The
// compound controls pass the focus to their first field.
void applyFocusPolicy(const ControlTemplate& control, QWidget* widget) {
  QWidget* target = widget->focusProxy() ? widget->focusProxy() : widget;
  if (!takesFocus(control.kind)) {
    widget->setFocusPolicy(Qt::NoFocus);
  } else {
    target->setFocusPolicy(control.style.noTabStop ? Qt::ClickFocus : Qt::StrongFocus);
  }
}

}  // namespace

QWidget* createControl(const DialogTemplate& dialog, const ControlTemplate& control,
                       const DialogUnits& units, QWidget* parent) {
  QWidget* widget = makeWidget(control, parent);
  widget->setGeometry(units.toPixels(control.rect));
  // A picture control takes the size of its image, as bitmap controls always have; only its
  // position comes from the template.
  if (auto* picture = qobject_cast<QLabel*>(widget);
      picture != nullptr && control.kind == ControlKind::Picture && !picture->pixmap().isNull()) {
    const int frame = 2 * picture->frameWidth();
    picture->resize(picture->pixmap().size() + QSize(frame, frame));
  }
  applyFocusPolicy(control, widget);
  const QString name = qStringFromCp1252(accessibleNameOf(dialog, control));
  widget->setAccessibleName(name);
  if (widget->focusProxy()) widget->focusProxy()->setAccessibleName(name);
  if (control.kind == ControlKind::GroupBox) widget->lower();
  widget->setEnabled(!control.style.disabled);
  widget->setVisible(!control.style.hidden);
  return widget;
}

}  // namespace orvane
