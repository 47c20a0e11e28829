#include <gtest/gtest.h>

#include <algorithm>

#include "ConsoleHarness.h"
#include "ConsoleTick.h"

namespace orvane {
namespace {

// A window whose read fails validation and, like a real report box, delivers further ticks
// while the report is open.
class ReportingWindow : public test::FakeConsoleWindow {
 public:
  ConsoleTick* tick = nullptr;
  int reportsOpen = 0;
  int deepestReports = 0;
  bool fieldValid = false;
  bool handlerReportOpen = false;
  bool isTransferring() const override { return handlerReportOpen; }
  bool transferToRecord() override {
    FakeConsoleWindow::transferToRecord();
    if (fieldValid) return true;
    ++reportsOpen;
    deepestReports = std::max(deepestReports, reportsOpen);
    for (int i = 0; i < 3; ++i) tick->onTick();  // seconds pass while the report is open
    --reportsOpen;
    return false;
  }
};

TEST(ConsoleTick, AnInvalidFieldNeverStacksOneReportPerSecond) {
  ReportingWindow window;
  test::FakeEncoderLink link;
  test::FakeRadiotextSource list;
  ConsoleCore core(window, link, list);
  window.tick = &core.tick();
  link.open = true;
  core.queue().append("TA=01");
  core.queue().append("TP=01");
  core.queue().startBatch();

  core.tick().onTick();
  EXPECT_EQ(window.deepestReports, 1);
  EXPECT_EQ(window.transfersToRecord, 1);
  EXPECT_EQ(link.sent.size(), 1U);  // the tick itself still drains; the nested ones did not run
  EXPECT_EQ(window.transfersToWindow, 1);

  // Nor does a tick start while a handler's report is open.
  window.fieldValid = true;
  window.handlerReportOpen = true;
  core.tick().onTick();
  EXPECT_EQ(window.transfersToRecord, 1);
  window.handlerReportOpen = false;

  // Once the field is valid, the ticks transfer, drain and rotate again.
  core.tick().onTick();
  core.tick().onTick();
  EXPECT_EQ(link.sent.size(), 2U);
  EXPECT_EQ(core.state().busy, 0);
}

}  // namespace
}  // namespace orvane
