#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QTest>

#include "AboutTemplate.h"
#include "CAboutDlg.h"
#include "CConsoleApp.h"
#include "DialogTemplateRegistry.h"
#include "MessageBoxRecorder.h"
#include "MessageStyle.h"
#include "ModalRun.h"

namespace orvane::test {
namespace {

// A workstation whose socket layer cannot start.
class NoSocketsApp : public CConsoleApp {
 protected:
  bool startSocketLayer() override { return false; }
};

TEST(ConsoleApp, WithoutSocketsItSaysSoAndEndsBeforeAnyWindow) {
  MessageBoxRecorder boxes;
  NoSocketsApp app;
  EXPECT_EQ(app.run(), 0);
  ASSERT_EQ(boxes.shown.size(), 1U);
  EXPECT_EQ(boxes.shown[0].text, "Windows sockets initialization failed.");
  EXPECT_EQ(boxes.shown[0].title, app.title());
  EXPECT_EQ(app.mainWindow(), nullptr);
}

class AboutBox : public ::testing::Test {
 protected:
  AboutBox() { DialogTemplateRegistry::add(aboutTemplate()); }
  ~AboutBox() override { DialogTemplateRegistry::remove(kAboutTemplateId); }
  CAboutDlg about;
};

TEST_F(AboutBox, ShowsTheVersionAndClosesWithOkEnterOrEscape) {
  const int byOk = runModal(about, [&] {
    bool versionShown = false;
    for (const QLabel* label : about.window()->findChildren<QLabel*>()) {
      versionShown = versionShown || label->text() == "Orvane Version 1.0";
    }
    EXPECT_TRUE(versionShown);
    // Without a title bar, a raised edge (light above and left, dark below and right) sets the
    // box off from the grey console behind it.
    const QImage face = about.window()->grab().toImage();
    EXPECT_NE(face.pixel(0, face.height() / 2), face.pixel(face.width() - 1, face.height() / 2));
    QTest::keyClick(about.window()->focusWidget(), Qt::Key_Return);
  });
  EXPECT_EQ(byOk, message::kAnswerOk);
  const int byEscape =
      runModal(about, [&] { QTest::keyClick(about.window()->focusWidget(), Qt::Key_Escape); });
  EXPECT_EQ(byEscape, message::kAnswerCancel);
}

}  // namespace
}  // namespace orvane::test
