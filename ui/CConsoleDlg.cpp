#include "CConsoleDlg.h"

#include <QAction>
#include <QIcon>

#include "CTextListDlg.h"
#include "ConsoleTemplate.h"
#include "ControlId.h"
#include "Cp1252Text.h"
#include "DataExchange.h"
#include "Notification.h"
#include "SettingsReader.h"
#include "StringTable.h"

namespace orvane {
namespace {

constexpr std::uint32_t kFirstDay = 1;
constexpr std::uint32_t kLastDay = 31;
constexpr std::uint32_t kFirstPort = 1;
constexpr std::uint32_t kLastPort = 32767;
constexpr int kFirstProgrammeType = 0;
constexpr int kStereoDecoderId = 1;

}  // namespace

CConsoleDlg::CConsoleDlg(std::filesystem::path workingFolder, CWnd* parent)
    : CDialog(kConsoleTemplateId, parent),
      workingFolder_(std::move(workingFolder)),
      listFile_(workingFolder_),
      core_(*this, socket_, listFile_) {
  bindHandlers();
}

void CConsoleDlg::bindHandlers() {
  using namespace control;
  // The parts live as long as the dialog; the handlers hold them by pointer.
  EncoderConnection* connection = &core_.connection();
  UpdateActions* updates = &core_.updates();
  WindowHandlers* handlers = &core_.handlers();
  onCommand(kProgrammeTypeList, notify::kSelectionChanged,
            [handlers] { handlers->programmeTypeSelected(); });
  onCommand(kDisconnect, notify::kClicked, [connection] { connection->closeProcedure(); });
  onCommand(kConnect, notify::kClicked, [connection] { connection->connect(); });
  onCommand(kUpdateProgramme, notify::kClicked, [updates] { updates->programmeUpdate(); });
  onCommand(kUpdateText, notify::kClicked, [updates] { updates->textUpdate(); });
  onCommand(kRadioText1, notify::kEditLostFocus, [handlers] { handlers->radioTextLeft(); });
  onTimer([this](int) { core_.tick().onTick(); });
  onCommand(kUpdateSpecial, notify::kClicked, [updates] { updates->specialUpdate(); });
  onCommand(kAdvancedFunctions, notify::kClicked,
            [handlers] { handlers->unlockAdvancedFunctions(); });
  onCommand(kDecoderIdList, notify::kSelectionChanged,
            [handlers] { handlers->decoderIdSelected(); });
  onCommand(kRadioText2, notify::kEditLostFocus, [handlers] { handlers->radioTextLeft(); });
  onCommand(kEditList, notify::kClicked, [this] { openListEditor(); });
}

void CConsoleDlg::doDataExchange(DataExchange& dx) {
  using namespace control;
  ConsoleState& s = core_.state();
  dx.control(kDecoderIdList, decoderIdList_);
  dx.control(kServerAddress, serverAddress_);
  dx.control(kProgrammeTypeList, programmeTypeList_);
  dx.check(kGroup1A, s.group1A);
  dx.check(kGroup4A, s.group4A);
  dx.text(kPtyCode, s.ptyCode);
  dx.number(kPinDay, s.pinDay);
  dx.range(s.pinDay, kFirstDay, kLastDay);
  dx.text(kPinTime, s.pinTime);
  dx.number(kServerPort, s.serverPort);
  dx.range(s.serverPort, kFirstPort, kLastPort);
  dx.text(kRadioText1, s.radioText1);
  dx.maxChars(s.radioText1, kRadioTextLength);
  dx.text(kRadioText2, s.radioText2);
  dx.maxChars(s.radioText2, kRadioTextLength);
  dx.text(kPsName, s.psName);
  dx.check(kMusicFlag, s.musicFlag);
  dx.check(kTaFlag, s.taFlag);
  dx.check(kTpFlag, s.tpFlag);
  dx.check(kTimeInPsFlag, s.timeInPsFlag);
  dx.text(kDiCode, s.diCode);
  dx.check(kAutoRotate, s.autoRotate);
  dx.number(kRotateCountdown, s.rotateCountdown);
}

bool CConsoleDlg::onInitDialog() {
  if (!CDialog::onInitDialog()) return false;
  addAboutMenu();
  setWindowIcons();
  applyStartupState();
  socket_.setConsole(core_.connection());
  readSettings(workingFolder_, core_.state(), *this);
  (void)updateData(false);
  core_.resetControlState();
  setTimer(ConsoleTick::kTimerId, ConsoleTick::kPeriodMs);
  core_.resetRotation();
  return true;
}

// Linux window managers keep a window's own menu to themselves, so the About item lives in the
// console's context menus instead (right mouse button or the Menu key): the window's own, and,
// last after a separator, those of its edits and list fields, where the focus mostly is.
void CConsoleDlg::addAboutMenu() {
  const std::string caption = StringTable::load(strings::kAboutMenuItem);
  QWidget* dialog = window();
  if (caption.empty() || dialog == nullptr) return;
  auto* about = new QAction(qStringFromCp1252(caption), dialog);
  QObject::connect(about, &QAction::triggered, dialog, [this] { onSysCommand(kAboutCommand); });
  dialog->addAction(about);
  dialog->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CConsoleDlg::setWindowIcons() {
  if (window() == nullptr) return;
  QIcon icon;
  icon.addFile(QStringLiteral(":/orvane/orvane-32.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/orvane/orvane-16.png"), QSize(16, 16));
  window()->setWindowIcon(icon);
}

void CConsoleDlg::applyStartupState() {
  applyStartupValues(core_.state());
  setServerAddress(kDefaultServerAddress);
  selectProgrammeType(kFirstProgrammeType);
  selectDecoderId(kStereoDecoderId);
}

void CConsoleDlg::onSysCommand(unsigned commandId) {
  if ((commandId & kSystemCommandMask) == kAboutCommand && aboutHandler_) aboutHandler_();
}

void CConsoleDlg::onOK() {
  if (core_.handlers().mayLeave()) CDialog::onOK();
}

void CConsoleDlg::openListEditor() {
  CTextListDlg editor(workingFolder_);
  (void)editor.doModal();
}

void CConsoleDlg::enableControl(int controlId, bool enabled) {
  CWnd::enableControl(controlId, enabled);
}

int CConsoleDlg::showMessage(const std::string& text, const std::optional<std::string>& title,
                             unsigned style) {
  return messageBox(text, title, style);
}

std::uint32_t CConsoleDlg::serverAddress() const {
  std::uint32_t address = 0;
  serverAddress_.getAddress(address);
  return address;
}

}  // namespace orvane
