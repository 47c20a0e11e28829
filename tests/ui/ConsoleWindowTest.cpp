// The console window on real widgets, driven with the mouse and keys, and against the real
// orvane-encoder on a loopback port.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QWindow>

#include "ConsoleWindowFixture.h"
#include "ControlId.h"
#include "Cp1252.h"
#include "Cp1252Text.h"
#include "EncoderProcess.h"
#include "IpAddressEdit.h"
#include "MessageStyle.h"
#include "ToolkitTranslations.h"

namespace orvane::test {
namespace {

using namespace control;

class ConsoleWindowTest : public ConsoleWindowFixture {
 protected:
  // Everything the settings file can set, as the window shows it.
  std::string settingsShown() const {
    return QString::number(widget<IpAddressEdit>(kServerAddress)->address(), 16).toStdString() +
           "|" +
           texts({kServerPort, kProgrammeTypeList, kPtyCode, kDecoderIdList, kDiCode, kPinDay,
                  kPinTime, kRadioText1, kRadioText2, kPsName, kRotateCountdown}) +
           "|" +
           ticked({kMusicFlag, kTpFlag, kTaFlag, kTimeInPsFlag, kGroup1A, kGroup4A, kAutoRotate});
  }
  // Tabs into the address (unless `goOn`) and types there, each key going to the field that has
  // the focus by then ('\b' is Backspace); gives the address then shown.
  std::string typeAddress(const std::string& keys, bool goOn = false) {
    if (!goOn) widget(kServerAddress)->setFocus(Qt::TabFocusReason);
    for (const char c : keys) {
      QWidget* field = console->window()->focusWidget();
      c == '\b' ? QTest::keyClick(field, Qt::Key_Backspace) : QTest::keyClick(field, c);
    }
    return QString::number(widget<IpAddressEdit>(kServerAddress)->address(), 16).toStdString();
  }
  // Opens the context menu of `target` with the right button (at `at`, else its middle) or the
  // Menu key, gives its items without their shortcuts, and chooses the last with Up and Enter.
  static constexpr QPoint kMenuKey{-1, -1};
  std::string contextMenu(QWidget* target, QPoint at = {}) {
    std::string items;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      look.stop();
      for (const QAction* item : menu->actions())
        items += "|" + cp1252FromQString(item->text().section(u'\t', 0, 0));
      QTest::keyClick(menu, Qt::Key_Up);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    look.start(1);
    if (at == kMenuKey) {  // the window system makes the key a menu request to the focus
      target->setFocus(Qt::TabFocusReason);
      QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, {}, target->mapToGlobal(QPoint()));
      QApplication::sendEvent(target, &menuKey);
    } else {  // through the window, where a click becomes a menu request
      const QPoint point =
          target->mapTo(target->window(), at.isNull() ? target->rect().center() : at);
      QTest::mouseClick(target->window()->windowHandle(), Qt::RightButton, {}, point);
    }
    return items.erase(0, 1);
  }
};

TEST_F(ConsoleWindowTest, ItStartsFromTheSettingsFileOrElseFromTheBuiltInValues) {
  whileOpen([&] {
    EXPECT_EQ(settingsShown(),
              pt("7f000001|6969|Não definido|00|Emissão Estereo.|01|1|00:00||||0|1100000"));
    EXPECT_EQ(enabled({kConnect, kEditList, kAdvancedFunctions, kOk, kDisconnect, kUpdateProgramme,
                       kUpdateText, kUpdateSpecial, kPsName, kTimeInPsFlag, kDecoderIdList}),
              "11110000000");
    EXPECT_FALSE(widget(kCancel)->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), widget(kRadioText1));
  });
  folder.write("def.ini",  // copied from Windows in another letter case
               "[CLIENT]SOCKET=0A000002@7000\r\n[CLIENT]SETPTY=0A\r\n[CLIENT]SETDI=03\r\n"
               "[CLIENT]SETBMS=0\r\n[CLIENT]SETBTA=1\r\n[CLIENT]SETBTP=0\r\n[CLIENT]SETGR4=1\r\n"
               "[CLIENT]setgr1=FF\r\n[CLIENT]SETTXT1=Bom dia a todos\r\n[CLIENT]SETTXT2=Musica\r\n"
               "[CLIENT]SETPSN=RADIO\r\n");
  console = std::make_unique<CConsoleDlg>(folder.path());
  whileOpen([&] {
    EXPECT_EQ(settingsShown(), pt("a000002|7000|Música Pop|0A|Emissão Estereo Simulado.|03|1|00:00|"
                                  "Bom dia a todos|Musica|RADIO|0|0010110"));
  });
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ConsoleWindowTest, TheCodeListsShowTheirCodesEvenWhileAFieldIsInvalid) {
  whileOpen([&] {
    boxes.answers = {message::kAnswerNo, message::kAnswerYes};
    click(kAdvancedFunctions);
    EXPECT_EQ(enabled({kAdvancedFunctions, kPsName, kTimeInPsFlag, kDecoderIdList}), "1000");
    click(kAdvancedFunctions);
    EXPECT_EQ(enabled({kAdvancedFunctions, kPsName, kTimeInPsFlag, kDecoderIdList}), "0111");

    choose(kProgrammeTypeList, 31);
    EXPECT_EQ(texts({kProgrammeTypeList, kPtyCode}), "Alarme !!!|1F");
    type(kPinDay, "32");
    choose(kProgrammeTypeList, 10);
    choose(kDecoderIdList, 7);
    EXPECT_EQ(texts({kProgrammeTypeList, kPtyCode, kDiCode, kPinDay}), pt("Música Pop|0A|07|32"));
    EXPECT_EQ(boxes.shown.back().text, "Please enter an integer between 1 and 31.");

    // A Ctrl+click takes no selection away: the next updates still send the codes shown.
    choose(kProgrammeTypeList, 10, Qt::ControlModifier);
    choose(kDecoderIdList, 7, Qt::ControlModifier);
    EXPECT_EQ(console->programmeTypeSelection(), 10);
    EXPECT_EQ(console->decoderIdSelection(), 7);
  });
}

TEST_F(ConsoleWindowTest, AnAddressTypedOrPastedInOneGoIsTheAddressGiven) {
  whileOpen([&] {
    EXPECT_EQ(typeAddress("192.168.1.50"), "c0a80132");  // a dot after a full field confirms it
    EXPECT_EQ(typeAddress("10.0.0.2"), "a000002");       // each field entered is replaced
    EXPECT_EQ(typeAddress("300.1.2.3"), "ff010203");     // 255 at most, with a beep
    EXPECT_EQ(boxes.beeps, 1);
    // Back into the field before; a "." in an empty field does nothing.
    EXPECT_EQ(typeAddress("\b\b\b9..4", true), "ff010904");

    QApplication::clipboard()->setText(" 127.100.200.1 ");
    widget(kServerAddress)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(console->window()->focusWidget(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(typeAddress("", true), "7f64c801");
  });
}

// After a click into a field, or with the cursor anywhere, no typed digit is lost and the focus
// moves only where the operator sends it.
TEST_F(ConsoleWindowTest, AnAddressTypedAfterAClickOrPastedIntoAnyFieldIsTheAddressGiven) {
  const auto clickField = [&](int index) {
    QWidget* field = widget<IpAddressEdit>(kServerAddress)->field(index);
    QTest::mouseClick(field, Qt::LeftButton, {}, field->rect().center() + QPoint(2, 0));
  };
  whileOpen([&] {
    EXPECT_EQ(widget<IpAddressEdit>(kServerAddress)->field(3)->accessibleName().toStdString(),
              "Campo 4 de 4");
    clickField(0);
    EXPECT_EQ(typeAddress("192.168.1.50", true), "c0a80132");
    clickField(1);
    key(Qt::Key_End);
    EXPECT_EQ(typeAddress("7", true), "c0a80732");  // on into the next field
    clickField(0);
    key(Qt::Key_Home);
    EXPECT_EQ(typeAddress("5", true), "c0a80732");  // no room: refused, with a beep
    EXPECT_EQ(std::pair(boxes.beeps, QApplication::focusWidget()),
              std::pair(1, static_cast<QWidget*>(widget<IpAddressEdit>(kServerAddress)->field(0))));
    clickField(2);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), widget(kPinDay));

    EXPECT_EQ(typeAddress("010.0.0.1"), "a000001");
    EXPECT_EQ(widget<IpAddressEdit>(kServerAddress)->field(0)->text(), "10");  // left as "010"
    QApplication::clipboard()->setText("abc");
    clickField(2);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(std::pair(typeAddress("", true), boxes.beeps), std::pair(std::string("a000001"), 2));
    QApplication::clipboard()->setText("192.168.1.9");
    clickField(3);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(typeAddress("", true), "c0a80109");
  });
}

TEST_F(ConsoleWindowTest, EveryContextMenuIsPortugueseAndEndsWithTheAboutItem) {
  const ToolkitTranslations portuguese;  // as the program has them
  int abouts = 0;
  console->setAboutHandler([&] { ++abouts; });
  whileOpen([&] {
    const std::string editMenu =
        "&Desfazer|&Refazer||Cor&tar|&Copiar|Co&lar|Apagar||"
        "Seleccionar tudo||&About Orvane...";
    EXPECT_EQ(contextMenu(widget(kRadioText1)), editMenu);  // where the focus starts
    EXPECT_EQ(contextMenu(widget<SimpleComboBox>(kProgrammeTypeList)->edit(), kMenuKey), editMenu);
    EXPECT_EQ(contextMenu(widget(kPtyCode)), "&Copiar||Seleccionar tudo||&About Orvane...");
    EXPECT_EQ(contextMenu(console->window(), {1, 1}), "&About Orvane...");
  });
  EXPECT_EQ(abouts, 4);
}

TEST_F(ConsoleWindowTest, SpecialCharactersAreWarnedAboutOnceBetweenTextUpdates) {
  whileOpen([&] {
    type(kRadioText1, "Bom dia ~ 7");
    key(Qt::Key_Tab);  // plain ASCII: nothing to warn about
    EXPECT_TRUE(boxes.shown.empty());
    type(kRadioText1, QString::fromUtf8("Informação"));
    key(Qt::Key_Tab);  // into RTXT2
    EXPECT_EQ(boxes.shown.at(0).text, pt("Caracteres especiais não devem ser usados."));
    EXPECT_EQ(texts({kRadioText1}), pt("Informação"));  // kept as typed
    key(Qt::Key_Tab);  // leaving RTXT2: RTXT1 still holds the letters
    EXPECT_EQ(boxes.shown.size(), 1U);

    console->core().updates().textUpdate();
    type(kRadioText1, "Bom dia");
    type(kRadioText2, QString::fromUtf8("ç") + QString(70, 'a'));  // an edit takes only 64
    key(Qt::Key_Tab);
    EXPECT_EQ(boxes.shown.size(), 2U);
    tick();
    EXPECT_EQ(console->state().radioText2, pt("ç") + std::string(63, 'a'));
  });
}

TEST_F(ConsoleWindowTest, OnlyTheExitButtonLeavesAndNotDuringABatchNorPastAnInvalidField) {
  const int result = whileOpen(
      [&] {
        key(Qt::Key_Escape);
        console->window()->close();  // the close box, and Alt+F4, which the window manager sends
        key(Qt::Key_Return);         // Enter in an edit does nothing either
        EXPECT_EQ(boxes.beeps, 3);
        console->core().updates().specialUpdate();
        click(kOk);
        EXPECT_EQ(boxes.shown.at(0).title, pt("Tentativa de encerramento falhada."));
        tick(4);  // three commands, then the queue is found empty

        type(kServerPort, "");
        click(kOk);
        EXPECT_EQ(QApplication::focusWidget(), widget(kServerPort));
        type(kServerPort, "4x0000");  // the port takes digits only
        EXPECT_EQ(texts({kServerPort}), "40000");
        tick();
        type(kServerPort, "7000");
        type(kPinDay, "32");
        click(kOk);
        ASSERT_EQ(boxes.shown.size(), 4U);
        EXPECT_EQ(boxes.shown[1].text + "\n" + boxes.shown[2].text + "\n" + boxes.shown[3].text,
                  "Please enter a positive integer.\n"
                  "Please enter an integer between 1 and 32767.\n"
                  "Please enter an integer between 1 and 31.");
        EXPECT_EQ(console->state().serverPort, 40000U);  // after the failing day: not read
        type(kPinDay, "1");
        widget(kOk)->setFocus();
        key(Qt::Key_Return);  // the focused button, not the hidden default Cancel
      },
      true);
  EXPECT_EQ(result, 1);
}

TEST_F(ConsoleWindowTest, ATypedRadiotextGoesOnAirThroughTheEncoder) {
  // The port field stops at 32767, below the range the system hands out for "any port".
  // It listens on an address of its own, which the operator types over the one shown.
  std::optional<EncoderProcess> encoder;
  for (int port = 20000 + getpid() % 12000; !encoder || encoder->port() == 0; port += 131) {
    ASSERT_LT(port, 32768);
    encoder.emplace(
        std::vector<std::string>{"--listen", "127.100.200.1", "--port", std::to_string(port)});
  }
  whileOpen([&] {
    typeAddress("127.100.200.1");
    type(kServerPort, QString::number(encoder->port()));
    type(kRadioText1, QString::fromUtf8("Bom dia, Lisboa"));
    tick();  // "Conectar" takes the port from the record, which the tick keeps up to date
    click(kConnect);
    // Not QTRY_VERIFY: its failure is the Qt test runner's and would only end the steps quietly.
    ASSERT_TRUE(QTest::qWaitFor([&] { return console->state().connected == 1; }, 5000));
    EXPECT_EQ(enabled({kConnect, kDisconnect, kUpdateText}), "011");
    click(kUpdateText);
    tick(4);  // TXT0, TXT1, ENCODE, then the buttons come back
    EXPECT_TRUE(encoder->skipPast("RTXT1 \"Bom dia, Lisboa\""));
    click(kAutoRotate);
    click(kDisconnect);  // stops the rotation, in the window too
    EXPECT_EQ(enabled({kConnect, kDisconnect, kUpdateText}) + ticked({kAutoRotate}), "1000");
    EXPECT_TRUE(encoder->skipPast("Cliente saiu"));
  });
  EXPECT_TRUE(boxes.shown.empty());
}

// The warning opens under the operator's press, and the release goes to the box; once the box
// is closed the button still does its work, once, whether released then or after, or pressed
// with the keyboard.
TEST_F(ConsoleWindowTest, AButtonPressRaisingTheSpecialCharacterWarningStillActsOnce) {
  std::optional<EncoderProcess> encoder;  // on a port the port field takes
  for (int port = 20000 + getpid() % 12000; !encoder || encoder->port() == 0; port += 131)
    encoder.emplace(std::vector<std::string>{"--port", std::to_string(port)});
  const auto batches = [&] {  // queued, each ending with ENCODE
    const std::string& queue = console->state().sendQueue;
    int count = 0;
    for (auto at = queue.find("ENCODE"); at != std::string::npos; at = queue.find("ENCODE", at + 1))
      ++count;
    return count;
  };
  whileOpen([&] {
    type(kServerPort, QString::number(encoder->port()));
    type(kRadioText1, QString::fromUtf8("Informação"));
    boxes.whileOpen = [&](const auto&) { QTest::mouseRelease(widget(kConnect), Qt::LeftButton); };
    QTest::mousePress(widget(kConnect), Qt::LeftButton);
    boxes.whileOpen = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return console->state().connected == 1; }, 5000));

    click(kUpdateText);  // no box: the warning was given since the last text update
    tick(4);
    type(kRadioText1, QString::fromUtf8("Informação"));
    click(kUpdateText);
    EXPECT_EQ(batches(), 1);
    tick(4);
    type(kRadioText2, QString::fromUtf8("Ç"));
    key(Qt::Key_Tab);  // onto "Actualizar"
    key(Qt::Key_Space);
    EXPECT_EQ(batches(), 1);
    EXPECT_EQ(boxes.shown.size(), 3U);
  });
}

// Whatever is typed in a code list's field, the field ends up naming the entry whose code goes
// out, and the code follows the typing.
TEST_F(ConsoleWindowTest, ACodeListsFieldAlwaysNamesTheEntryWhoseCodeIsSent) {
  const auto typeInList = [&](int id, const QString& keys, Qt::Key last) {
    QWidget* field = widget<SimpleComboBox>(id)->edit();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    for (const QChar c : keys) QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, c, {});
    QTest::keyClick(field, last);
    return texts({id, id == kProgrammeTypeList ? kPtyCode : kDiCode});
  };
  whileOpen([&] {
    choose(kProgrammeTypeList, 7);
    EXPECT_EQ(typeInList(kProgrammeTypeList, "Desporto", Qt::Key_End), "Desporto|04");
    EXPECT_EQ(typeInList(kProgrammeTypeList, "xyz", Qt::Key_Return), "Desporto|04");
    EXPECT_EQ(typeInList(kProgrammeTypeList, "música r", Qt::Key_Tab), pt("Música Rock|0B"));
    EXPECT_EQ(console->programmeTypeSelection(), 11);
    click(kAdvancedFunctions);
    EXPECT_EQ(typeInList(kDecoderIdList, QString::fromUtf8("EMISSÃO MONO C"), Qt::Key_Tab),
              pt("Emissão Mono com Dolby NR.|04"));
  });
}

}  // namespace
}  // namespace orvane::test
