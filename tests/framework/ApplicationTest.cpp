#include <gtest/gtest.h>

#include "CWinApp.h"
#include "MessageBoxRecorder.h"
#include "MessageBoxes.h"
#include "StringTable.h"

namespace orvane {
namespace {

// A program's start-up written as it should be, over a socket layer that can be made to fail.
class TestApp : public CWinApp {
 public:
  bool initInstance() override {
    if (initSockets()) {
      reachedWindow = true;
    } else {
      frameworkMessageBox(strings::kSocketsFailed);
    }
    return false;
  }
  bool reachedWindow = false;
  bool refuse = true;
  int starts = 0;

 protected:
  bool startSocketLayer() override {
    ++starts;
    return !refuse;
  }
};

TEST(Application, ASocketLayerThatFailsEndsTheProgramWithString103) {
  MessageBoxRecorder boxes;
  TestApp app;
  EXPECT_EQ(app.run(), 0);
  EXPECT_FALSE(app.reachedWindow);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Windows sockets initialization failed.");
  EXPECT_EQ(boxes.shown[0].title, "framework_tests") << "the executable's base name";
  EXPECT_EQ(boxes.shown[0].style, message::kIconExclamation);
}

TEST(Application, TheSocketLayerStartsOnce) {
  TestApp app;
  app.refuse = false;
  EXPECT_TRUE(app.initSockets() && app.initSockets());
  EXPECT_EQ(app.starts, 1);
  EXPECT_TRUE(CWinApp().initSockets()) << "the real start on this thread";
}

}  // namespace
}  // namespace orvane
