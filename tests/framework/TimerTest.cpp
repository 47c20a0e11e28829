#include <QAbstractEventDispatcher>
#include <QTest>
#include <QTimerEvent>

#include "FrameworkTestSupport.h"

namespace orvane::test {
namespace {

constexpr int kTick = 101;

class TimerTest : public DialogFixture {
 protected:
  TimerTest() : DialogFixture(640) {
    dialog.onTimer([this](int id) {
      ticks.push_back(id);
      if (onTick) onTick();
    });
  }
  QList<QAbstractEventDispatcher::TimerInfo> timers() {
    return QAbstractEventDispatcher::instance()->registeredTimers(dialog.window());
  }
  std::vector<int> ticks;
  std::function<void()> onTick;
};

TEST_F(TimerTest, TicksReachTheTimerHandlerUntilTheTimerOrItsWindowGoes) {
  whileOpen([&] {
    EXPECT_TRUE(dialog.setTimer(kTick, 5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks.size() >= 2; }));
    dialog.killTimer(kTick);
    EXPECT_TRUE(timers().isEmpty());
    dialog.setTimer(kTick, 1);
  });
  EXPECT_EQ(ticks.front(), kTick);
  ticks.clear();
  QCoreApplication::processEvents();
  EXPECT_TRUE(ticks.empty()) << "a tick outlived its window";
}

TEST_F(TimerTest, TicksNeverPileUpWhileOneWaits) {
  whileOpen([&] {
    dialog.setTimer(kTick, 60000);
    for (int i = 0; i < 5; ++i) {  // five expiries before the loop gets to the first tick
      QTimerEvent expired(timers().at(0).timerId);
      QCoreApplication::sendEvent(dialog.window(), &expired);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks.size(), 1u);
  });
}

TEST_F(TimerTest, ATickHandlerWaitingInAMessageBoxStillReceivesTicks) {
  int depth = 0;
  int deepest = 0;
  onTick = [&] {
    deepest = std::max(deepest, ++depth);
    if (ticks.size() == 1) {
      boxes.holdNextOpen([&] { return ticks.size() >= 3; });
      dialog.messageBox("Please enter a positive integer.");
    }
    --depth;
  };
  whileOpen([&] {
    dialog.setTimer(kTick, 5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks.size() >= 3 && depth == 0; }));
  });
  EXPECT_EQ(deepest, 2);
}

}  // namespace
}  // namespace orvane::test
