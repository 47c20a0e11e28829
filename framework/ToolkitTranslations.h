#pragma once

#include <QTranslator>

namespace orvane {

// The toolkit's own words (the buttons of message boxes, the edit menus) in the console's
// language, for as long as this object lives: Qt's Brazilian Portuguese catalogue, with the
// few words that European Portuguese says otherwise laid over it from the program's own file.
class ToolkitTranslations {
 public:
  ToolkitTranslations();
  ToolkitTranslations(const ToolkitTranslations&) = delete;
  ToolkitTranslations& operator=(const ToolkitTranslations&) = delete;

 private:
  QTranslator qt_;
  QTranslator overrides_;
};

}  // namespace orvane
