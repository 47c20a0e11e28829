#include "DemoDialog.h"

#include <cstdio>

#include "Cp1252.h"
#include "DataExchange.h"
#include "FrameworkTestSupport.h"
#include "Notification.h"

namespace orvane::test {

DialogTemplate DemoDialog::dialogTemplate() {
  DialogTemplate dialog;
  dialog.id = kTemplateId;
  dialog.caption = pt("Estação");
  dialog.width = 220;
  dialog.height = 120;
  const ControlStyle bordered{.border = true, .autoHScroll = true};
  dialog.controls = {
      controlOf(kNoControlId, ControlKind::Label, {5, 7, 30, 8}, "Nome"),
      controlOf(kName, ControlKind::Edit, {40, 5, 80, 12}, {}, bordered),
      controlOf(kNoControlId, ControlKind::Label, {5, 22, 30, 8}, "Porta"),
      controlOf(kPort, ControlKind::Edit, {40, 20, 32, 12}, {},
                {.digitsOnly = true, .alignRight = true, .border = true}),
      controlOf(kMusic, ControlKind::CheckBox, {80, 21, 40, 10}, "Music"),
      controlOf(kAddress, ControlKind::IpAddress, {130, 5, 80, 12}),
      controlOf(kType, ControlKind::SimpleCombo, {5, 40, 100, 55}, {}, {.vScroll = true}),
      controlOf(kTypeCode, ControlKind::Edit, {110, 40, 15, 12}, {},
                {.readOnly = true, .alignRight = true, .border = true}),
      controlOf(1, ControlKind::DefPushButton, {110, 100, 50, 14}, "OK"),
      controlOf(2, ControlKind::PushButton, {165, 100, 50, 14}, "Cancel"),
  };
  dialog.initialStrings = {
      {kType, pt("Não definido")}, {kType, "Noticias"}, {kType, "Actualidades"}};
  return dialog;
}

DemoDialog::DemoDialog(StationSettings& settings) : CDialog(kTemplateId), settings_(settings) {
  onCommand(kType, notify::kSelectionChanged, [this] { typeChosen(); });
}

void DemoDialog::doDataExchange(DataExchange& dx) {
  dx.control(kType, type_);
  dx.control(kAddress, address_);
  dx.text(kName, settings_.name);
  dx.maxChars(settings_.name, 8);
  dx.number(kPort, settings_.port);
  dx.range(settings_.port, 1, 32767);
  dx.check(kMusic, settings_.music);
  dx.text(kTypeCode, settings_.typeCode);
}

bool DemoDialog::onInitDialog() {
  if (!CDialog::onInitDialog()) return false;
  address_.setAddress(settings_.address);
  type_.setCurSel(settings_.type);
  return true;
}

// Like the console's code lists: read whatever the window holds, then show the new code,
// whether or not the read passed its checks.
void DemoDialog::typeChosen() {
  updateData(true);
  const int selection = type_.getCurSel();
  if (selection < 0) return;
  char code[16];
  std::snprintf(code, sizeof code, "%02X", static_cast<unsigned>(selection));
  settings_.typeCode = code;
  updateData(false);
}

// The address and the selection live in their controls, not in the exchange list.
void DemoDialog::onOK() {
  if (!updateData(true)) return;
  address_.getAddress(settings_.address);
  settings_.type = type_.getCurSel();
  endDialog(1);
}

}  // namespace orvane::test
