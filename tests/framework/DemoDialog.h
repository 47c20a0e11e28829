#pragma once

#include <cstdint>
#include <string>

#include "CComboBox.h"
#include "CDialog.h"
#include "CIPAddressCtrl.h"

namespace orvane::test {

// One station's settings, as the demo dialog edits them.
struct StationSettings {
  std::string name = "Antena 1";
  std::uint32_t port = 6969;
  std::int32_t music = 1;
  std::uint32_t address = 0x7F000001;
  int type = 1;
  std::string typeCode = "01";
};

// A small dialog built the way the console's dialogs are: a template in dialog units, an
// exchange list with checks, a selection handler that transfers both ways, and its own
// initialisation and OK.
class DemoDialog : public CDialog {
 public:
  static constexpr int kTemplateId = 690;
  static constexpr int kName = 1016;
  static constexpr int kPort = 1011;
  static constexpr int kMusic = 1021;
  static constexpr int kAddress = 1010;
  static constexpr int kType = 1000;
  static constexpr int kTypeCode = 1017;

  static DialogTemplate dialogTemplate();
  explicit DemoDialog(StationSettings& settings);

 protected:
  void doDataExchange(DataExchange& dx) override;
  bool onInitDialog() override;
  void onOK() override;

 private:
  void typeChosen();

  StationSettings& settings_;
  CComboBox type_;
  CIPAddressCtrl address_;
};

}  // namespace orvane::test
