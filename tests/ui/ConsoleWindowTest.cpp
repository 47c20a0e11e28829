#include <QTest>

#include "ConsoleWindowFixture.h"
#include "ControlId.h"
#include "Cp1252.h"
#include "MessageStyle.h"

namespace orvane::test {
namespace {

using namespace control;

class ConsoleWindowTest : public ConsoleWindowFixture {};

TEST_F(ConsoleWindowTest, WithoutASettingsFileItOpensOnTheBuiltInValues) {
  whileOpen([&] {
    EXPECT_EQ(list(kProgrammeTypeList)->currentSelection(), 0);
    EXPECT_EQ(list(kProgrammeTypeList)->count(), 32);
    EXPECT_EQ(text(kPtyCode), "00");
    EXPECT_EQ(text(kPinDay), "1");
    EXPECT_EQ(text(kPinTime), "00:00");
    EXPECT_EQ(address()->address(), 0x7F000001U);
    EXPECT_EQ(text(kServerPort), "6969");
    EXPECT_EQ(text(kRadioText1), "");
    EXPECT_EQ(text(kRadioText2), "");
    EXPECT_EQ(text(kPsName), "");
    EXPECT_EQ(text(kRotateCountdown), "0");
    EXPECT_EQ(text(kDiCode), "01");
    EXPECT_EQ(list(kDecoderIdList)->currentSelection(), 1);
    for (const int ticked : {kMusicFlag, kTpFlag}) EXPECT_TRUE(checkBox(ticked)->isChecked());
    for (const int unticked : {kTaFlag, kTimeInPsFlag, kGroup1A, kGroup4A, kAutoRotate}) {
      EXPECT_FALSE(checkBox(unticked)->isChecked()) << unticked;
    }
    for (const int usable : {kConnect, kEditList, kAdvancedFunctions, kOk}) {
      EXPECT_TRUE(enabled(usable)) << usable;
    }
    for (const int greyed : {kDisconnect, kUpdateProgramme, kUpdateText, kUpdateSpecial, kPsName,
                             kTimeInPsFlag, kDecoderIdList}) {
      EXPECT_FALSE(enabled(greyed)) << greyed;
    }
    EXPECT_FALSE(button(kCancel)->isVisible());
    EXPECT_EQ(focus(), edit(kRadioText1));
    EXPECT_EQ(console->state().busy, 0);
    EXPECT_TRUE(boxes.shown.empty());
  });
}

TEST_F(ConsoleWindowTest, ASettingsFileIsShownAtStartUp) {
  folder.write("def.ini",  // copied from Windows in another letter case
               "[CLIENT]SOCKET=0A000002@7000\r\n[CLIENT]SETPTY=0A\r\n[CLIENT]SETDI=03\r\n"
               "[CLIENT]SETBMS=0\r\n[CLIENT]SETGR4=1\r\n[CLIENT]SETTXT1=Bom dia a todos\r\n"
               "[CLIENT]SETPSN=RADIO\r\n");
  whileOpen([&] {
    EXPECT_EQ(address()->address(), 0x0A000002U);
    EXPECT_EQ(text(kServerPort), "7000");
    EXPECT_EQ(list(kProgrammeTypeList)->currentSelection(), 10);
    EXPECT_EQ(text(kPtyCode), "0A");
    EXPECT_EQ(list(kDecoderIdList)->currentSelection(), 3);
    EXPECT_EQ(text(kDiCode), "03");
    EXPECT_FALSE(checkBox(kMusicFlag)->isChecked());
    EXPECT_TRUE(checkBox(kGroup4A)->isChecked());
    EXPECT_EQ(text(kRadioText1), "Bom dia a todos");
    EXPECT_EQ(text(kPsName), "RADIO");
  });
}

TEST_F(ConsoleWindowTest, TheAdvancedFunctionsAskFirstAndStayUnlocked) {
  whileOpen([&] {
    boxes.answers = {message::kAnswerNo};
    click(kAdvancedFunctions);
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].title, pt("ATENÇÃO : Importante !"));
    EXPECT_TRUE(enabled(kAdvancedFunctions));
    EXPECT_FALSE(enabled(kPsName));

    boxes.answers = {message::kAnswerYes};
    click(kAdvancedFunctions);
    EXPECT_FALSE(enabled(kAdvancedFunctions));
    for (const int unlocked : {kPsName, kTimeInPsFlag, kDecoderIdList}) {
      EXPECT_TRUE(enabled(unlocked)) << unlocked;
    }
    choose(kDecoderIdList, 7);
    EXPECT_EQ(text(kDiCode), "07");
  });
}

TEST_F(ConsoleWindowTest, SpecialCharactersAreWarnedAboutOnceBetweenTextUpdates) {
  whileOpen([&] {
    type(kRadioText1, QString::fromUtf8("Informação"));
    QTest::keyClick(focus(), Qt::Key_Tab);  // into RTXT2
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].text, pt("Caracteres especiais não devem ser usados."));
    EXPECT_EQ(boxes.shown[0].style, message::kOkInformation);
    EXPECT_EQ(text(kRadioText1), pt("Informação"));  // kept as typed

    QTest::keyClick(focus(), Qt::Key_Tab);  // leaving RTXT2: RTXT1 still holds the letters
    type(kRadioText2, "x");
    QTest::keyClick(focus(), Qt::Key_Tab);
    EXPECT_EQ(boxes.shown.size(), 1U);

    console->core().updates().textUpdate();
    type(kRadioText2, "y");
    QTest::keyClick(focus(), Qt::Key_Tab);  // leaving RTXT2 warns about RTXT1 again
    EXPECT_EQ(boxes.shown.size(), 2U);
  });
}

TEST_F(ConsoleWindowTest, ARadiotextEditTakesNoMoreThan64Characters) {
  whileOpen([&] {
    type(kRadioText1, QString(70, 'a'));
    EXPECT_EQ(text(kRadioText1), std::string(64, 'a'));
    tick();
    EXPECT_EQ(console->state().radioText1, std::string(64, 'a'));
    EXPECT_TRUE(boxes.shown.empty());
  });
}

TEST_F(ConsoleWindowTest, PortAndDayAreValidatedWithTheFrameworkMessages) {
  whileOpen([&] {
    type(kServerPort, "");
    tick();
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].text, "Please enter a positive integer.");
    EXPECT_EQ(focus(), edit(kServerPort));
    type(kServerPort, "40000");
    tick();
    ASSERT_EQ(boxes.shown.size(), 2U);
    EXPECT_EQ(boxes.shown[1].text, "Please enter an integer between 1 and 32767.");
    type(kServerPort, "abc0");
    EXPECT_EQ(text(kServerPort), "0");  // the port takes digits only
    type(kServerPort, "7000");
    type(kPinDay, "32");
    tick();
    ASSERT_EQ(boxes.shown.size(), 3U);
    EXPECT_EQ(boxes.shown[2].text, "Please enter an integer between 1 and 31.");
    EXPECT_EQ(console->state().serverPort, 40000U);  // after the failing day: not read
  });
}

TEST_F(ConsoleWindowTest, ChoosingAProgrammeTypeShowsItsCodeEvenWhileTheDayIsInvalid) {
  whileOpen([&] {
    choose(kProgrammeTypeList, 31);
    EXPECT_EQ(list(kProgrammeTypeList)->edit()->text(), "Alarme !!!");
    EXPECT_EQ(text(kPtyCode), "1F");
    type(kPinDay, "32");
    choose(kProgrammeTypeList, 10);
    EXPECT_EQ(list(kProgrammeTypeList)->edit()->text(), QString::fromUtf8("Música Pop"));
    EXPECT_EQ(text(kPtyCode), "0A");
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].text, "Please enter an integer between 1 and 31.");
    EXPECT_EQ(text(kPinDay), "32");
  });
}

TEST_F(ConsoleWindowTest, LeavingIsRefusedDuringABatchAndHeldBackByAnInvalidField) {
  int result = runModalAndLeave([&] {
    console->core().updates().specialUpdate();
    click(kOk);
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].title, pt("Tentativa de encerramento falhada."));
    tick(4);  // three commands, then the queue is found empty
    type(kServerPort, "0");
    click(kOk);
    ASSERT_EQ(boxes.shown.size(), 2U);
    EXPECT_EQ(boxes.shown[1].text, "Please enter an integer between 1 and 32767.");
    type(kServerPort, "6969");
    click(kOk);
  });
  EXPECT_EQ(result, 1);
}

TEST_F(ConsoleWindowTest, EscapeTheCloseBoxAndAltF4OnlyBeep) {
  int result = runModalAndLeave([&] {
    QTest::keyClick(focus(), Qt::Key_Escape);
    console->window()->close();
    QTest::keyClick(console->window(), Qt::Key_F4, Qt::AltModifier);
    QTest::keyClick(edit(kRadioText1), Qt::Key_Return);  // Enter in an edit does nothing either
    EXPECT_GE(boxes.beeps, 3);
    EXPECT_TRUE(console->window()->isVisible());
    console->endDialog(42);
  });
  EXPECT_EQ(result, 42);
}

TEST_F(ConsoleWindowTest, TheAboutCommandIsRecognisedWithItsLowBitsCleared) {
  int abouts = 0;
  console->setAboutHandler([&] { ++abouts; });
  console->onSysCommand(16);
  console->onSysCommand(16 | 0x7);
  console->onSysCommand(0xF060);  // the window's Close
  EXPECT_EQ(abouts, 2);
}

}  // namespace
}  // namespace orvane::test
