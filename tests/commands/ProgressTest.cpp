// Long computations: the progress dialog, Cancel, and object windows that
// stay usable (and closable) while a command computes.
#include "WindowTest.h"

#include "app/MoreOperationsDlg.h"

#include "engine/Matrix.h"
#include "engine/Progress.h"
#include "platform/ProgressWatch.h"
#include "tests/support/MatrixHelpers.h"

#include <QApplication>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <chrono>

namespace
{
using namespace std::chrono_literals;
using Handler = void (CHollastrinDlg::*)();

// A rotation by one radian: its powers never repeat, so 2147483647 of them
// take far longer than any test waits.
const QStringList kRotation = {"0.5403023058681398", "-0.8414709848078965", "0.8414709848078965",
                               "0.5403023058681398"};
const QStringList kHugeExponent = {"2147483647"};
// Finishes in a blink, yet reports thousands of times.
const QStringList kModerateExponent = {"5000"};

QPushButton* CancelButton(QProgressDialog& dialog)
{
    return dialog.findChild<QPushButton*>();
}

// Presses Cancel the way a user does: the click is an event, delivered by
// the computation's own processing of events.
void ClickCancelSoon(QProgressDialog& dialog)
{
    QPointer<QPushButton> pButton = CancelButton(dialog);
    QTimer::singleShot(0, &dialog,
                       [pButton]
                       {
                           if (pButton)
                               QTest::mouseClick(pButton, Qt::LeftButton);
                       });
}

class ProgressTest : public CommandsTest
{
protected:
    void SetUp() override
    {
        CommandsTest::SetUp();
        // No waiting: the dialog comes with the first report.
        m_previousDelay = CProgressWatch::SetShowDelay(0ms);
    }

    void TearDown() override
    {
        CProgressWatch::SetShowHook(nullptr);
        CProgressWatch::SetShowDelay(m_previousDelay);
        CommandsTest::TearDown();
    }

    // Runs once in each dialog that appears, after it has been shown.
    void WhileShown(std::function<void(QProgressDialog&)> action)
    {
        CProgressWatch::SetShowHook(
            [this, action = std::move(action)](QProgressDialog& dialog)
            {
                ++m_nShown;
                m_label = dialog.labelText();
                if (action)
                    action(dialog);
            });
    }

    // The rotation and an exponent, both selected.
    void MakePowOperands(const QStringList& exponent)
    {
        m_pFirst = Zeroed(2, 2, kRotation);
        m_pSecond = Zeroed(1, 1, exponent);
        RightClick(m_pFirst);
        RightClick(m_pSecond);
    }

    // Runs a command and checks that it left nothing of its progress behind.
    void Run(Handler handler)
    {
        (m_pDlg.get()->*handler)();
        EXPECT_EQ(ProgressDetail::g_pInstalledSink, nullptr);
        EXPECT_TRUE(m_pDlg->findChildren<QProgressDialog*>().isEmpty());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void ExpectNothingCameOfIt(int nObjects, int nNextNumber)
    {
        EXPECT_EQ(ObjectCount(), nObjects);
        EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), nNextNumber);
        EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
        EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
        for (CEntryControlView* pView : m_pDlg->Registry().ObjectList())
            EXPECT_EQ(pView->IsSelected(), 0);
    }

    static void ExpectSameBits(const CEntryControlView* pView, const CMatrix& expected)
    {
        ASSERT_EQ(pView->m_nRows, expected.m_nRows);
        ASSERT_EQ(pView->m_nCols, expected.m_nCols);
        for (int i = 0; i < expected.m_nRows; ++i)
            for (int j = 0; j < expected.m_nCols; ++j)
            {
                EXPECT_TRUE(SameBits(pView->m_pValues[i][j], expected.GetElement(i, j)))
                    << i << ' ' << j;
            }
    }

    CEntryControlView* m_pFirst = nullptr;
    CEntryControlView* m_pSecond = nullptr;
    int m_nShown = 0;
    QString m_label;

private:
    std::chrono::milliseconds m_previousDelay{};
};

TEST_F(ProgressTest, DialogNamesTheResultAndCancelEndsTheCommandQuietly)
{
    MakePowOperands(kHugeExponent);
    QString title, cancelText, name, barName;
    Qt::WindowModality modality = Qt::NonModal;
    bool bCancelledByEnter = true;
    QWidget* pParent = nullptr;
    int nMaximum = 0;
    WhileShown(
        [&](QProgressDialog& dialog)
        {
            title = dialog.windowTitle();
            name = dialog.accessibleName();
            if (auto* pBar = dialog.findChild<QProgressBar*>())
                barName = pBar->accessibleName();
            modality = dialog.windowModality();
            pParent = dialog.parentWidget();
            nMaximum = dialog.maximum();
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
            QPushButton* pCancel = CancelButton(dialog);
            ASSERT_NE(pCancel, nullptr);
            cancelText = pCancel->text();
            // Enter (a screen reader's where-am-I key on the keypad) is no
            // Cancel.
            pCancel->setFocus();
            QTest::keyClick(pCancel, Qt::Key_Enter, Qt::KeypadModifier);
            QTest::keyClick(&dialog, Qt::Key_Return);
            bCancelledByEnter = dialog.wasCanceled();
            ClickCancelSoon(dialog);
        });
    Run(&CHollastrinDlg::OnPow);

    EXPECT_EQ(m_nShown, 1);
    EXPECT_EQ(m_label, "Pow(1,2)");
    EXPECT_EQ(title, "Quindle");
    // Screen readers hear what is being computed.
    EXPECT_EQ(name, "Computing Pow(1,2)");
    EXPECT_EQ(barName, "Progress of Pow(1,2)");
    EXPECT_EQ(cancelText, "Cancel");
    EXPECT_FALSE(bCancelledByEnter);
    EXPECT_EQ(modality, Qt::WindowModal);
    EXPECT_EQ(pParent, m_pDlg.get());
    EXPECT_EQ(nMaximum, CProgressWatch::kBarMaximum);
    ExpectNothingCameOfIt(2, 3);
    // The operands are as they were.
    EXPECT_EQ(CellTexts(m_pFirst), kRotation);
    EXPECT_EQ(CellTexts(m_pSecond), kHugeExponent);

    // Cancel leaves nothing behind: the next command runs as usual.
    m_pSecond->Cell(0, 0).setText("2");
    RightClick(m_pFirst);
    RightClick(m_pSecond);
    WhileShown(nullptr);
    Run(&CHollastrinDlg::OnPow);
    ASSERT_EQ(ObjectCount(), 3);
    EXPECT_EQ(Name(LastObject()), "Pow(1,2)");
}

// Closing the dialog, as its close box, Escape or a test that answers every
// modal window does, cancels as the button does.
TEST_F(ProgressTest, ClosingTheDialogCancels)
{
    const std::function<void(QProgressDialog&)> closers[] = {
        [](QProgressDialog&)
        {
            QTimer::singleShot(0,
                               []
                               {
                                   if (QWidget* pModal = QApplication::activeModalWidget())
                                       pModal->close();
                               });
        },
        [](QProgressDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); },
    };
    MakePowOperands(kHugeExponent);
    int nRun = 0;
    for (const auto& close : closers)
    {
        SCOPED_TRACE(nRun++);
        if (m_pDlg->Registry().SelectedList().isEmpty())
        {
            RightClick(m_pFirst);
            RightClick(m_pSecond);
        }
        WhileShown(close);
        m_nShown = 0;
        Run(&CHollastrinDlg::OnPow);
        EXPECT_EQ(m_nShown, 1);
        ExpectNothingCameOfIt(2, 3);
    }
}

// While the dialog is up the main dialog takes no input, the object windows
// do: here a right click deselects an operand.
TEST_F(ProgressTest, OnlyTheMainDialogIsBlocked)
{
    MakePowOperands(kHugeExponent);
    bool bDeselectedMeanwhile = false;
    int nObjectsMeanwhile = 0;
    WhileShown(
        [&](QProgressDialog& dialog)
        {
            RightClickThroughWindow(m_pFirst);
            bDeselectedMeanwhile = m_pFirst->IsSelected() == 0;
            ClickThroughDialog(IDC_ZEROED_OBJECT);
            nObjectsMeanwhile = ObjectCount();
            ClickCancelSoon(dialog);
        });
    Run(&CHollastrinDlg::OnPow);

    EXPECT_TRUE(bDeselectedMeanwhile);
    EXPECT_EQ(nObjectsMeanwhile, 2);
    ExpectNothingCameOfIt(2, 3);

    // The same click on the main dialog without the progress dialog does
    // open an object: the check above can fail.
    QWidget* pZeroed = m_pDlg->GetDlgItem(IDC_ZEROED_OBJECT);
    QTest::mouseClick(m_pDlg->windowHandle(), Qt::LeftButton, {}, pZeroed->geometry().center());
    EXPECT_EQ(ObjectCount(), 3);
}

// An operand's window closed while the dialog is up: the command goes on, and
// a result that completes is named after the operands as they were.
TEST_F(ProgressTest, OperandWindowClosedMeanwhile)
{
    enum Closed
    {
        First,
        Second,
        Both,
    };
    struct Case
    {
        Closed closed;
        bool bCancel;
    };
    const Case cases[] = {{First, false}, {Second, false}, {Both, false}, {First, true}};
    int nNext = 1;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.closed << ' ' << c.bCancel);
        PressButton("buttonCloseAllObjects");
        MakePowOperands(kModerateExponent);
        const QString expectedName = QString("Pow(%1,%2)").arg(nNext).arg(nNext + 1);
        nNext += 2;
        // The plain engine on the same cells, read as the command reads them.
        const CMatrix expected = Power(CMatrix(m_pFirst), CMatrix(m_pSecond));
        QPointer<CEntryControlView> pFirst = m_pFirst;
        QPointer<CEntryControlView> pSecond = m_pSecond;
        WhileShown(
            [&](QProgressDialog& dialog)
            {
                if (c.closed != Second)
                    CloseWindow(pFirst);
                if (c.closed != First)
                    CloseWindow(pSecond);
                if (c.bCancel)
                    ClickCancelSoon(dialog);
            });
        m_nShown = 0;
        Run(&CHollastrinDlg::OnPow);

        EXPECT_EQ(m_nShown, 1);
        EXPECT_EQ(pFirst.isNull(), c.closed != Second);
        EXPECT_EQ(pSecond.isNull(), c.closed != First);
        const int nLeft = c.closed == Both ? 0 : 1;
        if (c.bCancel)
        {
            ExpectNothingCameOfIt(nLeft, nNext);
            continue;
        }
        ++nNext;
        EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
        ASSERT_EQ(ObjectCount(), nLeft + 1);
        EXPECT_EQ(Name(LastObject()), expectedName);
        ExpectSameBits(LastObject(), expected);
        EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    }
}

// The one-object flow takes the same care: the cofactors report per minor.
TEST_F(ProgressTest, OneObjectCommandWithItsWindowClosed)
{
    CEntryControlView* pOperand = Zeroed(2, 2, {"1", "2", "3", "4"});
    RightClick(pOperand);
    WhileShown([&](QProgressDialog&) { CloseWindow(pOperand); });
    Run(&CHollastrinDlg::OnCof);
    EXPECT_EQ(m_nShown, 1);
    EXPECT_EQ(m_label, "Cof(1)");
    ASSERT_EQ(ObjectCount(), 1);
    EXPECT_EQ(Name(LastObject()), "Cof(1)");
    EXPECT_EQ(CellTexts(LastObject()), (QStringList{"4", "-3", "-2", "1"}));
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
}

// Commands that report nothing never show the dialog, even without delay;
// with the program's delay, short reporting ones do not either.
TEST_F(ProgressTest, FastCommandsNeverShowTheDialog)
{
    WhileShown(nullptr);
    CEntryControlView* pSquare = Zeroed(3, 3, {"2", "1", "0", "1", "3", "1", "0", "1", "4"});
    CEntryControlView* pOther = Zeroed(3, 3, {"1", "0", "5", "0", "1", "0", "0", "0", "1"});
    CEntryControlView* pRow1 = Zeroed(1, 3, {"1", "2", "3"});
    CEntryControlView* pRow2 = Zeroed(1, 3, {"4", "5", "6"});
    CEntryControlView* pColumn = Zeroed(3, 1, {"1", "2", "3"});
    CEntryControlView* pNumber = Zeroed(1, 1, {"2"});
    struct Case
    {
        Handler handler;
        CEntryControlView* pFirst;
        CEntryControlView* pSecond;
    };
    const Case cases[] = {
        {&CHollastrinDlg::OnMag, pRow1, nullptr},   {&CHollastrinDlg::OnTrp, pSquare, nullptr},
        {&CHollastrinDlg::OnInv, pSquare, nullptr}, {&CHollastrinDlg::OnDet, pSquare, nullptr},
        {&CHollastrinDlg::OnTrc, pSquare, nullptr}, {&CHollastrinDlg::OnAdd, pSquare, pOther},
        {&CHollastrinDlg::OnSub, pSquare, pOther},  {&CHollastrinDlg::OnMul, pSquare, pOther},
        {&CHollastrinDlg::OnMul, pNumber, pSquare}, {&CHollastrinDlg::OnDot, pRow1, pRow2},
        {&CHollastrinDlg::OnCrs, pRow1, pRow2},     {&CHollastrinDlg::OnAng, pRow1, pRow2},
        {&CHollastrinDlg::OnSlv, pSquare, pColumn},
    };
    int nObjects = ObjectCount();
    for (const Case& c : cases)
    {
        RightClick(c.pFirst);
        if (c.pSecond)
            RightClick(c.pSecond);
        Run(c.handler);
        EXPECT_EQ(ObjectCount(), ++nObjects);
    }
    EXPECT_EQ(m_nShown, 0);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();

    CProgressWatch::SetShowDelay(CProgressWatch::kDefaultShowDelay);
    CEntryControlView* pExponent = Zeroed(1, 1, {"1000"});
    RightClick(pSquare);
    RightClick(pExponent);
    Run(&CHollastrinDlg::OnPow);
    RightClick(pSquare);
    Run(&CHollastrinDlg::OnCof);
    EXPECT_EQ(m_nShown, 0);
    EXPECT_EQ(ObjectCount(), nObjects + 3);
}

// An engine error after the dialog has appeared is told as ever, once the
// dialog is gone.
TEST_F(ProgressTest, ErrorAfterTheDialogIsShownAsUsual)
{
    CEntryControlView* pBig = Zeroed(20, 20, {"1"});
    RightClick(pBig);
    // Twelve 20 x 20 objects leave no room for the cofactors' 400 cells.
    for (int k = 0; k < 11; ++k)
        Zeroed(20, 20);
    WhileShown(nullptr);
    int nDialogsWithTheBox = -1;
    WhileNextBoxOpen(
        [&] { nDialogsWithTheBox = int(m_pDlg->findChildren<QProgressDialog*>().size()); });
    Run(&CHollastrinDlg::OnCof);
    EXPECT_EQ(m_nShown, 1);
    EXPECT_EQ(nDialogsWithTheBox, 0);
    EXPECT_EQ(m_messages, QStringList{MessageText::kBudgetReached});
    EXPECT_EQ(ObjectCount(), 12);
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
}

// The computation runs beside the event loop: before the dialog shows, the
// windows repaint and the object windows take keys, while every command (a
// key from an object window, a click on the main dialog or on More
// Operations) waits its turn as it does once the dialog is up.
TEST_F(ProgressTest, CommandsWaitTheirTurnFromTheStart)
{
    CProgressWatch::SetShowDelay(300ms);
    PressKeys(m_pDlg.get(),
              QKeySequence(QString::fromUtf8(kMoreOperationsKey), QKeySequence::PortableText));
    QPointer<CMoreOperationsDlg> pMore = m_pDlg->MoreOperationsWindow();
    ASSERT_TRUE(pMore);
    CEntryControlView* pOther = Zeroed(1, 3);
    MakePowOperands(kHugeExponent);
    bool bTurned = false;
    bool bComputing = false;
    QString typed;
    QTimer::singleShot(30, m_pDlg.get(),
                       [&]
                       {
                           bTurned = m_nShown == 0;
                           bComputing = IsComputing();
                           PressKeys(pOther->Frame(), QKeySequence("7"));
                           typed = pOther->Cell(0, 0).text();
                           PressKeys(pOther->Frame(), QKeySequence("Alt+M"));
                           ClickThroughDialog(IDC_ZEROED_OBJECT);
                           QWidget* pEig = pMore->findChild<QWidget*>("buttonEig");
                           ASSERT_NE(pEig, nullptr);
                           QTest::mouseClick(pMore->windowHandle(), Qt::LeftButton, {},
                                             pEig->mapTo(pMore, pEig->rect().center()));
                       });
    WhileShown([](QProgressDialog& dialog) { ClickCancelSoon(dialog); });
    Run(&CHollastrinDlg::OnPow);

    EXPECT_TRUE(bTurned);
    EXPECT_TRUE(bComputing);
    EXPECT_FALSE(IsComputing());
    EXPECT_EQ(typed, "7");
    EXPECT_EQ(m_nShown, 1);
    ExpectNothingCameOfIt(3, 4);

    // Once it has ended, the same key runs its command.
    RightClick(pOther);
    PressKeys(pOther->Frame(), QKeySequence("Alt+M"));
    EXPECT_EQ(ObjectCount(), 4);
}

// The program ending (its dialog done) stops a computation whose dialog has
// not come yet: nothing is left running behind the closed dialog.
TEST_F(ProgressTest, TheProgramEndingStopsTheComputation)
{
    CProgressWatch::SetShowDelay(std::chrono::hours(1));
    MakePowOperands(kHugeExponent);
    QTimer::singleShot(30, m_pDlg.get(), [this] { m_pDlg->done(0); });
    Run(&CHollastrinDlg::OnPow);
    EXPECT_EQ(m_nShown, 0);
    // The ending closed the object windows; no result came after them.
    EXPECT_EQ(ObjectCount(), 0);
    EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), 3);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('\n').toStdString();
}
} // namespace
