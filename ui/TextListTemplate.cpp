#include "TextListTemplate.h"

#include "ControlId.h"
#include "Cp1252.h"

namespace orvane {
namespace {

using K = ControlKind;

ControlStyle numberEdit() {
  ControlStyle style;
  style.border = true;
  style.autoHScroll = true;
  return style;
}

}  // namespace

DialogTemplate textListTemplate() {
  using namespace listcontrol;
  DialogTemplate dialog;
  dialog.id = kTextListTemplateId;
  dialog.caption = pt("Controlo de fluxo radio-texto automático");
  dialog.width = 367;
  dialog.height = 221;
  dialog.frame.titleBar = true;
  dialog.frame.systemMenu = false;  // no close box: the editor is left through OK or Cancel

  ControlStyle listStyle;
  listStyle.border = true;
  listStyle.singleSelection = true;
  listStyle.showSelectionAlways = true;
  ControlStyle countStyle;
  countStyle.readOnly = true;
  countStyle.alignCenter = true;
  countStyle.digitsOnly = true;
  countStyle.noBorder = true;
  countStyle.noTabStop = true;

  auto& c = dialog.controls;
  c.push_back(
      {kEntryList, K::ListView, "", {5, 5, 355, 150}, listStyle, {}, pt("Lista de radio-texto")});
  c.push_back({kOrderNumber, K::Edit, "", {135, 175, 25, 12}, numberEdit(), {}, {}});
  c.push_back({kEntryText, K::Edit, "", {30, 160, 330, 12}, numberEdit(), {}, {}});
  c.push_back({kDwellUnits, K::Edit, "", {80, 175, 25, 12}, numberEdit(), {}, {}});
  c.push_back({control::kOk, K::DefPushButton, "OK", {310, 200, 50, 14}, {}, {}, {}});
  c.push_back({control::kCancel, K::PushButton, "Cancel", {310, 180, 50, 14}, {}, {}, {}});
  c.push_back({kNoControlId, K::Label, "Texto", {5, 162, 19, 8}, {}, {}, {}});
  c.push_back({kNoControlId, K::Label, "Timing ( ciclos  * 15s )", {5, 177, 70, 8}, {}, {}, {}});
  c.push_back({kNoControlId, K::Label, "Ordem", {110, 177, 22, 8}, {}, {}, {}});
  c.push_back({kNewRow, K::PushButton, "Nova linha", {10, 195, 50, 14}, {}, {}, {}});
  c.push_back({kClearFields, K::PushButton, "Apagar", {70, 195, 50, 14}, {}, {}, {}});
  c.push_back({kCharsLeft, K::Edit, "", {225, 175, 20, 12}, countStyle, {}, {}});
  c.push_back({kNoControlId, K::Label, pt("Espaço restante"), {169, 177, 52, 8}, {}, {}, {}});
  c.push_back({kDeleteRow, K::PushButton, "Apagar linha", {130, 195, 50, 14}, {}, {}, {}});
  return dialog;
}

}  // namespace orvane
