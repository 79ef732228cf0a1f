// Creating objects (budget, numbering, random values), the object list as a
// launcher, Cmp and "Close  All  Objects".
#include "WindowTest.h"
#include "engine/Matrix.h"
#include "platform/NumberText.h"
#include "platform/Random.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QTest>

using CreationTest = UiTest;
using ObjectListTest = UiTest;
using CompareTest = UiTest;

namespace
{
QStringList ListEntries(CHollastrinDlg& dlg)
{
    QStringList entries;
    for (int k = 0; k < dlg.ObjectListBox()->count(); ++k)
        entries << dlg.ObjectListBox()->item(k)->text();
    return entries;
}
} // namespace

TEST_F(CreationTest, BothDimensionsMustBeChosen)
{
    m_pDlg->Windows().SetRandomSeed(77);
    m_pDlg->RowsBox()->setCurrentIndex(2);
    PressButton("buttonZeroedObject");
    ExpectBox(MessageText::kSelectDimensions);
    PressButton("buttonRandomObject");
    ExpectBox(MessageText::kSelectDimensions);
    EXPECT_TRUE(m_pDlg->Registry().ObjectList().isEmpty());
    EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), 1);
    EXPECT_EQ(m_pDlg->Windows().RandomSeed(), 77);
}

TEST_F(CreationTest, TheBudgetIs4999Cells)
{
    for (int k = 0; k < 12; ++k)
        ASSERT_NE(Zeroed(20, 20), nullptr);
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 4800);
    EXPECT_EQ(Zeroed(20, 20), nullptr);
    ExpectBox(MessageText::kBudgetReached);
    ASSERT_NE(Zeroed(13, 15), nullptr);
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 4995);
    EXPECT_EQ(Random(1, 5), nullptr);
    ExpectBox(MessageText::kBudgetReached);
    EXPECT_EQ(Operate(IDC_ADD, m_pDlg->Registry().ObjectList().at(0),
                      m_pDlg->Registry().ObjectList().at(1)),
              nullptr);
    ExpectBox(MessageText::kBudgetReached);
    WriteBytes(PathOf("column.txt"), "5 1 |\r\n1 |\r\n2 |\r\n3 |\r\n4 |\r\n5 |\r\n");
    EXPECT_EQ(Load(PathOf("column.txt")), nullptr);
    ExpectBox(MessageText::kBudgetReached);
    // Refusals use up no number.
    EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), 14);
    ASSERT_NE(Zeroed(1, 4), nullptr);
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 4999);
    EXPECT_EQ(m_pDlg->Registry().ObjectList().last()->Frame()->ObjectNumber(), 14);

    PressButton("buttonCloseAllObjects");
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 0);
}

TEST_F(CreationTest, NumbersAreNeverReused)
{
    Zeroed(1, 1);
    CEntryControlView* p2 = Zeroed(1, 1);
    p2->Frame()->close();
    CEntryControlView* p3 = Zeroed(1, 1);
    EXPECT_EQ(p3->Frame()->ObjectNumber(), 3);
    EXPECT_EQ(ListEntries(*m_pDlg), (QStringList{"1", "3"}));
    PressButton("buttonCloseAllObjects");
    EXPECT_EQ(Zeroed(1, 1)->Frame()->ObjectNumber(), 4);
}

TEST_F(CreationTest, RandomValuesFollowTheSeedAndReseed)
{
    m_pDlg->Windows().SetRandomSeed(12345);
    CEntryControlView* pView = Random(2, 3);
    CRandomGenerator expected;
    expected.Seed(12345);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j)
        {
            const double d = expected.Next() / 32767.0;
            EXPECT_EQ(pView->m_pValues[i][j], d);
            EXPECT_EQ(pView->Cell(i, j).text().toStdString(), FormatCellNumber(d));
        }
    const int nNextSeed = expected.Next();
    EXPECT_EQ(m_pDlg->Windows().RandomSeed(), nNextSeed);
    // The first value of seed 12345 is known.
    CRandomGenerator first;
    first.Seed(12345);
    EXPECT_EQ(first.Next(), 7584);

    // A refused click changes nothing for the next object.
    m_pDlg->ColsBox()->setCurrentIndex(-1);
    PressButton("buttonRandomObject");
    ExpectBox(MessageText::kSelectDimensions);
    CEntryControlView* pNext = Random(1, 1);
    expected.Seed(static_cast<std::uint32_t>(nNextSeed));
    EXPECT_EQ(pNext->m_pValues[0][0], expected.Next() / 32767.0);
    EXPECT_EQ(pNext->Frame()->windowTitle(), "2  [1X1]");
}

TEST_F(ObjectListTest, PickingEntriesBringsWindowsForwardAndClearsTheList)
{
    for (int k = 0; k < 12; ++k)
        Zeroed(1, 1);
    m_pDlg->Registry().ObjectList().at(0)->Frame()->close();
    QListWidget* pList = m_pDlg->ObjectListBox();
    ASSERT_EQ(pList->count(), 11);
    EXPECT_EQ(pList->item(0)->text(), "2");

    // Entry "10" is at index 8 now.
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {},
                      pList->visualItemRect(pList->item(8)).center());
    CObjectFrame* pTen = m_pDlg->Registry().ObjectList().at(8)->Frame();
    EXPECT_EQ(pTen->ObjectNumber(), 10);
    EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == pTen; }));
    EXPECT_EQ(pTen->focusWidget(), &pTen->View()->Cell(0, 0));
    EXPECT_TRUE(pList->selectedItems().isEmpty());

    // Several entries: every window comes forward in list order, the last in
    // front.
    {
        const QSignalBlocker blocker(pList);
        pList->item(2)->setSelected(true);
        pList->item(5)->setSelected(true);
    }
    m_pDlg->OnSelchangeObjectList();
    EXPECT_TRUE(Eventually(
        [&] {
            return QApplication::activeWindow() == m_pDlg->Registry().ObjectList().at(5)->Frame();
        }));
    EXPECT_TRUE(pList->selectedItems().isEmpty());

    // A window closed in the middle: later entries still reach their own.
    m_pDlg->Registry().ObjectList().at(3)->Frame()->close();
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {},
                      pList->visualItemRect(pList->item(3)).center());
    EXPECT_TRUE(Eventually(
        [&] {
            return QApplication::activeWindow() == m_pDlg->Registry().ObjectList().at(3)->Frame();
        }));
    EXPECT_EQ(m_pDlg->Registry().ObjectList().at(3)->Frame()->ObjectNumber(), 6);
}

TEST_F(CompareTest, SelectionMessagesLeaveTheSelection)
{
    CEntryControlView* p1 = Zeroed(1, 1);
    PressButton("buttonCmp");
    ExpectBox(MessageText::kSelectTwo);
    RightClick(p1);
    PressButton("buttonCmp");
    ExpectBox(MessageText::kSelectAnother);
    EXPECT_EQ(p1->IsSelected(), 1);
    EXPECT_EQ(m_pDlg->Registry().SelectedList().size(), 1);
}

TEST_F(CompareTest, OutcomesAndDeselection)
{
    CEntryControlView* a = Zeroed(2, 2);
    CEntryControlView* b = Zeroed(2, 2);
    auto compare = [&](const char* pExpected, MessageIcon icon)
    {
        RightClick(a);
        RightClick(b);
        PressButton("buttonCmp");
        ExpectBox(pExpected, icon);
        EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
        EXPECT_EQ(a->IsSelected() + b->IsSelected(), 0);
    };
    a->Cell(0, 0).setText("0.5");
    b->Cell(0, 0).setText(".5");
    a->Cell(0, 1).setText("1");
    b->Cell(0, 1).setText("1e0");
    b->Cell(1, 1).setText("0");
    compare(MessageText::kIdentical, MessageIcon::Information);
    EXPECT_EQ(a->m_pValues[0][0], 0.5); // the reading stays in the values

    b->Cell(1, 0).setText("0.10000000001");
    a->Cell(1, 0).setText("0.1");
    compare(MessageText::kNotIdentical, MessageIcon::Information);

    a->Cell(0, 0).setText("1,5");
    b->Cell(0, 0).setText("x");
    compare(MessageText::kIllegalCharacter, MessageIcon::Exclamation);
    EXPECT_EQ(b->m_pValues[0][0], 0.5); // the second was not read

    a->Cell(0, 0).clear();
    PressButton("buttonCloseAllObjects");
    a = Zeroed(2, 3);
    b = Zeroed(3, 2);
    compare(MessageText::kDimensionsDiffer, MessageIcon::Exclamation);
}

TEST_F(CompareTest, CloseAllEmptiesEverything)
{
    PressButton("buttonCloseAllObjects"); // nothing open: nothing happens
    CEntryControlView* p1 = Zeroed(2, 2);
    Zeroed(3, 3);
    CEntryControlView* p3 = Zeroed(1, 1);
    RightClick(p1);
    RightClick(p3);
    QPointer<CObjectFrame> pFrame = p1->Frame();
    PressButton("buttonCloseAllObjects");
    EXPECT_TRUE(pFrame.isNull());
    EXPECT_TRUE(m_pDlg->Registry().ObjectList().isEmpty());
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    EXPECT_EQ(m_pDlg->ObjectListBox()->count(), 0);
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 0);
    EXPECT_EQ(Zeroed(1, 1)->Frame()->ObjectNumber(), 4);
}

// The selection can change while a box is open; clearing it afterwards takes
// whatever is there.
TEST_F(CompareTest, DeselectClearsWhateverTheSelectionHolds)
{
    CEntryControlView* p1 = Zeroed(1, 1);
    CEntryControlView* p2 = Zeroed(1, 1);
    RightClick(p1);
    m_pDlg->DeselectTwo();
    EXPECT_EQ(p1->IsSelected(), 0);
    m_pDlg->DeselectOne();
    RightClick(p1);
    RightClick(p2);
    m_pDlg->DeselectOne();
    EXPECT_EQ(p1->IsSelected() + p2->IsSelected(), 0);
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
}

// A window closed while its own message box is open is never touched again.
TEST_F(CompareTest, ClosingTheWindowDuringItsMessageBox)
{
    CEntryControlView* p1 = Zeroed(1, 1);
    CEntryControlView* p2 = Zeroed(1, 1);
    CEntryControlView* p3 = Zeroed(1, 1);
    RightClick(p1);
    RightClick(p2);
    QPointer<CObjectFrame> pFrame3 = p3->Frame();
    // The real box, so that the window is deleted inside its event loop.
    const MessageBoxHook hook = SetMessageBoxHook(nullptr);
    AnswerNextModal(
        [&](QWidget*)
        {
            pFrame3->close();
            EXPECT_TRUE(Eventually([&] { return pFrame3.isNull(); }));
        });
    // Only the press: the release would go to a window that is gone.
    QTest::mousePress(p3->viewport(), Qt::RightButton, {}, QPoint(2, 2));
    SetMessageBoxHook(hook);
    EXPECT_TRUE(pFrame3.isNull());
    EXPECT_EQ(m_pDlg->Registry().ObjectList().size(), 2);
}
