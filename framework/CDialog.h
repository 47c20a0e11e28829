#pragma once

#include <QEventLoop>
#include <optional>

#include "CWnd.h"
#include "DialogTemplate.h"

namespace orvane {

class DataExchange;

// A modal dialog built from a registered template (DialogTemplateRegistry). A dialog class
// declares its exchange list in doDataExchange(), its start in onInitDialog() (calling the base
// first) and may replace onOK() and onCancel(). Button 1 and Enter on the default button run
// onOK(); button 2, Escape and the window's close box run onCancel().
class CDialog : public CWnd {
 public:
  explicit CDialog(int templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Runs the dialog until endDialog(): -1 at once when the template is missing. The owner (the
  // parent, else the application's main window) stays disabled meanwhile.
  int doModal();
  // Ends the modal run with `result` once the handler that called it has returned.
  void endDialog(int result);

  // Runs the exchange list once: window to record (validating) or record to window. False when
  // a step failed; the operator has then been told and the focus is on the failing control.
  bool updateData(bool toRecord = true);

  int templateId() const { return templateId_; }
  // The innermost dialog in a modal run, or null.
  static CDialog* innermostModal();

 protected:
  virtual void doDataExchange(DataExchange& exchange);
  // Adds the template's initial strings, then shows the record; on failure ends the dialog with
  // -1 and returns false. True lets the framework put the focus on the first tab stop.
  virtual bool onInitDialog();
  // Window to record; ends the dialog with 1 when that succeeds.
  virtual void onOK();
  // Ends the dialog with 2, without a transfer.
  virtual void onCancel();

  int defaultCommandId() const override;

 private:
  QWidget* findOwner() const;
  void createWindow(const DialogTemplate& dialog, QWidget* owner);
  void destroyWindow();
  bool addInitialStrings();
  void focusFirstTabStop();

  int templateId_;
  CWnd* parent_;
  std::optional<DialogTemplate> template_;  // the one in use during a modal run
  int result_ = -1;
  bool ended_ = false;
  QEventLoop* loop_ = nullptr;
};

}  // namespace orvane
