#pragma once

#include "CDialog.h"

namespace orvane {

// The About box: no handlers of its own; OK, Enter or Escape close it.
class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(CWnd* parent = nullptr);
};

}  // namespace orvane
