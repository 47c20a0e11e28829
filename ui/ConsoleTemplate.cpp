#include "ConsoleTemplate.h"

#include "CodeNames.h"
#include "ControlId.h"
#include "Cp1252.h"

namespace orvane {
namespace {

using K = ControlKind;

ControlTemplate label(const char* caption, DialogRect rect) {
  return {kNoControlId, K::Label, pt(caption), rect, {}, {}, {}};
}

ControlTemplate groupBox(const char* caption, DialogRect rect) {
  return {kNoControlId, K::GroupBox, pt(caption), rect, {}, {}, {}};
}

ControlTemplate control(int id, K kind, const char* caption, DialogRect rect,
                        ControlStyle style = {}) {
  return {id, kind, pt(caption), rect, style, {}, {}};
}

ControlStyle borderedEdit() {
  ControlStyle style;
  style.border = true;
  style.autoHScroll = true;
  return style;
}

ControlStyle sunkenEdit() {
  ControlStyle style;
  style.sunkenEdge = true;
  style.autoHScroll = true;
  return style;
}

ControlStyle disabled(ControlStyle style = {}) {
  style.disabled = true;
  return style;
}

// Frames and captions: created first, so that every control is drawn above its group box.
void addFrames(DialogTemplate& dialog) {
  auto& c = dialog.controls;
  c.push_back(groupBox("Propriedades da emissão actual.", {5, 5, 265, 90}));
  c.push_back(groupBox("", {135, 10, 125, 45}));
  c.push_back(groupBox("Propriedades do servidor.", {275, 5, 140, 90}));
  c.push_back(groupBox("Emissao textual ( PSN Ciclico e Radio-Texto )", {5, 95, 410, 60}));
  c.push_back(groupBox("Configurações especiais ( funções extra )", {5, 155, 410, 55}));
  c.push_back(groupBox("", {10, 165, 65, 40}));
  c.push_back(groupBox("", {75, 165, 65, 40}));

  ControlTemplate twoLines = label("Grupo 1A\nHorário de emissão", {140, 25, 65, 20});
  twoLines.style.multiLine = true;
  c.push_back(label("PTY", {10, 17, 15, 8}));
  c.push_back(twoLines);
  c.push_back(label("PTY #", {218, 61, 22, 8}));
  c.push_back(label("RTXT1", {10, 107, 24, 8}));
  c.push_back(label("RTXT2", {10, 122, 24, 8}));
  c.push_back(label("PSN", {19, 136, 16, 8}));
  c.push_back(label("Maximo de 64 Caracteres por linha", {300, 105, 110, 8}));
  c.push_back(label("DI", {150, 170, 8, 8}));
  c.push_back(label("->", {279, 169, 9, 8}));

  ControlTemplate emblem{kNoControlId, K::Picture, "", {340, 30, 69, 58}, {}, {}, {}};
  emblem.style.border = true;
  emblem.picture = ":/orvane/rds-emblem.png";
  c.push_back(emblem);
}

// The controls in their creation order, which is also the tab order.
void addControls(DialogTemplate& dialog) {
  using namespace control;
  auto& c = dialog.controls;
  ControlStyle readOnlyRight = borderedEdit();
  readOnlyRight.readOnly = true;
  readOnlyRight.alignRight = true;
  ControlStyle portStyle = borderedEdit();
  portStyle.digitsOnly = true;
  portStyle.alignRight = true;
  ControlStyle listStyle;
  listStyle.vScroll = true;
  ControlStyle countdownStyle = sunkenEdit();
  countdownStyle.readOnly = true;
  countdownStyle.digitsOnly = true;
  countdownStyle.alignCenter = true;
  countdownStyle.noTabStop = true;
  ControlStyle diStyle = borderedEdit();
  diStyle.readOnly = true;
  ControlStyle hiddenCancel = disabled();
  hiddenCancel.hidden = true;

  c.push_back(control(kRadioText1, K::Edit, "", {40, 105, 255, 12}, sunkenEdit()));
  c.push_back(control(kRadioText2, K::Edit, "", {40, 120, 255, 12}, sunkenEdit()));
  c.push_back(control(kUpdateText, K::PushButton, "Actualizar", {355, 135, 50, 12}, disabled()));
  c.push_back(control(kProgrammeTypeList, K::SimpleCombo, "", {25, 15, 104, 77}, listStyle));
  c.push_back(control(kPinTime, K::Edit, "", {215, 20, 40, 12}, borderedEdit()));
  c.push_back(control(kPinDay, K::Edit, "", {230, 36, 25, 12}, borderedEdit()));
  c.push_back(control(kServerAddress, K::IpAddress, "", {285, 15, 60, 12}));
  c.push_back(control(kServerPort, K::Edit, "", {350, 15, 32, 12}, portStyle));
  c.push_back(control(kPsName, K::Edit, "", {40, 135, 255, 12}, disabled(sunkenEdit())));
  c.push_back(
      control(kUpdateProgramme, K::PushButton, "Actualizar", {215, 75, 50, 14}, disabled()));
  c.push_back(control(kConnect, K::PushButton, "Conectar", {285, 35, 50, 14}));
  c.push_back(control(kDisconnect, K::PushButton, "Fechar", {285, 55, 50, 14}, disabled()));
  c.push_back(control(kOk, K::PushButton, "Sair do programa", {320, 220, 95, 14}));
  c.push_back(control(kCancel, K::DefPushButton, "Cancel", {365, 220, 50, 14}, hiddenCancel));
  c.push_back(control(kGroup4A, K::CheckBox, "Grupo 4A", {140, 60, 46, 10}));
  c.push_back(control(kGroup1A, K::CheckBox, "Grupo 1A", {140, 76, 46, 10}));
  c.push_back(control(kPtyCode, K::Edit, "", {245, 60, 15, 12}, readOnlyRight));
  c.push_back(control(kUpdateSpecial, K::PushButton, "Actualizar", {355, 190, 50, 14}, disabled()));
  c.push_back(control(kTaFlag, K::CheckBox, "Enable Bit TA", {15, 175, 55, 10}));
  c.push_back(control(kTpFlag, K::CheckBox, "Enable Bit TP", {15, 190, 55, 10}));
  c.push_back(control(kMusicFlag, K::CheckBox, "Music", {81, 175, 35, 10}));
  c.push_back(control(kTimeInPsFlag, K::CheckBox, "Hora em PSN", {81, 190, 55, 10}, disabled()));
  c.push_back(control(kAdvancedFunctions, K::PushButton, "Funções Avançadas", {235, 220, 75, 14}));
  c.push_back(
      control(kDecoderIdList, K::SimpleCombo, "", {160, 165, 115, 40}, disabled(listStyle)));
  c.push_back(control(kDiCode, K::Edit, "", {290, 165, 15, 12}, diStyle));
  c.push_back(control(kEditList, K::PushButton, "Editar Lista", {300, 135, 50, 12}));
  c.push_back(control(kAutoRotate, K::CheckBox, "Automatizar RTXT list", {300, 120, 85, 10}));
  c.push_back(control(kRotateCountdown, K::Edit, "", {385, 118, 25, 12}, countdownStyle));
}

// Names for the controls that have no caption and no label on their left.
void addAccessibleNames(DialogTemplate& dialog) {
  for (auto& c : dialog.controls) {
    switch (c.id) {
      case control::kPinTime:
        c.accessibleName = pt("Horário de emissão (HH:MM)");
        break;
      case control::kPinDay:
        c.accessibleName = pt("Dia do horário de emissão");
        break;
      case control::kServerAddress:
        c.accessibleName = pt("Endereço do servidor");
        break;
      case control::kServerPort:
        c.accessibleName = pt("Porto do servidor");
        break;
      case control::kDiCode:
        c.accessibleName = pt("Código DI");
        break;
      case control::kRotateCountdown:
        c.accessibleName = pt("Segundos até ao próximo par de radio-texto");
        break;
      default:
        break;
    }
  }
}

}  // namespace

std::vector<std::string> programmeTypeNames() {
  std::vector<std::string> names;
  for (const std::string_view name : kProgrammeTypeNames) names.push_back(pt(name));
  return names;
}

std::vector<std::string> decoderIdNames() {
  std::vector<std::string> names;
  for (const std::string_view name : kDecoderIdNames) names.push_back(pt(name));
  return names;
}

DialogTemplate consoleTemplate() {
  DialogTemplate dialog;
  dialog.id = kConsoleTemplateId;
  dialog.caption = pt("Consola de controlo do sistema RDS.");
  dialog.width = 417;
  dialog.height = 239;
  dialog.frame.titleBar = true;
  dialog.frame.systemMenu = true;
  dialog.frame.minimizeBox = true;
  dialog.frame.taskbarWindow = true;
  addFrames(dialog);
  addControls(dialog);
  addAccessibleNames(dialog);
  for (const auto& name : programmeTypeNames()) {
    dialog.initialStrings.push_back({control::kProgrammeTypeList, name});
  }
  for (const auto& name : decoderIdNames()) {
    dialog.initialStrings.push_back({control::kDecoderIdList, name});
  }
  return dialog;
}

}  // namespace orvane
