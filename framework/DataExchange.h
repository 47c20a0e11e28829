#pragma once

#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

class CComboBox;
class CIPAddressCtrl;
class CListCtrl;
class CWnd;

// One transfer between a dialog's controls and its fields, in one direction. A dialog lists
// its steps in doDataExchange(); each step moves one field, in list order:
//
//   void MyDialog::doDataExchange(DataExchange& dx) {
//     dx.control(1000, typeList);
//     dx.number(1005, day);
//     dx.range(day, 1, 31);        // checks the step just before
//     dx.text(1013, line);
//     dx.maxChars(line, 64);       // also limits what the operator can type
//   }
//
// Reading (window to record) validates. A failing step tells the operator in the framework
// message box, puts the focus on its control (selecting an edit's text) and makes every later
// step do nothing; the transfer then returns false.
class DataExchange {
 public:
  DataExchange(CWnd& window, bool toRecord);

  bool toRecord() const { return toRecord_; }
  bool failed() const { return failed_; }

  // Attach a wrapper to its control, once; later transfers leave it as it is.
  void control(int controlId, CComboBox& combo);
  void control(int controlId, CIPAddressCtrl& address);
  void control(int controlId, CListCtrl& list);

  void text(int controlId, std::string& value);
  // Shown as plain decimal; read with parseUnsigned(). A text that is no number leaves the
  // field as it was.
  void number(int controlId, std::uint32_t& value);
  // A signed field shown and read as its unsigned 32-bit pattern.
  void number(int controlId, std::int32_t& value);
  // 0 unchecked, 1 checked, 2 indeterminate; a field outside 0..2 is set to 0 before it is
  // shown.
  void check(int controlId, std::int32_t& value);

  // Checks the field of the step just before (reading only), comparing unsigned.
  void range(std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum);
  // Checks the string of the step just before (reading only) and, unless that fails, limits
  // the edit to `limit` characters of operator input.
  void maxChars(const std::string& value, std::size_t limit);

 private:
  QWidget* prepare(int controlId, bool edit);
  void fail(const std::string& message);
  void unsupported();
  // Reports an unsupported step unless `ok`; returns `ok`.
  bool supported(bool ok);

  CWnd& window_;
  bool toRecord_;
  bool failed_ = false;
  QPointer<QWidget> lastControl_;
  bool lastWasEdit_ = false;
};

}  // namespace orvane
