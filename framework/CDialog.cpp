#include "CDialog.h"

#include <malloc.h>

#include <QLineEdit>
#include <QWindow>
#include <algorithm>
#include <new>
#include <vector>

#include "CWinApp.h"
#include "ControlFactory.h"
#include "Cp1252Text.h"
#include "DataExchange.h"
#include "DialogTemplateRegistry.h"
#include "DialogUnits.h"
#include "DialogWindow.h"
#include "MessageBoxes.h"
#include "Notification.h"
#include "OwnerLock.h"
#include "SimpleComboBox.h"

namespace orvane {
namespace {

constexpr int kOkCommand = 1;
constexpr int kCancelCommand = 2;

// A closed dialog may have held a great deal (the list editor a whole radiotext list, which can
// run to hundreds of megabytes). The allocator keeps memory freed in many small pieces for the
// process, and the console runs for weeks beside the encoder: give it back to the system.
void returnFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

std::vector<CDialog*>& modalRuns() {
  static std::vector<CDialog*> running;
  return running;
}

Qt::WindowFlags windowFlagsFor(const DialogFrame& frame) {
  Qt::WindowFlags flags = frame.taskbarWindow ? Qt::Window : Qt::Dialog;
  if (!frame.titleBar) return flags | Qt::FramelessWindowHint;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (frame.systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (frame.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  return flags;
}

QFont dialogFont(const DialogTemplate& dialog) {
  QFont font(QString::fromStdString(dialog.fontFamily), dialog.fontPoints);
  font.setStyleHint(QFont::SansSerif);  // where the family is missing, a sans-serif stands in
  return font;
}

}  // namespace

CDialog::CDialog(int templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {
  onCommand(kOkCommand, notify::kClicked, [this] { onOK(); });
  onCommand(kCancelCommand, notify::kClicked, [this] { onCancel(); });
}

CDialog::~CDialog() {
  std::erase(modalRuns(), this);
  destroyWindow();
}

CDialog* CDialog::innermostModal() {
  return modalRuns().empty() ? nullptr : modalRuns().back();
}

int CDialog::doModal() {
  const DialogTemplate* registered = DialogTemplateRegistry::find(templateId_);
  if (!registered) return -1;
  template_ = *registered;  // a copy: the registry may change while the dialog runs
  QWidget* owner = findOwner();
  OwnerLock ownerLock(owner);
  result_ = -1;
  ended_ = false;
  createWindow(*template_, owner);
  modalRuns().push_back(this);
  const bool platformSetsFocus = onInitDialog();
  if (!ended_) {
    window()->show();
    window()->activateWindow();
    if (platformSetsFocus) focusFirstTabStop();
    QEventLoop loop;
    loop_ = &loop;
    loop.exec();
    loop_ = nullptr;
  }
  std::erase(modalRuns(), this);
  const bool hadActivation = window()->isActiveWindow();
  window()->hide();
  ownerLock.release(hadActivation);
  destroyWindow();
  return result_;
}

void CDialog::endDialog(int result) {
  result_ = result;
  ended_ = true;
  if (loop_) loop_->exit();
}

bool CDialog::updateData(bool toRecord) {
  if (!window()) return false;
  TransferScope transfer(*this);
  DataExchange exchange(*this, toRecord);
  // Whatever goes wrong inside a transfer ends it here, told to the operator, never further up
  // through the event loop.
  try {
    doDataExchange(exchange);
  } catch (const std::bad_alloc&) {
    frameworkMessageBox("Out of memory.");
    return false;
  } catch (...) {
    frameworkMessageBox("Internal application error.");
    return false;
  }
  return !exchange.failed();
}

void CDialog::doDataExchange(DataExchange&) {}

bool CDialog::onInitDialog() {
  if (!addInitialStrings() || !updateData(false)) {
    endDialog(-1);
    return false;
  }
  return true;
}

void CDialog::onOK() {
  if (updateData(true)) endDialog(kOkCommand);
}

void CDialog::onCancel() {
  endDialog(kCancelCommand);
}

int CDialog::defaultCommandId() const {
  return template_ ? defaultButtonOf(*template_) : kOkCommand;
}

QWidget* CDialog::findOwner() const {
  if (parent_) return parent_->window();
  return CWinApp::lastActivePopup();
}

void CDialog::createWindow(const DialogTemplate& dialog, QWidget* owner) {
  auto* dialogWindow = new DialogWindow(*this);
  dialogWindow->setWindowFlags(windowFlagsFor(dialog.frame));
  dialogWindow->setWindowTitle(qStringFromCp1252(dialog.caption));
  dialogWindow->setFont(dialogFont(dialog));
  const DialogUnits units = DialogUnits::forFont(dialogWindow->font());
  dialogWindow->setFixedSize(units.toPixelsX(dialog.width), units.toPixelsY(dialog.height));
  attachWindow(dialogWindow);
  for (const ControlTemplate& control : dialog.controls) {
    registerControl(control.id, createControl(dialog, control, units, dialogWindow));
  }
  // Owned, not a child: a child window would be disabled with its owner.
  if (owner) {
    owner->window()->winId();
    dialogWindow->winId();
    dialogWindow->windowHandle()->setTransientParent(owner->window()->windowHandle());
  }
}

void CDialog::destroyWindow() {
  QWidget* dialogWindow = window();
  detachWindow();
  delete dialogWindow;
  returnFreedMemory();
}

bool CDialog::addInitialStrings() {
  for (const InitialString& entry : template_->initialStrings) {
    auto* combo = qobject_cast<SimpleComboBox*>(controlWidget(entry.controlId));
    if (!combo) return false;
    combo->addString(qStringFromCp1252(entry.text));
  }
  return true;
}

void CDialog::focusFirstTabStop() {
  for (const ControlTemplate& control : template_->controls) {
    QWidget* widget = controlWidget(control.id);
    if (!widget) continue;
    QWidget* target = widget->focusProxy() ? widget->focusProxy() : widget;
    if (target->focusPolicy() != Qt::StrongFocus || !target->isEnabled() || !target->isVisible()) {
      continue;
    }
    target->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(target)) edit->selectAll();
    return;
  }
}

}  // namespace orvane
