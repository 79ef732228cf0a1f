// The keyboard side of the windows: Ctrl+Space selection, F1 help, the names
// screen readers read, the object clipboard (Ctrl+Shift+C, Ctrl+Shift+V) beside
// the cells' own Ctrl+C and Ctrl+V, and the start without a window system.
#include "WindowTest.h"
#include "app/AboutDlg.h"
#include "app/HelpWindow.h"
#include "app/Hollastrin.h"
#include "app/HollastrinDlg.h"
#include "app/MoreOperationsDlg.h"
#include "engine/Matrix.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cstring>
#include <string>
#include <tuple>

using KeyboardTest = UiTest;
using ClipboardTest = UiTest;

namespace
{
// Ctrl+Space sent to the cell that has the focus in the object's window.
void CtrlSpace(CEntryControlView* pView)
{
    Activate(pView->Frame());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space, Qt::ControlModifier);
}

void Fill(CEntryControlView* pView, const QString& strText)
{
    for (int i = 0; i < pView->m_nRows; ++i)
        for (int j = 0; j < pView->m_nCols; ++j)
            pView->Cell(i, j).setText(strText);
}

// Every cell's text, row by row, joined by '|'.
std::string Texts(CEntryControlView* pView)
{
    QStringList texts;
    for (int i = 0; i < pView->m_nRows; ++i)
        for (int j = 0; j < pView->m_nCols; ++j)
            texts.append(pView->Cell(i, j).text());
    return texts.join(QLatin1Char('|')).toStdString();
}

// The name a screen reader announces for the widget.
QString AccessibleName(QWidget* pWidget)
{
    QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pWidget);
    return pInterface ? pInterface->text(QAccessible::Name) : QString();
}
} // namespace

TEST_F(KeyboardTest, CtrlSpaceSelectsExactlyLikeTheRightClick)
{
    CEntryControlView* p1 = Zeroed(2, 2);
    CEntryControlView* p2 = Zeroed(2, 2);
    CEntryControlView* p3 = Zeroed(2, 2);
    auto& sel = m_pDlg->Registry().SelectedList();

    CtrlSpace(p1);
    EXPECT_EQ(p1->IsSelected(), 1);
    EXPECT_EQ(p1->accessibleDescription(), "Selected, first operand");
    RightClick(p2);
    ASSERT_EQ(sel, (QList<CEntryControlView*>{p1, p2}));

    // A third one is refused with the same message; nothing changes.
    CtrlSpace(p3);
    ExpectBox(MessageText::kTwoAlreadySelected);
    EXPECT_EQ(p3->IsSelected(), 0);
    EXPECT_EQ(sel, (QList<CEntryControlView*>{p1, p2}));

    // Deselecting the first by key moves the second to entry 0.
    CtrlSpace(p1);
    EXPECT_EQ(p1->IsSelected(), 0);
    EXPECT_EQ(p1->accessibleDescription(), "Not selected");
    EXPECT_EQ(sel, QList<CEntryControlView*>{p2});
    EXPECT_EQ(p2->SelIndex(), 0);
    // The focused cell tells of the one that moved up, until the next change.
    auto cellDescription = [](CEntryControlView* pView)
    {
        return QAccessible::queryAccessibleInterface(&pView->Cell(0, 0))
            ->text(QAccessible::Description);
    };
    EXPECT_EQ(cellDescription(p1), "Not selected, object 2 is now the first operand");
    EXPECT_EQ(cellDescription(p2), "Selected, first operand");
    CtrlSpace(p3);
    EXPECT_EQ(p3->SelIndex(), 1);
    EXPECT_EQ(cellDescription(p1), "Not selected");

    // Selected by key, deselected by the mouse; the key types no blank into
    // the cell, and works as well when the view itself has the focus.
    RightClick(p3);
    p3->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), p3);
    QTest::keyClick(p3, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(p3->IsSelected(), 1);
    EXPECT_EQ(p3->Cell(0, 0).text(), "");
    for (CEntryControlView* p : {p1, p2, p3})
        EXPECT_EQ(p->Cell(0, 0).text(), "");
}

TEST_F(KeyboardTest, EveryControlHasAnAccessibleName)
{
    Zeroed(1, 1);
    CEntryControlView* pView = Zeroed(3, 4);
    EXPECT_EQ(AccessibleName(&pView->Cell(0, 0)), "Row 1, column 1 of object 2");
    EXPECT_EQ(AccessibleName(&pView->Cell(2, 3)), "Row 3, column 4 of object 2");
    EXPECT_EQ(AccessibleName(&pView->Cell(1, 2)), "Row 2, column 3 of object 2");
    EXPECT_EQ(AccessibleName(pView->RowLabel(2)), "Row 3");
    EXPECT_EQ(AccessibleName(pView->ColLabel(3)), "Column 4");
    EXPECT_EQ(AccessibleName(pView), "Object 2");
    EXPECT_EQ(AccessibleName(pView->Frame()), "2  [3X4]");

    // A drop-down list is announced with its label (the relation that screen
    // readers on Linux follow) and by its own name elsewhere.
    for (auto [nList, nLabel, pName] : {std::tuple{IDC_ROWS, IDC_SELECT_ROWS_LABEL, "Select Rows"},
                                        {IDC_COLS, IDC_SELECT_COLUMNS_LABEL, "Select Columns"}})
    {
        QWidget* pList = m_pDlg->GetDlgItem(nList);
        EXPECT_EQ(pList->accessibleName(), pName);
        const auto labels =
            QAccessible::queryAccessibleInterface(pList)->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1) << pName;
        EXPECT_EQ(labels.first().first->object(), m_pDlg->GetDlgItem(nLabel));
        EXPECT_EQ(labels.first().first->text(QAccessible::Name), pName);
        // The chosen number is its text too (screen readers speak that).
        QAccessibleTextInterface* pText =
            QAccessible::queryAccessibleInterface(pList)->textInterface();
        ASSERT_NE(pText, nullptr);
        EXPECT_EQ(pText->text(0, pText->characterCount()),
                  static_cast<QComboBox*>(pList)->currentText());
        EXPECT_FALSE(pText->text(0, pText->characterCount()).isEmpty());
    }
    EXPECT_EQ(AccessibleName(m_pDlg->ObjectListBox()), "Open objects");
    EXPECT_EQ(AccessibleName(m_pDlg->GetDlgItem(IDC_CLOSE_ALL_OBJECTS)), "Close  All  Objects");
    for (QWidget* pChild : m_pDlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    {
        EXPECT_FALSE(AccessibleName(pChild).trimmed().isEmpty())
            << pChild->metaObject()->className();
    }
    for (QWidget* pChild : pView->Frame()->findChildren<QWidget*>())
    {
        if (qobject_cast<QLineEdit*>(pChild) || qobject_cast<QLabel*>(pChild))
        {
            EXPECT_FALSE(AccessibleName(pChild).trimmed().isEmpty());
        }
    }
}

TEST_F(KeyboardTest, F1OpensTheOneHelpWindowFromEveryWindow)
{
    CEntryControlView* pView = Zeroed(2, 2);
    ASSERT_EQ(HelpWindow(), nullptr);
    auto closeHelp = []
    {
        HelpWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(HelpWindow(), nullptr);
    };

    // From the main dialog...
    Activate(m_pDlg.get());
    QTest::keyClick(m_pDlg->RowsBox(), Qt::Key_F1);
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_TRUE(HelpWindow()->isVisible());
    closeHelp();

    // ...and from an object window, whose cell takes no character.
    Activate(pView->Frame());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    QWidget* pHelp = HelpWindow();
    ASSERT_NE(pHelp, nullptr);
    EXPECT_TRUE(pHelp->isVisible());
    EXPECT_EQ(pView->Cell(0, 0).text(), "");

    // Once open, F1 anywhere brings the same window forward, even in itself.
    Activate(m_pDlg.get());
    QTest::keyClick(m_pDlg->RowsBox(), Qt::Key_F1);
    EXPECT_EQ(HelpWindow(), pHelp);
    EXPECT_TRUE(QTest::qWaitFor([pHelp] { return QApplication::activeWindow() == pHelp; }));
    QTest::keyClick(pHelp, Qt::Key_F1);
    EXPECT_EQ(HelpWindow(), pHelp);
    EXPECT_TRUE(pHelp->isVisible());
    closeHelp();
}

// Without a window system the program says so in one line; its options are
// answered without one.
// Every command has keys, shown in its button's tooltip and description;
// they work from the object windows, where the operands are selected.
TEST_F(KeyboardTest, CommandKeysWorkFromEveryWindow)
{
    for (QPushButton* pButton : m_pDlg->findChildren<QPushButton*>())
    {
        const QString tip = pButton->toolTip();
        EXPECT_TRUE(tip.endsWith(')') && tip.contains(" (")) << pButton->text().toStdString();
        EXPECT_EQ(pButton->accessibleDescription(), tip);
        EXPECT_FALSE(pButton->focusPolicy() & Qt::TabFocus);
    }
    EXPECT_EQ(qobject_cast<QPushButton*>(m_pDlg->GetDlgItem(IDC_SLV))->toolTip(),
              "Solve A x = b (Alt+V)");

    // Sizes chosen, objects created from the dialog's keys.
    m_pDlg->RowsBox()->setCurrentIndex(1);
    m_pDlg->ColsBox()->setCurrentIndex(1);
    Activate(m_pDlg.get());
    QTest::keyClick(m_pDlg.get(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N,
                    Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(ObjectCount(), 2);
    CEntryControlView* p1 = m_pDlg->Registry().ObjectList().at(0);
    CEntryControlView* p2 = m_pDlg->Registry().ObjectList().at(1);
    Fill(p1, "1");

    // Selected and added from the object windows alone.
    CtrlSpace(p1);
    CtrlSpace(p2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    ASSERT_EQ(ObjectCount(), 3);
    EXPECT_EQ(Name(LastObject()), "Add(1,2)");
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    // A letter with Alt that runs nothing types nothing either.
    QTest::keyClick(&p1->Cell(0, 0), Qt::Key_B, Qt::AltModifier);
    QTest::keyClick(&p1->Cell(0, 0), Qt::Key_B, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(p1->Cell(0, 0).text(), "1");

    // Ctrl+L: the object list; the arrows choose without bringing anything
    // forward, Enter brings the chosen window forward and ends nothing.
    Activate(LastObject()->Frame());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(Eventually([this] { return QApplication::activeWindow() == m_pDlg.get(); }));
    QListWidget* pList = m_pDlg->ObjectListBox();
    EXPECT_EQ(QApplication::focusWidget(), pList);
    QTest::keyClick(pList, Qt::Key_Down);
    EXPECT_EQ(pList->currentRow(), 1);
    EXPECT_EQ(QApplication::activeWindow(), m_pDlg.get());
    QTest::keyClick(pList, Qt::Key_Return);
    EXPECT_TRUE(Eventually([p2] { return QApplication::activeWindow() == p2->Frame(); }));
    EXPECT_TRUE(m_pDlg->isVisible());
    EXPECT_TRUE(pList->selectedItems().isEmpty());
    // Ctrl+L again: back on the entry the list brought forward.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(Eventually([pList] { return QApplication::focusWidget() == pList; }));
    EXPECT_EQ(pList->currentRow(), 1);
    QTest::keyClick(pList, Qt::Key_Return);
    EXPECT_TRUE(Eventually([p2] { return QApplication::activeWindow() == p2->Frame(); }));

    // Ctrl+W closes the active window; Ctrl+Shift+W closes all.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(ObjectCount(), 2);
    Activate(p1->Frame());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ObjectCount(), 0);
}

TEST_F(KeyboardTest, CommandLineAndNoWindowSystem)
{
    EXPECT_FALSE(HasGraphicalSession(nullptr, nullptr, nullptr));
    EXPECT_FALSE(HasGraphicalSession("", "", ""));
    EXPECT_TRUE(HasGraphicalSession(":0", nullptr, nullptr));
    EXPECT_TRUE(HasGraphicalSession(nullptr, "wayland-0", ""));
    EXPECT_TRUE(HasGraphicalSession("", nullptr, "offscreen"));

    // Help goes to standard output, the usage after a bad option to standard
    // error (where: 1 and 2); nothing else is printed.
    struct Case
    {
        QStringList arguments;
        int nExitCode;
        const char* pOutStart;
        const char* pErrStart;
        int nUsageIn;
    };
    const std::string usage = "Usage: quindle [options] [file...]\n";
    for (const Case& c :
         {Case{{}, 1, "", kNoDisplayMessage, 0}, Case{{"a.txt"}, 1, "", kNoDisplayMessage, 0},
          Case{{"--help"}, 0, "Usage: quindle", "", 1}, Case{{"-h", "a.txt"}, 0, "Usage", "", 1},
          Case{{"--version"}, 0, "Quindle 1.0.0\n", "", 0},
          Case{{"--bogus", "a.txt"}, 2, "", "quindle: Unknown option '--bogus'.\n", 2},
          Case{{"-x"}, 2, "", "quindle: Unknown option '-x'.\n", 2}})
    {
        QProcess program;
        program.setProcessEnvironment(QProcessEnvironment());
        program.start(QStringLiteral(QUINDLE_PROGRAM), c.arguments);
        ASSERT_TRUE(program.waitForFinished(60000));
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << what;
        EXPECT_EQ(program.exitCode(), c.nExitCode) << what;
        const std::string out = program.readAllStandardOutput().toStdString();
        const std::string err = program.readAllStandardError().toStdString();
        EXPECT_EQ(out.substr(0, std::strlen(c.pOutStart)), c.pOutStart) << what;
        EXPECT_EQ(err.substr(0, std::strlen(c.pErrStart)), c.pErrStart) << what;
        EXPECT_EQ(out.empty(), *c.pOutStart == '\0') << what;
        EXPECT_EQ(err.empty(), *c.pErrStart == '\0') << what;
        EXPECT_EQ(out.find(usage) != std::string::npos, c.nUsageIn == 1) << what;
        EXPECT_EQ(err.find(usage) != std::string::npos, c.nUsageIn == 2) << what;
    }

    // Files come as absolute paths in their order; "--" ends the options.
    const CommandLine files = ParseCommandLine({"a b.txt", "/tmp/../x", "--", "-v"});
    EXPECT_FALSE(files.nExitStatus.has_value());
    EXPECT_EQ(files.files, (QStringList{QDir::current().absoluteFilePath("a b.txt"), "/x",
                                        QDir::current().absoluteFilePath("-v")}));
}

TEST_F(ClipboardTest, CopyGivesEveryCellsTextAsShown)
{
    CEntryControlView* pView = Random(2, 3);
    pView->Cell(0, 1).setText("");
    pView->Cell(0, 2).setText("1.23456789E+010");
    pView->Cell(1, 0).setText("1,5");
    pView->Cell(1, 2).setText("");
    const QString first = pView->Cell(0, 0).text();
    const QString middle = pView->Cell(1, 1).text();
    ASSERT_FALSE(first.isEmpty());

    Activate(pView->Frame());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              first + "\t\t1.23456789E+010\n1,5\t" + middle + "\t");

    CEntryControlView* pOne = Zeroed(1, 1);
    Activate(pOne->Frame());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "");
    EXPECT_EQ(Zeroed(3, 1)->ObjectText(), "\n\n");
}

TEST_F(ClipboardTest, PasteFillsFromTheFocusedCellAndClipsAtTheEdges)
{
    CEntryControlView* pView = Zeroed(3, 3);
    Fill(pView, "x");
    QGuiApplication::clipboard()->setText("a\tb\tc\nd\te\tf\ng\th\ti\n");

    Activate(pView->Frame());
    pView->Cell(1, 1).setFocus();
    QTest::keyClick(&pView->Cell(1, 1), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Texts(pView), "x|x|x|x|a|b|x|d|e");
    EXPECT_EQ(QApplication::focusWidget(), &pView->Cell(1, 1));

    // No cell with the focus: from cell (0, 0). Short lines leave the rest of
    // their row alone; nothing is checked.
    Fill(pView, "x");
    QGuiApplication::clipboard()->setText("1\t2\n3\n4\t5\t6\t7");
    pView->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), pView);
    QTest::keyClick(pView, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Texts(pView), "1|2|x|3|x|x|4|5|6");
    ExpectNoBox();

    // Into the last cell only its own value goes.
    pView->Cell(2, 2).setFocus();
    QTest::keyClick(&pView->Cell(2, 2), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pView->Cell(2, 2).text(), "1");
    EXPECT_EQ(pView->Cell(2, 1).text(), "5");
}

TEST_F(ClipboardTest, PasteTakesBlanksCrLfAndItsOwnCopy)
{
    CEntryControlView* pView = Zeroed(3, 3);
    Fill(pView, "9");
    pView->PasteText("  1  2e3   -4 \r\n5\t 6 \r\n\r\n", 0, 0);
    EXPECT_EQ(Texts(pView), "1|2e3|-4|5|6|9||9|9");
    const CMatrix values(pView);
    EXPECT_EQ(values.GetElement(0, 1), 2000.0);
    EXPECT_EQ(values.GetElement(1, 1), 6.0);

    // A text that is no number goes in as typed; the operation reports it.
    pView->PasteText("7 a,b", 1, 1);
    EXPECT_EQ(pView->Cell(1, 2).text(), "a,b");
    EXPECT_THROW(CMatrix{pView}, const char*);

    // A copy pastes back into an object of the same shape unchanged, blank
    // cells included, in both layouts.
    for (auto shape : {std::pair{2, 3}, std::pair{3, 1}})
    {
        CEntryControlView* pFrom = Random(shape.first, shape.second);
        pFrom->Cell(0, shape.second - 1).setText("");
        pFrom->Cell(1, 0).setText("");
        CEntryControlView* pTo = Zeroed(shape.first, shape.second);
        Fill(pTo, "x");
        pTo->PasteText(pFrom->ObjectText(), 0, 0);
        EXPECT_EQ(Texts(pTo), Texts(pFrom));
    }

    // A final line end ends the last line; it is no blank row of its own.
    pView->PasteText("8\n8\n", 0, 2);
    EXPECT_EQ(pView->Cell(2, 2).text(), "9");

    // An empty clipboard changes nothing.
    pView->PasteText("", 0, 0);
    EXPECT_EQ(pView->Cell(0, 0).text(), "1");
}

TEST_F(ClipboardTest, CtrlCAndCtrlVStayWithinOneCell)
{
    CEntryControlView* pView = Zeroed(2, 2);
    pView->Cell(0, 0).setText("12345");
    pView->Cell(1, 1).setText("ab");
    Activate(pView->Frame());

    CEntryControl& from = pView->Cell(0, 0);
    from.setFocus();
    from.setSelection(1, 3);
    QTest::keyClick(&from, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "234");

    CEntryControl& to = pView->Cell(1, 1);
    to.setFocus();
    to.setCursorPosition(1);
    QTest::keyClick(&to, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(to.text(), "a234b");
    EXPECT_EQ(pView->Cell(1, 0).text(), "");
    EXPECT_EQ(from.text(), "12345");

    // Ctrl+Shift+C then takes the whole object.
    QTest::keyClick(&to, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "12345\t\n\ta234b");
}

// Whatever closes, a box, More Operations, the help or an object window,
// the focus goes back to the window and cell the user was in, and never to
// the main dialog where a stray Escape ends the program.
TEST_F(KeyboardTest, FocusComesBackWhereTheUserWas)
{
    CEntryControlView* p1 = Zeroed(2, 2);
    CEntryControlView* p2 = Zeroed(2, 2);
    auto expectBackIn = [](CEntryControlView* pView, int i, int j, const char* pAfter)
    {
        EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == pView->Frame(); }))
            << pAfter;
        EXPECT_EQ(QApplication::focusWidget(), &pView->Cell(i, j)) << pAfter;
    };

    Activate(p2->Frame());
    p2->Cell(1, 1).setFocus();
    const MessageBoxHook hook = SetMessageBoxHook(nullptr);
    AnswerNextModal([](QWidget*) {});
    QTest::keyClick(&p2->Cell(1, 1), Qt::Key_A, Qt::AltModifier); // nothing selected: a box
    SetMessageBoxHook(hook);
    m_messages.clear();
    expectBackIn(p2, 1, 1, "a message box");

    QTest::keyClick(&p2->Cell(1, 1), Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(Eventually(
        [this]
        {
            return m_pDlg->MoreOperationsWindow() &&
                   QApplication::activeWindow() == m_pDlg->MoreOperationsWindow();
        }));
    QTest::keyClick(m_pDlg->MoreOperationsWindow(), Qt::Key_Escape);
    expectBackIn(p2, 1, 1, "More Operations");

    QTest::keyClick(&p2->Cell(1, 1), Qt::Key_F1);
    ASSERT_TRUE(
        Eventually([] { return HelpWindow() && QApplication::activeWindow() == HelpWindow(); }));
    QTest::keyClick(HelpWindow(), Qt::Key_Escape);
    expectBackIn(p2, 1, 1, "the help");

    Activate(p1->Frame());
    p1->Cell(0, 1).setFocus();
    Activate(p2->Frame());
    QTest::keyClick(&p2->Cell(1, 1), Qt::Key_W, Qt::ControlModifier);
    expectBackIn(p1, 0, 1, "Ctrl+W");
}
