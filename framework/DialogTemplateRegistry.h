#pragma once

#include "DialogTemplate.h"

namespace orvane {

// The dialog templates of the program, by identifier. The layers that own dialogs register
// their templates once at start-up.
class DialogTemplateRegistry {
 public:
  // Adds the template, replacing one with the same identifier.
  static void add(DialogTemplate dialog);
  static void remove(int id);
  // Null when no template has that identifier.
  static const DialogTemplate* find(int id);
};

}  // namespace orvane
