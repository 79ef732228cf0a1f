// Object windows: geometry, titles, cascade, labels, Tab, focus, selection
// and its highlight, reading cells, closing.
#include "WindowTest.h"
#include "engine/Matrix.h"
#include "platform/Metrics.h"

#include <QApplication>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

using ObjectWindowTest = UiTest;

namespace
{
struct GeometryCase
{
    int nRows, nCols;
    int w, h; // frame size
    bool bHorizontal, bVertical;
};

// A window manager that answers every resize to the window's normal size
// with a size of its own.
class CStubbornSize : public QObject
{
public:
    CStubbornSize(QWidget* pWindow, QSize own)
        : m_pWindow(pWindow), m_own(own), m_normal(pWindow->size())
    {
        pWindow->installEventFilter(this);
    }

    bool eventFilter(QObject* /*pWatched*/, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Resize && m_pWindow->size() == m_normal)
        {
            ++m_nPutBacks;
            QTimer::singleShot(0, m_pWindow, [this] { m_pWindow->resize(m_own); });
        }
        return false;
    }

    QWidget* m_pWindow;
    QSize m_own;
    QSize m_normal;
    int m_nPutBacks = 0;
};
} // namespace

TEST_F(ObjectWindowTest, SizeAndScrollBarsFollowTheShape)
{
    const GeometryCase cases[] = {
        {1, 1, 167, 91, false, false},  {3, 3, 431, 163, false, false},
        {3, 4, 431, 178, true, false},  {4, 3, 447, 162, false, true},
        {20, 20, 447, 178, true, true}, {2, 1, 167, 127, false, false},
    };
    for (const GeometryCase& c : cases)
    {
        CEntryControlView* pView = Zeroed(c.nRows, c.nCols);
        ASSERT_NE(pView, nullptr);
        CObjectFrame* pFrame = pView->Frame();
        const std::string shape = std::to_string(c.nRows) + "x" + std::to_string(c.nCols);
        EXPECT_EQ(pFrame->frameGeometry().topLeft(),
                  CObjectFrame::FramePosition(pFrame->ObjectNumber()))
            << shape;
        EXPECT_EQ(pFrame->geometry().size(), QSize(c.w - 10, c.h - 29)) << shape;
        EXPECT_EQ(pView->geometry(), pFrame->rect()) << shape;
        EXPECT_EQ(pView->GridWidget()->size(), QSize(132 * c.nCols + 25, 36 * c.nRows + 25));
        EXPECT_EQ(pView->horizontalScrollBar()->isVisible(), c.bHorizontal) << shape;
        EXPECT_EQ(pView->verticalScrollBar()->isVisible(), c.bVertical) << shape;
        if (c.bVertical)
        {
            EXPECT_EQ(pView->verticalScrollBar()->width(), 16);
        }
        PressButton("buttonCloseAllObjects");
    }
}

TEST_F(ObjectWindowTest, MaximisingShowsTheWholeGridAndRestoringKeepsTheSize)
{
    CEntryControlView* pView = Zeroed(4, 4);
    CObjectFrame* pFrame = pView->Frame();
    pFrame->showMaximized();
    EXPECT_TRUE(Eventually([&] { return pFrame->isMaximized(); }));
    EXPECT_TRUE(Eventually([&] { return pFrame->width() > 600; }));
    QTest::qWait(20);
    EXPECT_TRUE(pFrame->isMaximized());
    EXPECT_EQ(pView->size(), pFrame->size());
    EXPECT_FALSE(pView->horizontalScrollBar()->isVisible());
    EXPECT_EQ(pView->Cell(0, 0).geometry().topLeft(), QPoint(25, 25));
    pFrame->showNormal();
    EXPECT_TRUE(Eventually([&] { return pFrame->geometry().size() == QSize(437, 149); }));
}

TEST_F(ObjectWindowTest, ASizeOtherThanTheNormalOneIsPutBackThreeTimesAtMost)
{
    CObjectFrame* pFrame = Zeroed(4, 4)->Frame();
    const QSize normal = pFrame->size();
    const QSize dragged = normal + QSize(60, 45);
    // What a border drag does where the size steps are ignored.
    pFrame->resize(dragged);
    EXPECT_TRUE(Eventually([&] { return pFrame->size() == normal; }));
    QTest::qWait(300); // settled at its size

    // A window manager that insists on its size gets its way after three
    // tries, each after the window has settled.
    const CStubbornSize stubborn(pFrame, dragged);
    pFrame->resize(dragged);
    EXPECT_TRUE(Eventually([&] { return stubborn.m_nPutBacks == 3; }));
    QTest::qWait(600);
    EXPECT_EQ(stubborn.m_nPutBacks, 3);
    EXPECT_EQ(pFrame->size(), dragged);
}

TEST_F(ObjectWindowTest, CascadePositions)
{
    for (int k = 1; k <= 11; ++k)
        ASSERT_NE(Zeroed(1, 1), nullptr);
    const auto& list = m_pDlg->Registry().ObjectList();
    EXPECT_EQ(list.at(0)->Frame()->frameGeometry().topLeft(), QPoint(231, 2));
    EXPECT_EQ(list.at(1)->Frame()->frameGeometry().topLeft(), QPoint(236, 37));
    EXPECT_EQ(list.at(9)->Frame()->frameGeometry().topLeft(), QPoint(276, 317));
    EXPECT_EQ(list.at(10)->Frame()->frameGeometry().topLeft(), QPoint(231, 2));
}

TEST_F(ObjectWindowTest, TitlesAndNamesOfZeroedResultAndLoadedObjects)
{
    CEntryControlView* p1 = Zeroed(2, 3);
    CEntryControlView* p2 = Zeroed(2, 3);
    EXPECT_EQ(p1->Frame()->windowTitle(), "1  [2X3]");
    EXPECT_EQ(p1->Frame()->Name(), "1");
    EXPECT_EQ(p1->Frame()->ObjectNumber(), 1);
    EXPECT_EQ(p2->Frame()->ObjectNumber(), 2);

    CEntryControlView* pThirds = Zeroed(2, 2, {"0.333333333333333", "0", "0", "12345678901"});
    CEntryControlView* p3 = Operate(IDC_ADD, pThirds, Zeroed(2, 2));
    ASSERT_NE(p3, nullptr);
    EXPECT_EQ(p3->Frame()->windowTitle(), "5  Add(3,4)  [2X2]");
    EXPECT_EQ(p3->Frame()->Name(), "Add(3,4)");
    EXPECT_EQ(p3->Cell(0, 0).text(), "0.3333333333");
    EXPECT_EQ(p3->Cell(0, 1).text(), "0");
    EXPECT_EQ(p3->Cell(1, 1).text(), "1.23456789E+010");

    CEntryControlView* p4 = Operate(IDC_TRP, p3);
    ASSERT_NE(p4, nullptr);
    EXPECT_EQ(p4->Frame()->Name(), "Trp(Add(3,4))");

    const QString path = PathOf("some file.txt");
    WriteBytes(path, "2 3 |\r\n0 -2.5 0 |\r\n0 0 0 |\r\n");
    CEntryControlView* p7 = Load(path);
    ASSERT_NE(p7, nullptr);
    EXPECT_EQ(p7->Frame()->windowTitle(), "7  " + path + "  [2X3]");
    EXPECT_EQ(p7->Frame()->Name(), "7");
    EXPECT_EQ(p7->Cell(0, 1).text(), "-2.5");
    EXPECT_EQ(p7->m_pValues[0][1], -2.5);
    EXPECT_EQ(m_pDlg->ObjectListBox()->item(6)->text(), "7");

    // What the window system shows is the path as chosen, the toolkit's
    // modified marker "[*]" included.
    const QString oddPath = PathOf("a[*]b [*][*]%1&c.txt");
    WriteBytes(oddPath, "1 1 |\r\n0 |\r\n");
    ASSERT_NE(Load(oddPath), nullptr);
    EXPECT_EQ(LastObject()->Frame()->windowHandle()->title(), "8  " + oddPath + "  [1X1]");

    // A narrow window's whole title: the tooltip of its background and
    // labels (not of its cells), and its accessible name.
    CEntryControlView* pColumn = Zeroed(2, 1);
    CEntryControlView* p9 = Operate(IDC_MUL, p4, pColumn);
    ASSERT_NE(p9, nullptr);
    const QString title = "10  Mul(Trp(Add(3,4)),9)  [2X1]";
    for (QWidget* pWidget :
         {static_cast<QWidget*>(p9->viewport()), static_cast<QWidget*>(p9->ColLabel(0))})
    {
        QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), pWidget->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(pWidget, &tip);
        EXPECT_TRUE(Eventually([&] { return QToolTip::isVisible(); }));
        QTextDocument shown;
        shown.setHtml(QToolTip::text());
        EXPECT_EQ(shown.toPlainText(), title);
        QToolTip::hideText();
        EXPECT_TRUE(Eventually([&] { return !QToolTip::isVisible(); }));
    }
    QHelpEvent cellTip(QEvent::ToolTip, QPoint(2, 2), p9->Cell(0, 0).mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&p9->Cell(0, 0), &cellTip);
    QTest::qWait(20);
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_EQ(p9->Frame()->accessibleName(), title);
}

TEST_F(ObjectWindowTest, LabelsAndBlankCells)
{
    const int nCellsBefore = g_nNextCellID;
    CEntryControlView* pView = Zeroed(12, 2);
    EXPECT_EQ(g_nNextCellID, nCellsBefore + 24);
    EXPECT_EQ(pView->RowLabel(0)->text(), "1  ");
    EXPECT_EQ(pView->RowLabel(11)->text(), "12 ");
    EXPECT_EQ(pView->ColLabel(1)->text(), "2  ");
    EXPECT_EQ(pView->RowLabel(1)->geometry(), QRect(4, 63, 16, 16));
    EXPECT_EQ(pView->ColLabel(1)->geometry(), QRect(208, 5, 16, 15));
    EXPECT_EQ(pView->Cell(1, 1).geometry(), QRect(157, 61, 117, 19));
    EXPECT_EQ(pView->Cell(1, 1).Index(), 3);
    EXPECT_TRUE(pView->Cell(11, 1).text().isEmpty());
    EXPECT_EQ(pView->Cell(0, 0).font().pixelSize(), pView->logicalDpiY() * 8 / 72);
    EXPECT_EQ(pView->Cell(0, 0).font().weight(), QFont::Medium);
    EXPECT_EQ(Metrics::CellFont(120).pixelSize(), 13);

    const CMatrix m(pView);
    EXPECT_EQ(m.m_nRows, 12);
    EXPECT_EQ(m.GetElement(11, 1), 0.0);
}

TEST_F(ObjectWindowTest, TabAndShiftTabWalkForwardAndWrap)
{
    CEntryControlView* pView = Zeroed(2, 3);
    CObjectFrame* pFrame = pView->Frame();
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j)
            pView->Cell(i, j).setText(QString::number(10 * i + j + 1));

    auto tabFrom = [&](int i, int j, Qt::KeyboardModifiers mods) -> CEntryControl*
    {
        pView->Cell(i, j).setFocus();
        QTest::keyClick(&pView->Cell(i, j), Qt::Key_Tab, mods);
        return qobject_cast<CEntryControl*>(pFrame->focusWidget());
    };
    EXPECT_EQ(tabFrom(0, 0, {}), &pView->Cell(0, 1));
    EXPECT_EQ(tabFrom(0, 2, {}), &pView->Cell(1, 0));
    EXPECT_EQ(tabFrom(1, 2, {}), &pView->Cell(0, 0));
    EXPECT_EQ(tabFrom(0, 2, Qt::ShiftModifier), &pView->Cell(1, 0));
    QTest::keyClick(&pView->Cell(1, 0), Qt::Key_Backtab);
    EXPECT_EQ(pFrame->focusWidget(), &pView->Cell(1, 1));
    // The target's whole text is selected and no tab entered any cell.
    EXPECT_EQ(pView->Cell(1, 1).selectedText(), "12");
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_FALSE(pView->Cell(i, j).text().contains('\t'));
    // Typing replaces the selected text.
    QTest::keyClicks(&pView->Cell(1, 1), "7x");
    EXPECT_EQ(pView->Cell(1, 1).text(), "7x");

    CEntryControlView* pOne = Zeroed(1, 1);
    pOne->Cell(0, 0).setText("5");
    pOne->Cell(0, 0).deselect();
    QTest::keyClick(&pOne->Cell(0, 0), Qt::Key_Tab);
    EXPECT_EQ(pOne->Frame()->focusWidget(), &pOne->Cell(0, 0));
    EXPECT_EQ(pOne->Cell(0, 0).selectedText(), "5");

    CEntryControlView* pColumn = Zeroed(3, 1);
    pColumn->Cell(2, 0).OnChar(9, 1, 0);
    EXPECT_EQ(pColumn->Frame()->focusWidget(), &pColumn->Cell(0, 0));
    // Any key that produces the tab character moves on too (Ctrl+I).
    QTest::sendKeyEvent(QTest::Click, &pColumn->Cell(0, 0), Qt::Key_I, QStringLiteral("\t"),
                        Qt::ControlModifier);
    EXPECT_EQ(pColumn->Frame()->focusWidget(), &pColumn->Cell(1, 0));
    EXPECT_TRUE(pColumn->Cell(0, 0).text().isEmpty());
    // Text from an input method goes in as the edit field takes it.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("2.5"));
    QApplication::sendEvent(&pColumn->Cell(1, 0), &commit);
    EXPECT_EQ(pColumn->Cell(1, 0).text(), "2.5");
}

TEST_F(ObjectWindowTest, CellKeysNeverScrollAndTheFocusedCellIsAlwaysInView)
{
    CEntryControlView* pView = Zeroed(20, 20);
    pView->Frame()->activateWindow();
    EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == pView->Frame(); }));
    QScrollBar* pH = pView->horizontalScrollBar();
    QScrollBar* pV = pView->verticalScrollBar();
    CEntryControl& first = pView->Cell(0, 0);
    // Checked after every key: a grid that scrolls down and back up again
    // would end where it started.
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Escape})
    {
        QTest::keyClick(&first, key);
        EXPECT_EQ(pV->value(), 0) << key;
        EXPECT_EQ(pH->value(), 0) << key;
        EXPECT_EQ(pView->Frame()->focusWidget(), &first) << key;
    }

    auto shown = [pView](int i, int j)
    {
        const CEntryControl& cell = pView->Cell(i, j);
        return QRect(cell.mapTo(pView->viewport(), QPoint(0, 0)), cell.size());
    };
    auto inView = [&](int i, int j) { return pView->viewport()->rect().contains(shown(i, j)); };
    // Tab walks out of the visible part; the grid follows just far enough.
    for (int j = 0; j < 19; ++j)
        QTest::keyClick(pView->Frame()->focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(inView(0, 19));
    EXPECT_EQ(shown(0, 19).right(), pView->viewport()->rect().right());
    EXPECT_GT(pH->value(), 0);
    // A cell of the first column brings the row numbers into view.
    QTest::keyClick(pView->Frame()->focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(inView(1, 0));
    EXPECT_EQ(pH->value(), 0);
    for (int n = 0; n < 20 * 19 - 1; ++n)
        QTest::keyClick(pView->Frame()->focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(inView(19, 19));
    EXPECT_GT(pV->value(), 0);
    // Wrapping around, and coming back to the window, show the grid's
    // top-left corner with both rows of numbers.
    QTest::keyClick(pView->Frame()->focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QPoint(pH->value(), pV->value()), QPoint(0, 0));
    pH->setValue(pH->maximum());
    pV->setValue(pV->maximum());
    Activate(m_pDlg.get());
    Activate(pView->Frame());
    EXPECT_EQ(QPoint(pH->value(), pV->value()), QPoint(0, 0));

    // On a grid wider than it is tall, every cell of the first row brings
    // the column numbers along, however far right it lies.
    CEntryControlView* pWide = Zeroed(8, 20);
    pWide->Frame()->activateWindow();
    EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == pWide->Frame(); }));
    pWide->Cell(0, 14).setFocus();
    pWide->verticalScrollBar()->setValue(pWide->verticalScrollBar()->maximum());
    QTest::keyClick(&pWide->Cell(0, 14), Qt::Key_Tab);
    EXPECT_EQ(pWide->Frame()->focusWidget(), &pWide->Cell(0, 15));
    EXPECT_EQ(pWide->verticalScrollBar()->value(), 0);
}

TEST_F(ObjectWindowTest, ScrollStepsAreTenthsOfTheGrid)
{
    // 20 x 20: the grid is 2665 x 745 pixels; pages of 266 and 74, lines of
    // 26 and 7, after every size change; the thumbs show the visible part.
    CEntryControlView* pView = Zeroed(20, 20);
    CObjectFrame* pFrame = pView->Frame();
    auto check = [&]
    {
        for (auto [pBar, nPage, nLine] : {std::tuple{pView->horizontalScrollBar(), 266, 26},
                                          std::tuple{pView->verticalScrollBar(), 74, 7}})
        {
            const bool bHorizontal = pBar->orientation() == Qt::Horizontal;
            pBar->setValue(0);
            const QPoint pageArea = bHorizontal ? QPoint(pBar->width() - 20, pBar->height() / 2)
                                                : QPoint(pBar->width() / 2, pBar->height() - 20);
            const QPoint arrow = bHorizontal ? QPoint(pBar->width() - 4, pBar->height() / 2)
                                             : QPoint(pBar->width() / 2, pBar->height() - 4);
            QTest::mouseClick(pBar, Qt::LeftButton, {}, pageArea);
            EXPECT_EQ(pBar->value(), nPage);
            QTest::mouseClick(pBar, Qt::LeftButton, {}, arrow);
            EXPECT_EQ(pBar->value(), nPage + nLine);
            pBar->triggerAction(QAbstractSlider::SliderPageStepSub);
            EXPECT_EQ(pBar->value(), nLine);
            EXPECT_EQ(pBar->pageStep(),
                      bHorizontal ? pView->viewport()->width() : pView->viewport()->height());
        }
    };
    check();
    pFrame->showMaximized();
    EXPECT_TRUE(Eventually([&] { return pFrame->width() > 600; }));
    pFrame->showNormal();
    EXPECT_TRUE(Eventually([&] { return pFrame->geometry().size() == QSize(437, 149); }));
    check();
}

TEST_F(ObjectWindowTest, ClickingTheBackgroundLeavesTheFocusInItsCell)
{
    CEntryControlView* pView = Zeroed(2, 2);
    pView->Frame()->activateWindow();
    EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == pView->Frame(); }));
    pView->Cell(1, 1).setFocus();
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseClick(pView->RowLabel(0), Qt::LeftButton);
    RightClick(pView);
    EXPECT_EQ(pView->IsSelected(), 1);
    EXPECT_EQ(QApplication::focusWidget(), &pView->Cell(1, 1));
}

TEST_F(ObjectWindowTest, ActivatingAWindowFocusesTheFirstCellWithItsTextSelected)
{
    CEntryControlView* p1 = Zeroed(2, 2);
    CEntryControlView* p2 = Zeroed(2, 2);
    p1->Cell(0, 0).setText("3.5");
    p1->Cell(1, 1).setFocus();
    p1->Cell(1, 1).deselect();
    p2->Frame()->activateWindow();
    EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == p2->Frame(); }));
    p1->Frame()->activateWindow();
    EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == p1->Frame(); }));
    EXPECT_TRUE(Eventually([&] { return QApplication::focusWidget() == &p1->Cell(0, 0); }));
    EXPECT_EQ(p1->Cell(0, 0).selectedText(), "3.5");
}

TEST_F(ObjectWindowTest, SelectionRulesAndTheirMessage)
{
    CEntryControlView* p1 = Zeroed(2, 2);
    CEntryControlView* p2 = Zeroed(2, 2);
    CEntryControlView* p3 = Zeroed(2, 2);
    auto& sel = m_pDlg->Registry().SelectedList();

    RightClick(p1);
    RightClick(p2);
    ASSERT_EQ(sel.size(), 2);
    EXPECT_EQ(p2->SelIndex(), 1);
    RightClick(p3);
    ExpectBox(MessageText::kTwoAlreadySelected);
    EXPECT_EQ(p3->IsSelected(), 0);
    EXPECT_EQ(sel, (QList<CEntryControlView*>{p1, p2}));

    // Deselecting the first moves the second to entry 0.
    RightClick(p1);
    EXPECT_EQ(p1->IsSelected(), 0);
    EXPECT_EQ(sel, QList<CEntryControlView*>{p2});
    EXPECT_EQ(p2->SelIndex(), 0);
    EXPECT_EQ(p2->SelectionText(), "Selected, first operand");
    RightClick(p3);
    EXPECT_EQ(p3->SelIndex(), 1);

    // A right click inside a cell selects nothing.
    QTest::mouseClick(&p1->Cell(0, 0), Qt::RightButton);
    EXPECT_EQ(p1->IsSelected(), 0);
    // A click on a label is a click on the background.
    QTest::mouseClick(p1->RowLabel(0), Qt::RightButton);
    ExpectBox(MessageText::kTwoAlreadySelected);
    // A quick second right click, which the toolkit calls a double click,
    // deselects what the first selected.
    RightClick(p3);
    RightClick(p3);
    QTest::mouseDClick(p3->viewport(), Qt::RightButton, {}, QPoint(2, 2));
    QTest::mouseRelease(p3->viewport(), Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_EQ(p3->IsSelected(), 0);
    EXPECT_EQ(sel, QList<CEntryControlView*>{p2});
    RightClick(p3);

    // Closing the window of entry 0 leaves the other selected, as entry 0,
    // and tells it so.
    EXPECT_EQ(p3->SelectionText(), "Selected, second operand");
    p2->Frame()->close();
    EXPECT_EQ(sel, QList<CEntryControlView*>{p3});
    EXPECT_EQ(p3->SelIndex(), 0);
    EXPECT_EQ(p3->SelectionText(), "Selected, first operand");
    EXPECT_EQ(p3->Frame()->accessibleDescription(), "Selected, first operand");
    EXPECT_EQ(m_pDlg->Registry().ObjectList(), (QList<CEntryControlView*>{p1, p3}));
    EXPECT_EQ(p3->ListIndex(), 1);
    EXPECT_EQ(m_pDlg->ObjectListBox()->item(1)->text(), "3");
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 8);
}

TEST_F(ObjectWindowTest, HighlightCoversTheGridWhateverTheScrollPosition)
{
    CEntryControlView* pView = Zeroed(5, 5);
    const QColor selected(0, 200, 250);
    auto colourAt = [pView](QPoint p) { return pView->viewport()->grab().toImage().pixelColor(p); };

    EXPECT_EQ(colourAt(QPoint(2, 2)), Metrics::ButtonFace());
    RightClick(pView);
    EXPECT_EQ(colourAt(QPoint(2, 2)), selected);
    pView->horizontalScrollBar()->setValue(pView->horizontalScrollBar()->maximum());
    pView->verticalScrollBar()->setValue(pView->verticalScrollBar()->maximum());
    const QSize vp = pView->viewport()->size();
    EXPECT_EQ(colourAt(QPoint(vp.width() - 2, vp.height() - 2)), selected);
    // The labels: their rectangle in the dark brush, the digits on the light.
    const QImage label = pView->RowLabel(4)->grab().toImage();
    EXPECT_EQ(label.pixelColor(0, 15), QColor(0, 100, 120));

    m_pDlg->DeselectOne();
    EXPECT_EQ(pView->IsSelected(), 0);
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
    EXPECT_EQ(colourAt(QPoint(vp.width() - 2, vp.height() - 2)), Metrics::ButtonFace());
    EXPECT_EQ(pView->RowLabel(4)->grab().toImage().pixelColor(0, 15), Metrics::ButtonFace());
}

TEST_F(ObjectWindowTest, ReadingCells)
{
    CEntryControlView* pView = Zeroed(1, 9);
    const char* texts[] = {"1e3", "-.5", "+7", "2E-2", "1-2", "1.2.3", "-", "e", ""};
    const double values[] = {1000, -0.5, 7, 0.02, 1, 1.2, 0, 0, 0};
    for (int j = 0; j < 9; ++j)
        pView->Cell(0, j).setText(texts[j]);
    const CMatrix m(pView);
    for (int j = 0; j < 9; ++j)
        EXPECT_EQ(m.GetElement(0, j), values[j]) << texts[j];

    // The 99-character cut: a digit at position 100 is not read.
    pView->Cell(0, 0).setText(QString(98, '0') + "12");
    pView->ReadCells();
    EXPECT_EQ(pView->m_pValues[0][0], 1.0);
    // ...and an illegal character past it is not seen.
    pView->Cell(0, 0).setText(QString(99, '1') + " x");
    EXPECT_NO_THROW(pView->ReadCells());

    for (const char* bad : {" 1", "1 ", "1,5", "1 2", "0x1", "\xc3\xa9", "1\t"})
    {
        EXPECT_EQ(CEntryControlView::IsLegalNumber(bad), 0) << bad;
    }
    EXPECT_EQ(CEntryControlView::IsLegalNumber("0123456789.+-eE"), 1);
    EXPECT_EQ(CEntryControlView::IsLegalNumber(""), 1);
}

TEST_F(ObjectWindowTest, AnIllegalCellLeavesTheValuesPartlyRefreshed)
{
    CEntryControlView* pView = Zeroed(2, 2);
    pView->m_pValues[1][0] = 9.0;
    pView->m_pValues[1][1] = 9.0;
    pView->Cell(0, 0).setText("1");
    pView->Cell(0, 1).setText("2");
    pView->Cell(1, 0).setText("1,5");
    pView->Cell(1, 1).setText("4");
    try
    {
        const CMatrix m(pView);
        ADD_FAILURE() << "no exception";
    }
    catch (const char* pText)
    {
        EXPECT_STREQ(pText, MessageText::kIllegalCharacter);
    }
    EXPECT_EQ(pView->m_pValues[0][0], 1.0);
    EXPECT_EQ(pView->m_pValues[0][1], 2.0);
    EXPECT_EQ(pView->m_pValues[1][0], 9.0);
    EXPECT_EQ(pView->m_pValues[1][1], 9.0);
    EXPECT_EQ(pView->Cell(1, 0).text(), "1,5");
}

TEST_F(ObjectWindowTest, ClosingAWindowUpdatesEveryListAtOnce)
{
    CEntryControlView* p1 = Zeroed(2, 2);
    CEntryControlView* p2 = Zeroed(3, 3);
    CEntryControlView* p3 = Zeroed(1, 4);
    QPointer<CObjectFrame> pFrame2 = p2->Frame();
    pFrame2->close();
    EXPECT_EQ(m_pDlg->Registry().ObjectList(), (QList<CEntryControlView*>{p1, p3}));
    EXPECT_EQ(p3->ListIndex(), 1);
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 8);
    ASSERT_EQ(m_pDlg->ObjectListBox()->count(), 2);
    EXPECT_EQ(m_pDlg->ObjectListBox()->item(1)->text(), "3");
    EXPECT_TRUE(Eventually([&] { return pFrame2.isNull(); })); // released afterwards
    EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), 4);
}
