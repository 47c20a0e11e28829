#include "MessageBoxes.h"

#include "CWinApp.h"
#include "MessageBoxService.h"
#include "OwnerLock.h"
#include "StringTable.h"

namespace orvane {

unsigned frameworkBoxStyle(unsigned style) {
  const unsigned buttons = style & message::kButtonMask;
  const bool namedButtons =
      buttons == message::kButtonsOk || buttons == message::kButtonsOkCancel ||
      buttons == message::kButtonsYesNo || buttons == message::kButtonsYesNoCancel;
  if ((style & message::kIconMask) == 0 && namedButtons) return style | message::kIconExclamation;
  return style;
}

int showMessageBox(QWidget* owner, const std::string& text, const std::string& title,
                   unsigned style) {
  OwnerLock lock(owner);
  const int answer = MessageBoxService::current().show({text, title, style, owner});
  lock.release(lock.disabledOwner());
  return answer;
}

int frameworkMessageBox(const std::string& text, unsigned style) {
  return showMessageBox(CWinApp::lastActivePopup(), text, CWinApp::applicationTitle(),
                        frameworkBoxStyle(style));
}

int frameworkMessageBox(unsigned stringId, unsigned style) {
  return frameworkMessageBox(StringTable::load(stringId), style);
}

}  // namespace orvane
