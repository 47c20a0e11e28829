#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <string>

#include "AboutTemplate.h"
#include "CAboutDlg.h"
#include "CConsoleApp.h"
#include "CConsoleDlg.h"
#include "ControlId.h"
#include "DialogTemplateRegistry.h"
#include "LoopbackPeer.h"
#include "MessageBoxRecorder.h"
#include "MessageStyle.h"
#include "ModalRun.h"
#include "TempDir.h"

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

void click(CDialog& dialog, int id) {
  QTest::mouseClick(qobject_cast<QAbstractButton*>(dialog.controlWidget(id)), Qt::LeftButton);
}

// The console's port field stops at 32767, below the ports the system hands out for "any port".
void listenBelowAnyPort(test::LoopbackPeer& encoder) {
  ::close(encoder.listener);
  encoder.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  for (unsigned port = 20000 + getpid() % 12000; port < 32768; port += 131) {
    sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    if (::bind(encoder.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      encoder.port = port;
      ::listen(encoder.listener, 4);
      return;
    }
  }
}

// A desktop logout (SIGTERM) or a closed terminal (SIGHUP) ends the console as leaving does, also
// from under the list editor: the connection closed, the program ended normally. A save that
// passed the file-size limit before it is a failed save, with nothing left behind, not the end.
TEST(ConsoleApp, ALogoutEndsItAsLeavingAndAFileSizeLimitFailsOnlyTheSave) {
  rlimit unlimited{};
  getrlimit(RLIMIT_FSIZE, &unlimited);
  for (const int signal : {SIGTERM, SIGHUP}) {
    test::TempDir station;
    test::LoopbackPeer encoder(false);
    listenBelowAnyPort(encoder);
    station.write("DEF.INI", "[CLIENT]SOCKET=7F000001@ " + std::to_string(encoder.port) + "\n");
    std::string rows;  // 3000 bytes, as the editor saves them back
    for (int row = 0; row < 60; ++row) rows += "[1][1]" + std::string(42, 'x') + "\r\n";
    station.write("RDSTXT.TXT", rows);
    MessageBoxRecorder boxes;
    CConsoleApp app(station.path());
    QTimer::singleShot(0, [&] {
      auto* console = dynamic_cast<CConsoleDlg*>(app.mainWindow());
      click(*console, control::kConnect);
      QTRY_VERIFY_WITH_TIMEOUT(console->state().connected == 1, 5000);
      QTimer::singleShot(0, [&] {  // in the editor
        const rlimit limited{1000, unlimited.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        click(*CDialog::innermostModal(), control::kOk);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        raise(signal);
      });
      click(*console, control::kEditList);
    });
    EXPECT_EQ(app.run(), 0);
    // The logout ended every event loop of the process; the tests that follow need them again.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    char byte = 0;
    EXPECT_TRUE(encoder.accept() && test::waitReadable(encoder.connections.back()) &&
                recv(encoder.connections.back(), &byte, 1, 0) == 0);
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].title, "ERRO DE ESCRITA A RDSTXT.TXT");
    EXPECT_EQ(station.read("RDSTXT.TXT"), rows);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(station.path()), {}), 2);
  }
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
