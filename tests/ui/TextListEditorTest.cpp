// The radiotext list editor on real widgets, driven with the mouse and keys as an operator
// drives it, against list files in a fresh working folder.
#include <sys/stat.h>
#include <unistd.h>

#include <QTimer>
#include <QWindow>

#include "CTextListDlg.h"
#include "CWinApp.h"
#include "ConsoleWindowFixture.h"
#include "ControlId.h"
#include "Cp1252.h"
#include "ListViewControl.h"
#include "ListViewRows.h"
#include "MessageStyle.h"
#include "TextListRows.h"

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
  // Writes `list` unless it is empty, runs a fresh editor on it in front, and returns how the
  // editor ended and the list file it left: "2 " and the same list after a Cancel.
  std::string edit(const std::string& list, const std::function<void()>& steps) {
    if (!list.empty()) folder.write("RDSTXT.TXT", list);
    CTextListDlg dialog(folder.path());
    inFront = editor = &dialog;
    const int ended = runModal(dialog, steps);
    inFront = nullptr;
    return std::to_string(ended) + " " + folder.read("RDSTXT.TXT");
  }
  ListViewControl* view() const { return widget<ListViewControl>(kEntryList); }
  // The edits as "ORD|TMS|TEXTO|left", and whether they hold the list locked.
  std::string fields() const {
    return texts({kOrderNumber, kDwellUnits, kEntryText, kCharsLeft}) +
           (enabled({kEntryList}) == "1" ? "" : " locked");
  }
  // Each row as "ORD|TEXTO|TMS", joined with "; ".
  std::string rows() const {
    std::string all;
    CListCtrl& list = editor->entryList();
    for (int r = 0; r < list.getItemCount(); ++r) {
      for (int column = 0; column < 3; ++column)
        all += (column ? "|" : "; ") + list.getItemText(r, column);
    }
    return all.erase(0, 2);
  }
  void clickRow(int row, QTest::MouseAction action = QTest::MouseDClick,
                Qt::MouseButton button = Qt::LeftButton) {
    const QRect cell = view()->visualRect(view()->rows().index(row, 0));
    QTest::mouseEvent(action, view()->viewport(), button, {}, cell.center());
  }

  CTextListDlg* editor = nullptr;
};

TEST_F(TextListEditor, NovaLinhaNumbersPastTheLargestAndDeletingAsksFirstAndRenumbersNothing) {
  const std::string left = edit("", [&] {
    EXPECT_TRUE(view()->columnAlignment(1) & Qt::AlignRight);  // TEXTO
    EXPECT_EQ(fields(), "0|0||0");
    EXPECT_EQ(QApplication::focusWidget(), view());
    click(kNewRow);
    EXPECT_EQ(fields(), "1|4||0");
    click(kNewRow);
    click(kNewRow);
    click(kDeleteRow);  // nothing selected, nothing asked
    EXPECT_TRUE(boxes.shown.empty());

    clickRow(1, QTest::MouseClick);
    boxes.answers = {message::kAnswerNo};
    click(kDeleteRow);
    EXPECT_EQ(boxes.shown.at(0).title + " " + std::to_string(boxes.shown[0].style),
              "Confirme apagamento de linha. " + std::to_string(message::kYesNo));
    clickRow(1);
    click(kDeleteRow);  // Yes; the list, locked by the double click, is free again
    EXPECT_EQ(fields(), "2|4||64");
    EXPECT_TRUE(view()->selectedRows().empty());
    click(kNewRow);
    EXPECT_EQ(rows(), "1||4; 3||4; 4||4");

    clickRow(0);  // with a row selected it only offers the next number, and frees the list
    click(kNewRow);
    EXPECT_EQ(fields(), "5|4||64");
    EXPECT_EQ(rows(), "1||4; 3||4; 4||4");
    click(control::kCancel);  // rows deleted and appended, yet no question
  });
  EXPECT_EQ(left, "2 ");
  EXPECT_EQ(boxes.shown.size(), 2U);
}

// A loaded list reaches the view in one insertion, its cells already set, rather than a
// layout and a change signal for every row and cell; rows asked for are there at once.
TEST(ListViewRows, ALoadedListReachesTheViewInOneInsertionWithItsCells) {
  ListViewControl view;
  CListCtrl list;
  ASSERT_TRUE(list.attach(&view));
  for (int column = 0; column < 3; ++column) list.insertColumn(column, "", 0, 10);
  std::vector<int> inserted;
  int changed = 0;
  QObject::connect(&view.rows(), &QAbstractItemModel::rowsInserted,
                   [&](const QModelIndex&, int first, int last) {
                     inserted.push_back(last - first + 1);
                     EXPECT_EQ(list.getItemText(last, kDwellColumn), std::to_string(last + 4));
                   });
  QObject::connect(&view.rows(), &QAbstractItemModel::dataChanged, [&] { ++changed; });
  {
    ListViewRows rows(list);
    for (int n = 0; n < 3; ++n) rows.appendRow(std::to_string(n), "x", std::to_string(n + 4));
    EXPECT_TRUE(inserted.empty());
    EXPECT_EQ(rows.rowCount(), 3U);
    rows.appendRow("3", "y", "7");
    EXPECT_EQ(rows.cell(3, kTextColumn), "y");
  }
  EXPECT_EQ(inserted, (std::vector<int>{3, 1}));
  EXPECT_EQ(changed, 0);
}

TEST_F(TextListEditor, AFullRadiotextShowsWholeInItsColumnAndAllColumnsInTheList) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  edit("[1][4]" + alphabet + alphabet.substr(0, 12) + "\r\n", [&] {
    const int shown = view()->columnWidth(kTextColumn);
    EXPECT_LE(view()->columnWidth(kOrderColumn) + shown + view()->columnWidth(kDwellColumn),
              view()->viewport()->width());
    view()->resizeColumnToContents(kTextColumn);  // as a double click on the heading's edge
    EXPECT_LE(view()->columnWidth(kTextColumn), shown);
    click(control::kCancel);
  });
}

TEST_F(TextListEditor, LeavingTheOrderEditWithNoRowSelectedAppendsOnlyAnUnknownNumber) {
  const std::string list = "[ 5][2]Bom dia\r\n[-1][3]menos um\r\n";
  const std::string left = edit(list, [&] {
    key(Qt::Key_Tab);  // from the list into the order edit, which shows 0
    key(Qt::Key_Tab);  // and on into the text edit
    EXPECT_EQ(rows(), " 5|Bom dia|2; -1|menos um|3; 0||4");
    key(Qt::Key_Tab, Qt::ShiftModifier);
    key(Qt::Key_Tab);  // 0 is there now

    click(kNewRow);  // -1 is the largest number, compared unsigned
    EXPECT_EQ(fields(), "0|4||0");
    type(kOrderNumber, "5");  // " 5" reads as 5
    key(Qt::Key_Tab);
    type(kEntryText, "solto");  // no row takes it
    type(kOrderNumber, "9");
    key(Qt::Key_Tab);
    EXPECT_EQ(rows(), " 5|Bom dia|2; -1|menos um|3; 0||4; 9||4");
    click(control::kCancel);  // no question: the text edit was never left with a row selected
  });
  EXPECT_EQ(left, "2 " + list);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TextListEditor, ADoubleClickedRowIsEditedThroughTheEditsAndTheCountFollowsTheText) {
  const std::string list = "[01][4]Bom dia\r\n[2][8]" + std::string(70, 'x') + "\r\n";
  const std::string left = edit(list, [&] {
    clickRow(0, QTest::MouseClick);  // a single click only selects, and so does the other
    clickRow(0, QTest::MouseDClick, Qt::RightButton);  // button's double click
    EXPECT_EQ(fields(), "0|0||0");
    clickRow(0);
    EXPECT_EQ(fields(), "1|4|Bom dia|57 locked");
    widget(kOrderNumber)->setFocus();
    key(Qt::Key_Tab);  // nothing typed: the row keeps its "01"
    EXPECT_EQ(fields(), "1|4|Bom dia|57");
    key(Qt::Key_Tab);  // leaving the text edit, changed or not, makes Cancel ask
    boxes.answers = {message::kAnswerNo};
    key(Qt::Key_Escape);
    EXPECT_EQ(boxes.shown.at(0).title, "Sair sem alterar dados.");

    clickRow(0);
    type(kEntryText, QString::fromUtf8("Olá, até já"));  // counted in characters
    EXPECT_EQ(fields(), pt("1|4|Olá, até já|53 locked"));
    type(kEntryText, QString(70, 'y'));
    EXPECT_EQ(fields(), "1|4|" + std::string(64, 'y') + "|0 locked");
    key(Qt::Key_Tab);
    clickRow(0);
    type(kDwellUnits, "007");
    EXPECT_EQ(fields(), "1|007|" + std::string(64, 'y') + "|0 locked");
    key(Qt::Key_Tab);
    EXPECT_EQ(rows(), "01|" + std::string(64, 'y') + "|7; 2|" + std::string(70, 'x') + "|8");

    // A text written longer by other means: no wrapped count beside it.
    clickRow(1);
    EXPECT_EQ(fields(), "2|8|" + std::string(70, 'x') + "|0 locked");
    EXPECT_EQ(boxes.shown.back().text, "Please enter no more than 64 characters.");
    key(Qt::Key_Escape);  // Yes
  });
  EXPECT_EQ(left, "2 " + list);
}

TEST_F(TextListEditor, EnterSavesWithoutThePendingChangeOkWithItAndAFailedSaveKeepsTheRows) {
  const auto changeAndSave = [&](const std::string& list, const std::function<void()>& save) {
    return edit(list, [&] {
      clickRow(0);
      type(kEntryText, "Boa tarde");
      save();
    });
  };
  EXPECT_EQ(changeAndSave("[1][4]Bom dia\r\n", [&] { key(Qt::Key_Return); }),
            "1 [1][4]Bom dia\r\n");

  chmod(folder.path().c_str(), 0555);
  const std::string left = changeAndSave("", [&] {
    {
      const Unprivileged operatorAccount;
      click(control::kOk);
    }
    EXPECT_EQ(boxes.shown.at(0).title, "ERRO DE ESCRITA A RDSTXT.TXT");
    EXPECT_EQ(boxes.shown[0].style, message::kOkInformation);
    EXPECT_EQ(boxes.shown[0].owner, editor->window());
    EXPECT_EQ(rows(), "1|Boa tarde|4");
    EXPECT_EQ(folder.read("RDSTXT.TXT"), "[1][4]Bom dia\r\n");
    chmod(folder.path().c_str(), 0755);
    click(control::kOk);
  });
  EXPECT_EQ(left, "1 [1][4]Boa tarde\r\n");
}

TEST_F(TextListEditor, TheConsoleRotationReadsTheListAsLastSavedWhileTheEditorIsOpen) {
  folder.write("RDSTXT.TXT", "[1][1]Bom dia\r\n[2][1]Boa tarde\r\n");
  CWinApp application;
  application.setMainWindow(console.get());
  whileOpen([&] {
    widget<QCheckBox>(control::kAutoRotate)->setChecked(true);
    tick();  // the first pair goes on air for 15 seconds
    QTimer::singleShot(0, [&] {
      inFront = editor = dynamic_cast<CTextListDlg*>(CDialog::innermostModal());
      ASSERT_NE(editor, nullptr);
      editor->window()->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(editor->window()));
      EXPECT_FALSE(console->window()->isEnabled());
      EXPECT_EQ(editor->window()->windowHandle()->transientParent(),
                console->window()->windowHandle());

      clickRow(0);
      type(kEntryText, "Boa noite");
      key(Qt::Key_Tab);
      tick(16);  // due, but the change is only in the editor's rows
      EXPECT_EQ(console->state().radioText1, "Bom dia");
      type(kDwellUnits, "x");
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
