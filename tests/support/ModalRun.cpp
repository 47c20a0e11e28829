#include "ModalRun.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

namespace orvane::test {

int runModal(CDialog& dialog, std::function<void()> whileOpen) {
  // Owned here, so a script whose dialog never reached its loop cannot fire in a later test.
  QTimer starter;
  starter.setSingleShot(true);
  QObject::connect(&starter, &QTimer::timeout, [&dialog, script = std::move(whileOpen)] {
    dialog.window()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.window()));
    script();
  });
  starter.start(0);
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&dialog] { dialog.endDialog(-99); });
  watchdog.start(10000);
  return dialog.doModal();
}

}  // namespace orvane::test
