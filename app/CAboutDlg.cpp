#include "CAboutDlg.h"

#include "AboutTemplate.h"

namespace orvane {

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(kAboutTemplateId, parent) {}

}  // namespace orvane
