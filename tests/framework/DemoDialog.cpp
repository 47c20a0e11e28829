#include "DemoDialog.h"

#include "Cp1252.h"
#include "DataExchange.h"
#include "Notification.h"

namespace orvane::test {

namespace {
ControlTemplate control(int id, ControlKind kind, DialogRect rect, std::string caption = {},
                        ControlStyle style = {}) {
  return {id, kind, std::move(caption), rect, style};
}
}  // namespace

DialogTemplate DemoDialog::dialogTemplate(bool consoleButtons) {
  DialogTemplate dialog{.id = kTemplateId, .caption = pt("Estação"), .width = 220, .height = 120};
  const ControlKind ok = consoleButtons ? ControlKind::PushButton : ControlKind::DefPushButton;
  const ControlKind cancel = consoleButtons ? ControlKind::DefPushButton : ControlKind::PushButton;
  dialog.controls = {
      control(kNoControlId, ControlKind::Label, {5, 7, 30, 8}, "Nome"),
      control(kName, ControlKind::Edit, {40, 5, 80, 12}, {}, {.border = true, .autoHScroll = true}),
      control(kNoControlId, ControlKind::Label, {5, 22, 30, 8}, "Porta"),
      control(kPort, ControlKind::Edit, {40, 20, 32, 12}, {},
              {.digitsOnly = true, .alignRight = true, .border = true}),
      control(kMusic, ControlKind::CheckBox, {80, 21, 40, 10}, "Music"),
      control(kType, ControlKind::SimpleCombo, {5, 40, 100, 55}, {}, {.vScroll = true}),
      control(kTypeCode, ControlKind::Edit, {110, 40, 15, 12}, {},
              {.readOnly = true, .alignRight = true, .border = true}),
      control(1, ok, {110, 100, 50, 14}, "OK"),
      control(2, cancel, {165, 100, 50, 14}, "Cancel",
              {.disabled = consoleButtons, .hidden = consoleButtons}),
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
  dx.text(kName, settings_.name);
  dx.maxChars(settings_.name, 64);
  dx.number(kPort, settings_.port);
  dx.range(settings_.port, 1, 32767);
  dx.check(kMusic, settings_.music);
  dx.text(kTypeCode, settings_.typeCode);
}

bool DemoDialog::onInitDialog() {
  if (!CDialog::onInitDialog()) return false;
  type_.setCurSel(settings_.type);
  return true;
}

// Like the console's code lists: read whatever the window holds, then show the new code,
// whether or not the read passed its checks.
void DemoDialog::typeChosen() {
  updateData(true);
  const int selection = type_.getCurSel();
  if (selection < 0) return;
  settings_.typeCode = QString::asprintf("%02X", selection).toStdString();
  updateData(false);
}

// The selection lives in its control, not in the exchange list.
void DemoDialog::onOK() {
  if (!updateData(true)) return;
  settings_.type = type_.getCurSel();
  endDialog(1);
}

}  // namespace orvane::test
