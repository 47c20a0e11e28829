#include "AboutTemplate.h"

#include "ControlId.h"
#include "Cp1252.h"

namespace orvane {

DialogTemplate aboutTemplate() {
  using K = ControlKind;
  DialogTemplate dialog;
  dialog.id = kAboutTemplateId;
  dialog.caption = pt("Acerca do Orvane");  // not shown: the box has no title bar
  dialog.width = 279;
  dialog.height = 70;
  dialog.frame.titleBar = false;
  dialog.frame.systemMenu = false;

  ControlTemplate icon{kNoControlId, K::Picture, "", {11, 17, 21, 20}, {}, {}, {}};
  icon.picture = ":/orvane/orvane-32.png";
  auto& c = dialog.controls;
  c.push_back(icon);
  c.push_back({kNoControlId, K::Label, "Orvane Version 1.0", {40, 15, 119, 8}, {}, {}, {}});
  c.push_back({kNoControlId,
               K::Label,
               pt("Consola de operador para codificadores RDS."),
               {40, 25, 230, 8},
               {},
               {},
               {}});
  c.push_back({kNoControlId,
               K::Label,
               pt("Feita pelos engenheiros do Orvane, para quem está no ar."),
               {41, 38, 230, 8},
               {},
               {},
               {}});
  c.push_back({control::kOk, K::DefPushButton, "OK", {222, 49, 50, 14}, {}, {}, {}});
  return dialog;
}

}  // namespace orvane
