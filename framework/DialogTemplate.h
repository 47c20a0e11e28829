#pragma once

#include <string>
#include <vector>

namespace orvane {

// A dialog as its designer wrote it: sizes and positions in dialog units (a quarter of the
// dialog font's average character width, an eighth of its height), texts in the console's
// code page. Plain data; the framework builds the window from it on every modal run.

enum class ControlKind {
  PushButton,
  DefPushButton,  // the push button that Enter presses when no push button has the focus
  CheckBox,       // automatic: a click toggles it
  Edit,           // single line
  SimpleCombo,    // an edit field over a list that is always open
  IpAddress,      // four decimal fields
  ListView,       // report view
  Picture,
  GroupBox,
  Label,
};

struct ControlStyle {
  bool disabled = false;
  bool hidden = false;
  bool readOnly = false;
  bool digitsOnly = false;
  bool alignRight = false;
  bool alignCenter = false;
  bool noTabStop = false;  // reachable by mouse only
  bool border = false;
  bool sunkenEdge = false;
  bool noBorder = false;
  bool autoHScroll = false;
  bool vScroll = false;
  bool multiLine = false;  // a label that breaks into lines
  bool singleSelection = false;
  bool showSelectionAlways = false;
};

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

inline constexpr int kNoControlId = -1;

struct ControlTemplate {
  int id = kNoControlId;
  ControlKind kind = ControlKind::Label;
  std::string caption{};
  DialogRect rect{};
  ControlStyle style{};
  std::string picture{};         // image file or Qt resource path, for a picture
  std::string accessibleName{};  // when neither the caption nor a label beside it names it
};

struct DialogFrame {
  bool titleBar = true;
  bool systemMenu = true;  // brings the close box
  bool minimizeBox = false;
  bool taskbarWindow = false;  // shown in the task bar like an application window
};

// Initialisation data: a string added, in order, to a control's list before anything else
// happens in the window.
struct InitialString {
  int controlId = kNoControlId;
  std::string text{};
};

struct DialogTemplate {
  int id = 0;
  std::string caption{};
  int width = 0;
  int height = 0;
  std::string fontFamily = "MS Sans Serif";
  int fontPoints = 8;
  DialogFrame frame{};
  std::vector<ControlTemplate> controls{};  // creation order, which is also the tab order
  std::vector<InitialString> initialStrings{};
};

// The control's name for screen readers: its caption without mnemonic marks, else the nearest
// label on its left within its height, else its template's accessible name.
std::string accessibleNameOf(const DialogTemplate& dialog, const ControlTemplate& control);

// The identifier of the template's default push button; 1 (OK) when it names none.
int defaultButtonOf(const DialogTemplate& dialog);

}  // namespace orvane
