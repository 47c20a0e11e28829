#include "FrameworkTestSupport.h"

#include <QTest>
#include <QTimer>

namespace orvane::test {

ControlTemplate controlOf(int id, ControlKind kind, DialogRect rect, std::string caption,
                          ControlStyle style) {
  return {id, kind, std::move(caption), rect, style, {}, {}};
}

DialogTemplate sampleTemplate(int id, bool consoleCancel) {
  DialogTemplate dialog{.id = id, .caption = "Sample", .width = 300, .height = 200};
  const ControlStyle edit{.sunkenEdge = true, .autoHScroll = true};
  const ControlKind ok = consoleCancel ? ControlKind::PushButton : ControlKind::DefPushButton;
  const ControlKind cancel = consoleCancel ? ControlKind::DefPushButton : ControlKind::PushButton;
  dialog.controls = {
      controlOf(kNoControlId, ControlKind::Label, {5, 7, 30, 8}, "RTXT1"),
      controlOf(kText1, ControlKind::Edit, {40, 5, 200, 12}, {}, edit),
      controlOf(kNoControlId, ControlKind::Label, {5, 22, 30, 8}, "RTXT2"),
      controlOf(kText2, ControlKind::Edit, {40, 20, 200, 12}, {}, edit),
      controlOf(kDay, ControlKind::Edit, {40, 35, 30, 12}, {}, {.border = true}),
      controlOf(kFlag, ControlKind::CheckBox, {80, 35, 60, 10}, "Grupo 1A"),
      controlOf(kList, ControlKind::SimpleCombo, {5, 50, 100, 60}, {}, {.vScroll = true}),
      controlOf(kAddress, ControlKind::IpAddress, {110, 50, 70, 12}),
      controlOf(kRows, ControlKind::ListView, {110, 65, 180, 60}, {}, {.singleSelection = true}),
      controlOf(kAction, ControlKind::PushButton, {5, 180, 50, 14}, "Conectar"),
      controlOf(1, ok, {180, 180, 50, 14}, "OK"),
      controlOf(2, cancel, {240, 180, 50, 14}, "Cancel",
                {.disabled = consoleCancel, .hidden = consoleCancel}),
  };
  return dialog;
}

}  // namespace orvane::test
