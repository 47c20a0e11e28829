#pragma once

// Notification codes that a control sends with its identifier, as the dialogs bind them.
namespace orvane::notify {

inline constexpr int kClicked = 0;           // push button or check box
inline constexpr int kSelectionChanged = 1;  // combo box, by the operator
inline constexpr int kEditLostFocus = 0x0200;
inline constexpr int kEditChanged = 0x0300;  // edit text changed
inline constexpr int kDoubleClick = -3;      // list view, delivered as a notify message

}  // namespace orvane::notify
