// The "More Operations" window: opening it, its layout, and its buttons run
// on selected objects as the main dialog's operation buttons do.
#include "engine/MoreOperations.h"
#include "WindowTest.h"
#include "app/HelpWindow.h"
#include "app/HollastrinDlg.h"
#include "app/MoreOperationsDlg.h"
#include "app/Operations.h"
#include "platform/Metrics.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace
{
class MoreOperationsTest : public CommandsTest
{
protected:
    CMoreOperationsDlg* Open()
    {
        if (!m_pDlg->MoreOperationsWindow() || !m_pDlg->MoreOperationsWindow()->isVisible())
            PressKeys(m_pDlg.get(), QKeySequence(QString::fromUtf8(kMoreOperationsKey),
                                                 QKeySequence::PortableText));
        return m_pDlg->MoreOperationsWindow();
    }
    // Clicks a button of the window; returns the newest object afterwards.
    CEntryControlView* PressMore(int nID)
    {
        auto* pButton = qobject_cast<QPushButton*>(Open()->GetDlgItem(nID));
        EXPECT_NE(pButton, nullptr) << nID;
        if (pButton)
            pButton->click();
        return ObjectCount() ? LastObject() : nullptr;
    }
    bool NothingSelected() const { return m_pDlg->Registry().SelectedList().isEmpty(); }
};

TEST_F(MoreOperationsTest, OpensOnceFromTheMenuAndTheKeyBesideTheDialog)
{
    EXPECT_EQ(m_pDlg->MoreOperationsWindow(), nullptr);
    m_pDlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    QTest::keyClick(m_pDlg.get(), Qt::Key_M, Qt::ControlModifier);
    CMoreOperationsDlg* pMore = m_pDlg->MoreOperationsWindow();
    ASSERT_NE(pMore, nullptr);
    EXPECT_TRUE(pMore->isVisible());
    EXPECT_EQ(pMore->windowTitle(), "More Operations");
    EXPECT_EQ(pMore->parentWidget(), m_pDlg.get());
    EXPECT_FALSE(pMore->isModal());
    // Below the main dialog where the screen is tall enough, clear of the
    // object windows' cascade to its right; else to the dialog's right.
    const QRect main = m_pDlg->frameGeometry();
    const QRect more = pMore->frameGeometry();
    const bool bBelow = more.left() == main.left() && more.top() > main.bottom();
    const bool bRight = more.left() > main.right() && more.top() == main.top();
    EXPECT_TRUE(bBelow || bRight);
    EXPECT_EQ(bBelow,
              main.bottom() + more.height() + 4 <= m_pDlg->screen()->availableGeometry().bottom());

    // Closed, then opened again from the context menu: the same window.
    pMore->close();
    EXPECT_FALSE(pMore->isVisible());
    ChooseFromContextMenu("&More Operations...");
    EXPECT_EQ(m_pDlg->MoreOperationsWindow(), pMore);
    EXPECT_TRUE(pMore->isVisible());
    EXPECT_EQ(m_pDlg->findChildren<CMoreOperationsDlg*>().size(), 1);

    // F1 in it opens the help.
    pMore->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pMore));
    QTest::keyClick(pMore, Qt::Key_F1);
    EXPECT_TRUE(Eventually([] { return HelpWindow() && HelpWindow()->isVisible(); }));
    CloseHelp();
    ProcessDeferredDeletes();

    // Ending the dialog closes it.
    m_pDlg->accept();
    EXPECT_FALSE(pMore->isVisible());
}

TEST_F(MoreOperationsTest, EveryButtonFitsItsGroupAndTheWindow)
{
    CMoreOperationsDlg* pMore = Open();
    EXPECT_EQ(pMore->font(), m_pDlg->font());
    const QList<QGroupBox*> groups = pMore->findChildren<QGroupBox*>();
    QStringList titles;
    for (QGroupBox* pGroup : groups)
        titles << pGroup->title();
    titles.sort();
    EXPECT_EQ(titles, (QStringList{"Factorisations", "Numbers", "Solving", "Spectral"}));

    QStringList captions;
    QList<QRect> taken;
    for (QPushButton* pButton : pMore->findChildren<QPushButton*>())
    {
        const QString text = pButton->text();
        const QRect rect = pButton->geometry();
        EXPECT_TRUE(pMore->rect().contains(rect)) << text.toStdString();
        EXPECT_LE(pButton->fontMetrics().horizontalAdvance(text) + 4, rect.width())
            << text.toStdString();
        for (const QRect& other : taken)
            EXPECT_FALSE(rect.intersects(other)) << text.toStdString();
        taken << rect;
        if (text == "Help" || text == "Close")
            continue;
        captions << text;
        EXPECT_EQ(rect.size(), Metrics::DluRect(0, 0, 23, 16).size()) << text.toStdString();
        // Inside exactly one group, below its caption.
        int nGroups = 0;
        for (QGroupBox* pGroup : groups)
            if (pGroup->geometry().contains(rect))
            {
                ++nGroups;
                EXPECT_GE(rect.top(), pGroup->y() + pGroup->fontMetrics().height());
            }
        EXPECT_EQ(nGroups, 1) << text.toStdString();
        const auto op = std::find_if(kMoreOperations.begin(), kMoreOperations.end(),
                                     [&](const SMoreOperation& o) { return text == o.pCaption; });
        ASSERT_NE(op, kMoreOperations.end()) << text.toStdString();
        // Described with its keys, as the main dialog's buttons are.
        const QString keys =
            QString::fromUtf8(MoreOperation(EMoreOperation(op - kMoreOperations.begin())).pKeys);
        EXPECT_EQ(pButton->toolTip(), QString("%1 (%2)").arg(op->pDescription, keys));
        // Reachable from the keyboard, and described to screen readers.
        EXPECT_TRUE(pButton->focusPolicy() & Qt::TabFocus) << text.toStdString();
        EXPECT_EQ(pButton->accessibleDescription(), pButton->toolTip());
    }
    EXPECT_EQ(
        qobject_cast<QPushButton*>(pMore->GetDlgItem(IDC_MORE_CLOSE))->accessibleDescription(),
        "Close this window (Escape)");
    EXPECT_EQ(qobject_cast<QPushButton*>(pMore->GetDlgItem(IDC_MORE_HELP))->accessibleDescription(),
              "Open the help (F1)");
    EXPECT_EQ(captions.size(), int(kMoreOperations.size()));
    EXPECT_EQ(captions.removeDuplicates(), 0);
}

TEST_F(MoreOperationsTest, ResultsAreNamedAfterTheOperationAndItsOperands)
{
    struct Case
    {
        int nID;
        int nRows, nCols;
        QStringList cells;
        const char* pName;
        QStringList result;
    };
    // clang-format off
    const Case cases[] = {
        {IDC_MORE_TR, 2, 2, {"1", "2", "3", "4"}, "Tr(%1)", {"5"}},
        {IDC_MORE_RANK, 2, 2, {"1", "2", "2", "4"}, "Rank(%1)", {"1"}},
        // Descending, as a column.
        {IDC_MORE_EIG, 3, 3, {"1", "0", "0", "0", "3", "0", "0", "0", "2"}, "Eig(%1)", {"3", "2", "1"}},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        CEntryControlView* pOperand = Zeroed(c.nRows, c.nCols, c.cells);
        const QString number = Name(pOperand);
        RightClick(pOperand);
        CEntryControlView* pResult = PressMore(c.nID);
        ASSERT_NE(pResult, pOperand) << c.pName << m_messages.join('\n').toStdString();
        EXPECT_EQ(Name(pResult), QString(c.pName).arg(number));
        EXPECT_EQ(CellTexts(pResult), c.result) << c.pName;
        EXPECT_TRUE(NothingSelected());
    }

    // Two operands, in the order of selection.
    CEntryControlView* pA = Zeroed(3, 2, {"1", "0", "0", "1", "0", "0"});
    CEntryControlView* pB = Zeroed(3, 1, {"1", "2", "3"});
    RightClick(pB);
    RightClick(pA);
    PressMore(IDC_MORE_LSQ);
    ExpectBox(MoreText::kLeastSquaresShape);
    EXPECT_TRUE(NothingSelected());
    RightClick(pA);
    RightClick(pB);
    CEntryControlView* pX = PressMore(IDC_MORE_LSQ);
    EXPECT_EQ(Name(pX), QString("Lsq(%1,%2)").arg(Name(pA), Name(pB)));
    EXPECT_EQ(CellTexts(pX), (QStringList{"1", "2"}));

    // Qr: two windows, Q then R, each numbered.
    CEntryControlView* pM = Zeroed(2, 2, {"3", "0", "4", "5"});
    const int nNext = m_pDlg->Registry().NextObjectNumber();
    RightClick(pM);
    PressMore(IDC_MORE_QR);
    ASSERT_EQ(m_pDlg->Registry().NextObjectNumber(), nNext + 2);
    const QList<CEntryControlView*>& objects = m_pDlg->Registry().ObjectList();
    CEntryControlView* pQ = objects.at(objects.size() - 2);
    CEntryControlView* pR = objects.last();
    EXPECT_EQ(Name(pQ), QString("Qr.Q(%1)").arg(Name(pM)));
    EXPECT_EQ(Name(pR), QString("Qr.R(%1)").arg(Name(pM)));
    EXPECT_EQ(CellTexts(pQ), (QStringList{"0.6", "-0.8", "0.8", "0.6"}));
    EXPECT_EQ(CellTexts(pR), (QStringList{"5", "4", "0", "3"}));
    EXPECT_TRUE(NothingSelected());
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
}

TEST_F(MoreOperationsTest, RefusalsAndSelectionRulesOpenNothing)
{
    CEntryControlView* pWide = Zeroed(2, 3, {"1", "0", "0", "0", "1", "0"});
    CEntryControlView* pRotation = Zeroed(2, 2, {"0", "-1", "1", "0"});
    CEntryControlView* pIdentity = Zeroed(2, 2, {"1", "0", "0", "1"});
    const int nNext = m_pDlg->Registry().NextObjectNumber();
    const struct
    {
        int nID;
        CEntryControlView* pOperand;
        const char* pText;
    } refusals[] = {
        {IDC_MORE_EIG, pWide, EngineText::kSelectedNotSquare},
        {IDC_MORE_VEC, pRotation, MoreText::kComplexEigenvalues},
        {IDC_MORE_NULL, pIdentity, MoreText::kTrivialNullSpace},
        {IDC_MORE_COND, pWide, nullptr}, // full rank: answered
    };
    for (const auto& r : refusals)
    {
        RightClick(r.pOperand);
        PressMore(r.nID);
        if (r.pText)
        {
            ExpectBox(r.pText);
            EXPECT_EQ(ObjectCount(), 3);
            EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), nNext);
        }
        EXPECT_TRUE(NothingSelected()) << r.nID;
    }
    EXPECT_EQ(ObjectCount(), 4);
    CloseWindow(LastObject());

    // The selection checks of the main dialog's commands.
    PressMore(IDC_MORE_EIG);
    ExpectBox(MessageText::kSelectOne);
    PressMore(IDC_MORE_LSQ);
    ExpectBox(MessageText::kSelectTwo);
    RightClick(pWide);
    PressMore(IDC_MORE_LSQ);
    ExpectBox(MessageText::kSelectAnother);
    EXPECT_EQ(m_pDlg->Registry().SelectedList(), QList<CEntryControlView*>{pWide});
    RightClick(pIdentity);
    PressMore(IDC_MORE_TR);
    ExpectBox(MessageText::kOnlyOne);
    EXPECT_TRUE(NothingSelected());
    EXPECT_EQ(pWide->IsSelected() + pIdentity->IsSelected(), 0);
    EXPECT_EQ(ObjectCount(), 3);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
}

TEST_F(MoreOperationsTest, SeveralResultsOpenOnlyWhenAllFit)
{
    for (int k = 0; k < 11; ++k)
        Zeroed(20, 20);
    ASSERT_EQ(m_pDlg->Registry().EditControlCount(), 4400);
    const int nNext = m_pDlg->Registry().NextObjectNumber();
    // P alone would fit; P, L and U together would not.
    RightClick(LastObject());
    PressMore(IDC_MORE_LU);
    ExpectBox(MessageText::kBudgetReached);
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 4400);
    EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), nNext);
    EXPECT_TRUE(NothingSelected());

    // With room, all three open under their part names.
    CloseWindow(LastObject());
    CloseWindow(LastObject());
    CloseWindow(LastObject());
    CEntryControlView* pA = Zeroed(2, 2, {"1", "2", "3", "4"});
    RightClick(pA);
    PressMore(IDC_MORE_LU);
    const QList<CEntryControlView*>& objects = m_pDlg->Registry().ObjectList();
    ASSERT_GE(objects.size(), 3);
    QStringList names;
    for (qsizetype k = objects.size() - 3; k < objects.size(); ++k)
        names << Name(objects.at(k));
    const QString n = Name(pA);
    EXPECT_EQ(names, (QStringList{"Lu.P(" + n + ")", "Lu.L(" + n + ")", "Lu.U(" + n + ")"}));
    EXPECT_EQ(CellTexts(objects.last()), (QStringList{"3", "4", "0", "0.6666666667"}));
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
}

// The More Operations have keys of their own, none of them another
// command's; like the main dialog's they work from the object windows, with
// the window open or not. Ctrl+Space presses no button and opens no list.
TEST_F(MoreOperationsTest, KeysOfTheirOwnAndNoneForCtrlSpace)
{
    QStringList keys;
    for (QPushButton* pButton : m_pDlg->findChildren<QPushButton*>())
        keys << pButton->toolTip().section(" (", -1).chopped(1);
    for (std::size_t k = 0; k < kMoreOperations.size(); ++k)
        keys << QString::fromUtf8(MoreOperation(EMoreOperation(k)).pKeys);
    keys << kMoreOperationsKey << kObjectListKey << kReopenClosedKey << "Ctrl+Space"
         << "Ctrl+W"
         << "Ctrl+Shift+C"
         << "Ctrl+Shift+V";
    EXPECT_EQ(keys.removeDuplicates(), 0) << keys.join(' ').toStdString();

    CEntryControlView* pView = Zeroed(2, 2, {"1", "2", "2", "4"});
    Activate(pView->Frame());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_EQ(ObjectCount(), 2);
    EXPECT_EQ(Name(LastObject()), "Rank(1)");
    EXPECT_EQ(m_pDlg->MoreOperationsWindow(), nullptr);

    RightClick(pView);
    CMoreOperationsDlg* pMore = Open();
    QWidget* pEig = pMore->GetDlgItem(IDC_MORE_EIG);
    pEig->setFocus();
    QTest::keyClick(pEig, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(ObjectCount(), 2);
    QTest::keyClick(m_pDlg->RowsBox(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_FALSE(m_pDlg->RowsBox()->view()->isVisible());
    // In the object list it brings no window forward.
    Activate(m_pDlg.get());
    m_pDlg->ObjectListBox()->setFocus();
    QTest::keyClick(m_pDlg->ObjectListBox(), Qt::Key_Space, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), m_pDlg.get());
    // Space alone still presses the button.
    QTest::keyClick(pEig, Qt::Key_Space);
    EXPECT_EQ(ObjectCount(), 3);
}
} // namespace
