#include "DialogTemplate.h"

namespace orvane {
namespace {

// "&About" shows as "About"; "&&" is a literal ampersand.
std::string withoutMnemonics(const std::string& caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    if (caption[i] != '\n') {
      out += caption[i];
    } else {
      out += ' ';
    }
  }
  return out;
}

bool overlapsVertically(const DialogRect& a, const DialogRect& b) {
  return a.y < b.y + b.height && b.y < a.y + a.height;
}

bool namesItself(ControlKind kind) {
  return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton ||
         kind == ControlKind::CheckBox || kind == ControlKind::GroupBox ||
         kind == ControlKind::Label;
}

}  // namespace

std::string accessibleNameOf(const DialogTemplate& dialog, const ControlTemplate& control) {
  if (!control.accessibleName.empty()) return control.accessibleName;
  if (namesItself(control.kind)) return withoutMnemonics(control.caption);
  const ControlTemplate* nearest = nullptr;
  for (const ControlTemplate& label : dialog.controls) {
    if (label.kind != ControlKind::Label || label.caption.empty()) continue;
    const int labelRight = label.rect.x + label.rect.width;
    if (labelRight > control.rect.x || !overlapsVertically(label.rect, control.rect)) continue;
    if (!nearest || labelRight > nearest->rect.x + nearest->rect.width) nearest = &label;
  }
  return nearest ? withoutMnemonics(nearest->caption) : std::string{};
}

int defaultButtonOf(const DialogTemplate& dialog) {
  for (const ControlTemplate& control : dialog.controls) {
    if (control.kind == ControlKind::DefPushButton) return control.id;
  }
  return 1;
}

}  // namespace orvane
