// The radiotext list editor on real widgets, driven with the mouse and keys as an operator
// drives it, against list files in a fresh working folder.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "CTextListDlg.h"
#include "CWinApp.h"
#include "ConsoleWindowFixture.h"
#include "ControlId.h"
#include "ListViewControl.h"
#include "MessageStyle.h"
#include "ModalRun.h"
#include "TextListTemplate.h"

namespace orvane::test {
namespace {

using namespace listcontrol;

// Root ignores permission bits: while this lives, files are created as the user "nobody".
struct Unprivileged {
  const bool root = geteuid() == 0;
  Unprivileged() { EXPECT_TRUE(!root || (setegid(65534) == 0 && seteuid(65534) == 0)); }
  ~Unprivileged() { EXPECT_TRUE(!root || (seteuid(0) == 0 && setegid(0) == 0)); }
};

class TextListEditor : public ConsoleWindowFixture {
 protected:
  // Runs a fresh editor on the folder's list; returns how it ended.
  int openEditor(const std::function<void()>& steps) {
    CTextListDlg dialog(folder.path());
    editor = &dialog;
    return runModal(dialog, steps);
  }
  ListViewControl* view() const {
    return qobject_cast<ListViewControl*>(editor->controlWidget(kEntryList));
  }
  std::string shown(std::initializer_list<int> ids) const { return textsOf(*editor, ids); }
  bool listEnabled() const { return editor->isControlEnabled(kEntryList); }
  // A row as "ORD|TEXTO|TMS"; all of them joined with "; ".
  std::string row(int r) const {
    CListCtrl& list = editor->entryList();
    return list.getItemText(r, 0) + "|" + list.getItemText(r, 1) + "|" + list.getItemText(r, 2);
  }
  std::string rows() const {
    std::string all;
    for (int r = 0; r < editor->entryList().getItemCount(); ++r) all += "; " + row(r);
    return all.erase(0, 2);
  }
  void typeIn(int id, const QString& keys) {
    typeInto(qobject_cast<EditControl*>(editor->controlWidget(id)), keys);
  }
  void press(int id) {
    QTest::mouseClick(qobject_cast<QAbstractButton*>(editor->controlWidget(id)), Qt::LeftButton);
  }
  void clickRow(int row, QTest::MouseAction action, Qt::MouseButton button = Qt::LeftButton) {
    const QRect cell = view()->visualItemRect(view()->topLevelItem(row));
    QTest::mouseEvent(action, view()->viewport(), button, {}, cell.center());
  }
  void openRow(int row) { clickRow(row, QTest::MouseDClick); }

  CTextListDlg* editor = nullptr;
};

TEST_F(TextListEditor, NovaLinhaNumbersPastTheLargestAndDeletingAsksFirstAndRenumbersNothing) {
  const int ended = openEditor([&] {
    EXPECT_TRUE(view()->headerItem()->textAlignment(1) & Qt::AlignRight);  // TEXTO
    EXPECT_EQ(shown({kOrderNumber, kDwellUnits, kCharsLeft}), "0|0|0");
    EXPECT_EQ(QApplication::focusWidget(), view());
    press(kNewRow);
    EXPECT_EQ(shown({kOrderNumber, kDwellUnits, kEntryText}), "1|4|");
    press(kNewRow);
    press(kNewRow);
    press(kDeleteRow);  // nothing selected, nothing asked
    EXPECT_TRUE(boxes.shown.empty());

    clickRow(1, QTest::MouseClick);
    boxes.answers = {message::kAnswerNo};
    press(kDeleteRow);
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].title, "Confirme apagamento de linha.");
    EXPECT_EQ(boxes.shown[0].style, message::kYesNo);
    openRow(1);
    EXPECT_FALSE(listEnabled());
    press(kDeleteRow);  // Yes
    EXPECT_TRUE(listEnabled());
    EXPECT_TRUE(view()->selectedItems().isEmpty());
    press(kNewRow);
    EXPECT_EQ(rows(), "1||4; 3||4; 4||4");

    // With a row selected it only offers the next number, and frees the list.
    openRow(0);
    EXPECT_FALSE(listEnabled());
    press(kNewRow);
    EXPECT_TRUE(listEnabled());
    EXPECT_EQ(shown({kOrderNumber}), "5");
    EXPECT_EQ(rows(), "1||4; 3||4; 4||4");
    press(control::kCancel);  // rows deleted and appended, yet no question
  });
  EXPECT_EQ(ended, 2);
  EXPECT_EQ(boxes.shown.size(), 2U);
  EXPECT_FALSE(std::filesystem::exists(folder.file("RDSTXT.TXT")));
}

TEST_F(TextListEditor, LeavingTheOrderEditWithNoRowSelectedAppendsOnlyAnUnknownNumber) {
  const std::string list = "[ 5][2]Bom dia\r\n[-1][3]menos um\r\n";
  folder.write("RDSTXT.TXT", list);
  const int ended = openEditor([&] {
    key(Qt::Key_Tab);  // from the list into the order edit, which shows 0
    key(Qt::Key_Tab);  // and on into the text edit
    EXPECT_EQ(rows(), " 5|Bom dia|2; -1|menos um|3; 0||4");
    key(Qt::Key_Tab, Qt::ShiftModifier);
    key(Qt::Key_Tab);  // 0 is there now

    press(kNewRow);  // -1 is the largest number, compared unsigned
    EXPECT_EQ(shown({kOrderNumber}), "0");
    typeIn(kOrderNumber, "5");  // " 5" reads as 5
    key(Qt::Key_Tab);
    typeIn(kEntryText, "solto");  // no row takes it
    typeIn(kOrderNumber, "9");
    key(Qt::Key_Tab);
    EXPECT_EQ(rows(), " 5|Bom dia|2; -1|menos um|3; 0||4; 9||4");
    press(control::kCancel);  // no question: the text edit was never left with a row selected
  });
  EXPECT_EQ(ended, 2);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(folder.read("RDSTXT.TXT"), list);
}

TEST_F(TextListEditor, ADoubleClickedRowIsEditedThroughTheEditsAndTheCountFollowsTheText) {
  const std::string list = "[01][4]Bom dia\r\n[2][8]" + std::string(70, 'x') + "\r\n";
  folder.write("RDSTXT.TXT", list);
  const int ended = openEditor([&] {
    clickRow(0, QTest::MouseClick);  // a single click only selects, and so does the other
    clickRow(0, QTest::MouseDClick, Qt::RightButton);  // button's double click
    EXPECT_EQ(shown({kOrderNumber}), "0");
    openRow(0);
    EXPECT_EQ(shown({kOrderNumber, kDwellUnits, kEntryText, kCharsLeft}), "1|4|Bom dia|57");
    EXPECT_FALSE(listEnabled());
    editor->controlWidget(kOrderNumber)->setFocus();
    key(Qt::Key_Tab);  // nothing typed: the row keeps its "01"
    EXPECT_TRUE(listEnabled());
    key(Qt::Key_Tab);  // leaving the text edit, changed or not, makes Cancel ask
    boxes.answers = {message::kAnswerNo};
    key(Qt::Key_Escape);
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].title, "Sair sem alterar dados.");
    EXPECT_EQ(boxes.shown[0].style, message::kYesNoQuestion);
    EXPECT_EQ(row(0), "01|Bom dia|4");

    openRow(0);
    const QString text = QString::fromUtf8("Olá, até já");
    for (int typed = 0; typed <= text.size(); ++typed) {
      typeIn(kEntryText, text.left(typed));
      EXPECT_EQ(shown({kCharsLeft}), std::to_string(64 - typed));
    }
    typeIn(kEntryText, QString(70, 'y'));
    EXPECT_EQ(shown({kEntryText, kCharsLeft}), std::string(64, 'y') + "|0");
    key(Qt::Key_Tab);
    EXPECT_TRUE(listEnabled());
    openRow(0);
    typeIn(kDwellUnits, "007");
    EXPECT_FALSE(listEnabled());
    key(Qt::Key_Tab);
    EXPECT_TRUE(listEnabled());
    EXPECT_EQ(row(0), "01|" + std::string(64, 'y') + "|7");

    // A text written longer by other means: no wrapped count beside it.
    openRow(1);
    EXPECT_EQ(shown({kEntryText, kCharsLeft}), std::string(70, 'x') + "|0");
    EXPECT_EQ(boxes.shown.back().text, "Please enter no more than 64 characters.");
    key(Qt::Key_Escape);  // Yes
  });
  EXPECT_EQ(ended, 2);
  EXPECT_EQ(folder.read("RDSTXT.TXT"), list);
}

TEST_F(TextListEditor, EnterSavesWithoutThePendingChangeAndTheOkButtonWithIt) {
  folder.write("RDSTXT.TXT", "[1][4]Bom dia\r\n");
  const auto changeAndSave = [&](const std::function<void()>& save) {
    return openEditor([&] {
      openRow(0);
      typeIn(kEntryText, "Boa tarde");
      save();
    });
  };
  EXPECT_EQ(changeAndSave([&] { key(Qt::Key_Return); }), 1);
  EXPECT_EQ(folder.read("RDSTXT.TXT"), "[1][4]Bom dia\r\n");
  EXPECT_EQ(changeAndSave([&] { press(control::kOk); }), 1);
  EXPECT_EQ(folder.read("RDSTXT.TXT"), "[1][4]Boa tarde\r\n");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TextListEditor, ASaveIntoAReadOnlyFolderKeepsTheRowsAndTheOldList) {
  folder.write("RDSTXT.TXT", "[1][4]Bom dia\r\n");
  chmod(folder.path().c_str(), 0555);
  const int ended = openEditor([&] {
    press(kNewRow);
    {
      const Unprivileged operatorAccount;
      press(control::kOk);
    }
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].title, "ERRO DE ESCRITA A RDSTXT.TXT");
    EXPECT_EQ(boxes.shown[0].style, message::kOkInformation);
    EXPECT_EQ(boxes.shown[0].owner, editor->window());
    EXPECT_EQ(rows(), "1|Bom dia|4; 2||4");
    EXPECT_EQ(folder.read("RDSTXT.TXT"), "[1][4]Bom dia\r\n");
    chmod(folder.path().c_str(), 0755);
    press(control::kOk);
  });
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(folder.read("RDSTXT.TXT"), "[1][4]Bom dia\r\n[2][4]\r\n");
}

TEST_F(TextListEditor, TheConsoleRotationReadsTheListAsLastSavedWhileTheEditorIsOpen) {
  folder.write("RDSTXT.TXT", "[1][1]Bom dia\r\n[2][1]Boa tarde\r\n");
  CWinApp application;
  application.setMainWindow(console.get());
  whileOpen([&] {
    widget<QCheckBox>(control::kAutoRotate)->setChecked(true);
    tick();  // the first pair goes on air for 15 seconds
    QTimer::singleShot(0, [&] {
      editor = dynamic_cast<CTextListDlg*>(CDialog::innermostModal());
      ASSERT_NE(editor, nullptr);
      editor->window()->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(editor->window()));
      EXPECT_FALSE(console->window()->isEnabled());
      EXPECT_EQ(editor->window()->windowHandle()->transientParent(),
                console->window()->windowHandle());

      openRow(0);
      typeIn(kEntryText, "Boa noite");
      key(Qt::Key_Tab);
      tick(16);  // due, but the change is only in the editor's rows
      EXPECT_EQ(console->state().radioText1, "Bom dia");
      typeIn(kDwellUnits, "x");
      key(Qt::Key_Return);  // saved; the bad dwell keeps the editor open
      EXPECT_EQ(boxes.shown.at(0).text, "Please enter a positive integer.");
      tick(15);
      EXPECT_EQ(console->state().radioText1, "Bom dia");
      tick();
      EXPECT_EQ(console->state().radioText1, "Boa noite");
      key(Qt::Key_Escape);  // asks, and Yes leaves
      EXPECT_EQ(boxes.shown.back().title, "Sair sem alterar dados.");
    });
    click(control::kEditList);
  });
}

}  // namespace
}  // namespace orvane::test
