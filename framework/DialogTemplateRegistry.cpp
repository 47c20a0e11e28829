#include "DialogTemplateRegistry.h"

#include <map>
#include <utility>

namespace orvane {
namespace {
std::map<int, DialogTemplate>& templates() {
  static std::map<int, DialogTemplate> all;
  return all;
}
}  // namespace

void DialogTemplateRegistry::add(DialogTemplate dialog) {
  const int id = dialog.id;
  templates().insert_or_assign(id, std::move(dialog));
}

void DialogTemplateRegistry::remove(int id) {
  templates().erase(id);
}

const DialogTemplate* DialogTemplateRegistry::find(int id) {
  const auto found = templates().find(id);
  return found == templates().end() ? nullptr : &found->second;
}

}  // namespace orvane
