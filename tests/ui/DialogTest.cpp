// The main dialog: controls, texts, the system menu stand-in, the About box,
// ending, and the message box itself.
#include "WindowTest.h"
#include "app/AboutDlg.h"
#include "app/HelpWindow.h"
#include "app/Hollastrin.h"
#include "platform/Metrics.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>

using DialogTest = UiTest;

TEST_F(DialogTest, TemplateControlsTextsAndGeometry)
{
    EXPECT_EQ(m_pDlg->windowTitle(), "Quindle");
    EXPECT_EQ(m_pDlg->geometry().size(), QSize(222, 374));

    struct Expected
    {
        int nID;
        const char* pText;
        int x, y, w, h;
    };
    const Expected buttons[] = {
        {57671, "Zeroed Object", 8, 48, 64, 15}, {57674, "Random Object", 75, 48, 64, 15},
        {57672, "File Save", 35, 72, 53, 15},    {57673, "File Load", 91, 72, 53, 15},
        {1007, "Mag", 39, 99, 23, 16},           {1044, "Slv", 117, 168, 23, 16},
        {1032, "Cmp", 91, 168, 23, 16},          {57670, "Help", 35, 211, 53, 15},
        {1, "Close", 91, 211, 53, 15},           {57676, "Close  All  Objects", 35, 194, 109, 15},
    };
    for (const Expected& e : buttons)
    {
        auto* pButton = qobject_cast<QPushButton*>(m_pDlg->GetDlgItem(e.nID));
        ASSERT_NE(pButton, nullptr) << e.nID;
        EXPECT_EQ(pButton->text().toStdString(), e.pText);
        EXPECT_EQ(pButton->geometry(), Metrics::DluRect(e.x, e.y, e.w, e.h)) << e.pText;
        EXPECT_FALSE(pButton->focusPolicy() & Qt::TabFocus) << e.pText;
    }
    // Dialog units to pixels, halves away from zero.
    EXPECT_EQ(Metrics::DluRect(35, 194, 109, 15), QRect(53, 315, 164, 24));
    EXPECT_EQ(Metrics::DluRect(39, 132, 23, 16), QRect(59, 215, 35, 26));

    const int opIds[] = {1007, 1035, 1040, 1041, 1006, 1029, 1031, 1033,
                         1036, 1037, 1038, 1039, 1042, 1030, 1032, 1044};
    for (int nID : opIds)
        EXPECT_NE(qobject_cast<QPushButton*>(m_pDlg->GetDlgItem(nID)), nullptr) << nID;

    EXPECT_EQ(qobject_cast<QLabel*>(m_pDlg->GetDlgItem(1043))->text(), "Select Rows");
    EXPECT_EQ(qobject_cast<QLabel*>(m_pDlg->GetDlgItem(1034))->text(), "Select Columns");

    QListWidget* pList = m_pDlg->ObjectListBox();
    EXPECT_EQ(pList, m_pDlg->GetDlgItem(1048));
    // Tools find the lists by name, as they find the buttons.
    EXPECT_EQ(m_pDlg->findChild<QWidget*>("listObjects"), pList);
    EXPECT_EQ(m_pDlg->findChild<QWidget*>("listRows"), m_pDlg->RowsBox());
    EXPECT_EQ(m_pDlg->findChild<QWidget*>("listColumns"), m_pDlg->ColsBox());
    EXPECT_EQ(pList->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(pList->geometry(), Metrics::DluRect(4, 72, 28, 154));
    EXPECT_EQ(pList->count(), 0);

    // Size lists "1" to "20" in numeric order, nothing chosen; only they are
    // tab stops, and the rows list has the focus.
    for (QComboBox* pCombo : {m_pDlg->RowsBox(), m_pDlg->ColsBox()})
    {
        ASSERT_EQ(pCombo->count(), 20);
        for (int k = 0; k < 20; ++k)
            EXPECT_EQ(pCombo->itemText(k), QString::number(k + 1));
        EXPECT_EQ(pCombo->currentIndex(), -1);
        EXPECT_TRUE(pCombo->focusPolicy() & Qt::TabFocus);
    }
    EXPECT_EQ(m_pDlg->RowsBox()->geometry().topLeft(), QPoint(33, 46));
    EXPECT_EQ(m_pDlg->focusWidget(), m_pDlg->RowsBox());

    // Dropped down, a list opens below its box, within the height its
    // template gives it (108 and 107 units with the box), and scrolls.
    for (auto [pCombo, nTemplateHeight] :
         {std::pair{m_pDlg->RowsBox(), 108}, std::pair{m_pDlg->ColsBox(), 107}})
    {
        pCombo->showPopup();
        QWidget* pPopup = pCombo->view()->window();
        EXPECT_TRUE(Eventually([&] { return pPopup->isVisible(); }));
        EXPECT_GE(pPopup->geometry().top(), pCombo->mapToGlobal(QPoint(0, 0)).y());
        EXPECT_LE(pPopup->height() + pCombo->height(), Metrics::DluToPixelsY(nTemplateHeight) + 4);
        EXPECT_GE(pCombo->maxVisibleItems(), 7);
        EXPECT_LE(pCombo->maxVisibleItems(), 9);
        EXPECT_GT(pCombo->view()->verticalScrollBar()->maximum(), 0);
        pCombo->hidePopup();
    }

    const QStringList groups = {"Create New Object", "Vector", "Matrix"};
    QStringList found;
    for (QGroupBox* pGroup : m_pDlg->findChildren<QGroupBox*>())
        found << pGroup->title();
    found.sort();
    QStringList expectedGroups = groups;
    expectedGroups.sort();
    EXPECT_EQ(found, expectedGroups);
}

TEST_F(DialogTest, EveryTextFitsItsControl)
{
    for (QPushButton* pButton : m_pDlg->findChildren<QPushButton*>())
    {
        const int textWidth = pButton->fontMetrics().horizontalAdvance(pButton->text());
        EXPECT_LE(textWidth + 4, pButton->width()) << pButton->text().toStdString();
        EXPECT_LE(pButton->fontMetrics().height(), pButton->height());
    }
    for (QLabel* pLabel : m_pDlg->findChildren<QLabel*>())
    {
        EXPECT_LE(pLabel->fontMetrics().horizontalAdvance(pLabel->text()), pLabel->width())
            << pLabel->text().toStdString();
        EXPECT_LE(pLabel->fontMetrics().height(), pLabel->height() + 1);
    }
    // "Select Columns" stays centred over the columns list.
    const QRect columns = m_pDlg->GetDlgItem(1034)->geometry();
    EXPECT_NEAR(columns.center().x(), Metrics::DluRect(79, 13, 56, 9).center().x(), 1);
}

namespace
{
double Luminance(const QColor& colour)
{
    auto channel = [](double c)
    { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

// The contrast against the dialog's background of the darkest pixel on a
// line across the control's left edge, at its middle.
double EdgeContrast(const QImage& image, const QWidget* pControl, int nTop = 0)
{
    const int y = nTop ? pControl->y() + nTop : pControl->geometry().center().y();
    const QColor background = image.pixelColor(pControl->x() - 2, y);
    double dDarkest = 1;
    for (int x = pControl->x(); x < pControl->x() + 3; ++x)
        dDarkest = std::min(dDarkest, Luminance(image.pixelColor(x, y)));
    return (Luminance(background) + 0.05) / (dDarkest + 0.05);
}
} // namespace

// The borders of the lists, buttons and group frames stand out 3:1 from the
// background, and the focus shows from the first moment.
TEST_F(DialogTest, BordersAndTheFirstFocusStandOut)
{
    const QImage image = m_pDlg->grab().toImage();
    QList<const QWidget*> controls = {m_pDlg->RowsBox(), m_pDlg->ColsBox(),
                                      m_pDlg->ObjectListBox()};
    for (const QPushButton* pButton : m_pDlg->findChildren<QPushButton*>())
        controls << pButton;
    for (const QWidget* pControl : controls)
        EXPECT_GE(EdgeContrast(image, pControl), 3.0) << pControl->objectName().toStdString();
    for (const QGroupBox* pGroup : m_pDlg->findChildren<QGroupBox*>())
        EXPECT_GE(EdgeContrast(image, pGroup, pGroup->height() * 3 / 4), 3.0)
            << pGroup->title().toStdString();

    Activate(m_pDlg.get());
    ASSERT_EQ(QApplication::focusWidget(), m_pDlg->RowsBox());
    const QImage focused = m_pDlg->RowsBox()->grab().toImage();
    m_pDlg->ColsBox()->setFocus(Qt::MouseFocusReason);
    EXPECT_NE(m_pDlg->RowsBox()->grab().toImage(), focused);
}

TEST_F(DialogTest, ContextMenuIsTheSystemMenuAndOpensTheAboutBox)
{
    QStringList actions;
    bool bSeparatorBeforeAbout = false;
    QTimer::singleShot(0,
                       [&]
                       {
                           auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                           ASSERT_NE(pMenu, nullptr);
                           const QList<QAction*> list = pMenu->actions();
                           for (QAction* pAction : list)
                               actions << (pAction->isSeparator() ? "-" : pAction->text());
                           bSeparatorBeforeAbout = list.size() >= 4 && list[1]->isSeparator();
                           pMenu->close();
                       });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            m_pDlg->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(m_pDlg.get(), &event);
    // The system menu's entries, then what brings objects back.
    EXPECT_EQ(actions, (QStringList{"Close", "-", "&About Hollastrin...", "&More Operations...",
                                    "-", "&Reopen Closed Object"}));
    EXPECT_TRUE(bSeparatorBeforeAbout);

    QStringList texts;
    QString title;
    bool bWindowModal = false;
    // The box's frame starts at the corner of the dialog's client area.
    m_pDlg->move(300, 200);
    QPoint corner;
    AnswerNextModal(
        [&](QWidget* pModal)
        {
            corner = pModal->frameGeometry().topLeft();
            title = pModal->windowTitle();
            bWindowModal = pModal->windowModality() == Qt::WindowModal;
            for (QLabel* pLabel : pModal->findChildren<QLabel*>())
            {
                if (pLabel->text().isEmpty())
                    continue;
                texts << pLabel->text();
                // Every line shows whole.
                if (pLabel->wordWrap())
                    EXPECT_LE(pLabel->heightForWidth(pLabel->width()), pLabel->height());
                else
                    EXPECT_LE(pLabel->fontMetrics().horizontalAdvance(pLabel->text()),
                              pLabel->width());
            }
        });
    ChooseFromContextMenu("&About Hollastrin...");
    EXPECT_EQ(title, "About Quindle");
    EXPECT_EQ(corner, m_pDlg->mapToGlobal(QPoint(0, 0)));
    EXPECT_TRUE(bWindowModal);
    EXPECT_TRUE(texts.contains("Quindle Version 1.0"));
    EXPECT_TRUE(texts.contains(kAboutDescription));
    EXPECT_TRUE(m_pDlg->isVisible());
}

TEST_F(DialogTest, EnterOutsideButtonsEscapeAndCloseEndTheDialogAfterTheObjects)
{
    CEntryControlView* pView = Zeroed(2, 2);
    ASSERT_NE(pView, nullptr);
    QPointer<CObjectFrame> pFrame = pView->Frame();

    m_pDlg->RowsBox()->setFocus();
    QTest::keyClick(m_pDlg->RowsBox(), Qt::Key_Return);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), QDialog::Accepted);
    EXPECT_TRUE(pFrame.isNull()); // destroyed with the dialog's lists still there
    EXPECT_TRUE(m_pDlg->Registry().ObjectList().isEmpty());
    EXPECT_EQ(m_pDlg->ObjectListBox()->count(), 0);
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 0);

    m_pDlg->show();
    QTest::keyClick(m_pDlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_pDlg->isVisible());

    // Enter on a focused push button presses that button instead.
    m_pDlg->show();
    m_pDlg->RowsBox()->setCurrentIndex(0);
    m_pDlg->ColsBox()->setCurrentIndex(0);
    auto* pZeroed = qobject_cast<QPushButton*>(m_pDlg->GetDlgItem(IDC_ZEROED_OBJECT));
    pZeroed->setFocus();
    QTest::keyClick(pZeroed, Qt::Key_Return);
    EXPECT_TRUE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->Registry().ObjectList().size(), 1);

    qobject_cast<QPushButton*>(m_pDlg->GetDlgItem(IDC_CLOSE))->click();
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_TRUE(m_pDlg->Registry().ObjectList().isEmpty());
}

// Only the object windows may be maximised: the main dialog goes back to its
// normal state and size at once, from full screen too.
TEST_F(DialogTest, TheDialogIsNeverMaximisedNorFullScreen)
{
    const QSize size = m_pDlg->size();
    m_pDlg->showFullScreen();
    EXPECT_TRUE(Eventually([&] { return m_pDlg->windowState() == Qt::WindowNoState; }));
    m_pDlg->showMaximized();
    EXPECT_TRUE(Eventually([&] { return m_pDlg->windowState() == Qt::WindowNoState; }));
    EXPECT_EQ(m_pDlg->size(), size);
}

TEST_F(DialogTest, HelpShowsOneWindow)
{
    ShowHelp();
    QWidget* pHelp = HelpWindow();
    ASSERT_NE(pHelp, nullptr);
    EXPECT_TRUE(pHelp->isVisible());
    EXPECT_EQ(pHelp->parentWidget(), nullptr);
    ShowHelp();
    EXPECT_EQ(HelpWindow(), pHelp);
    // The page fits the window's width, as opened and much wider: nothing to
    // scroll sideways.
    auto* pBrowser = static_cast<QAbstractScrollArea*>(pHelp);
    for (int nWidth : {pHelp->width(), pHelp->width() + 1, 1280})
    {
        pHelp->resize(nWidth, pHelp->height());
        EXPECT_TRUE(Eventually([&] { return pBrowser->horizontalScrollBar()->maximum() == 0; }))
            << nWidth << ": " << pBrowser->horizontalScrollBar()->maximum();
    }
    // For screen readers: the page has the focus, its links are its
    // children, Tab gives one of them the focus, and a line is a line as
    // shown, not a paragraph.
    pHelp->activateWindow();
    EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == pHelp; }));
    EXPECT_TRUE(pHelp->hasFocus());
    QAccessibleInterface* pPage = QAccessible::queryAccessibleInterface(pHelp);
    ASSERT_GT(pPage->childCount(), 0);
    EXPECT_EQ(pPage->child(0)->role(), QAccessible::Link);
    EXPECT_EQ(pPage->child(0)->text(QAccessible::Name), "Creating objects");
    QTest::keyClick(pHelp, Qt::Key_Tab);
    EXPECT_EQ(pPage->focusChild(), pPage->child(0));
    QTextBlock block = static_cast<QTextBrowser*>(pHelp)->document()->begin();
    while (block.isValid() && block.layout()->lineCount() < 2)
        block = block.next();
    ASSERT_TRUE(block.isValid());
    int nStart = -1;
    int nEnd = -1;
    pPage->textInterface()->textAtOffset(block.position() + 1, QAccessible::LineBoundary, &nStart,
                                         &nEnd);
    EXPECT_EQ(nStart, block.position());
    EXPECT_GT(nEnd, nStart);
    EXPECT_LT(nEnd, block.position() + block.length() - 1);
    // Escape closes it.
    QTest::keyClick(pHelp, Qt::Key_Escape);
    EXPECT_TRUE(Eventually([] { return HelpWindow() == nullptr; }));
    ShowHelp();
    m_pDlg->done(QDialog::Accepted);
    EXPECT_EQ(HelpWindow(), nullptr);
}

// The real box: caption, text, icon, one OK button, window-modal to the main
// dialog only, so that object windows keep working while it is open.
TEST_F(DialogTest, RealMessageBoxBlocksOnlyTheMainDialog)
{
    CEntryControlView* pView = Zeroed(2, 2);
    ASSERT_NE(pView, nullptr);
    const int nObjectsBefore = int(m_pDlg->Registry().ObjectList().size());

    const MessageBoxHook hook = SetMessageBoxHook(nullptr);
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int nButtons = 0;
    bool bSelectedMeanwhile = false;
    AnswerNextModal(
        [&](QWidget* pModal)
        {
            auto* pBox = qobject_cast<QMessageBox*>(pModal);
            ASSERT_NE(pBox, nullptr);
            caption = pBox->windowTitle();
            text = pBox->text();
            icon = pBox->icon();
            nButtons = int(pBox->buttons().size());
            EXPECT_EQ(pBox->windowModality(), Qt::WindowModal);
            EXPECT_EQ(pBox->parentWidget(), m_pDlg.get());

            // A click on the object window gets through...
            RightClickThroughWindow(pView);
            bSelectedMeanwhile = pView->IsSelected() == 1;
            // ...a click on the main dialog does not.
            ClickThroughDialog(IDC_ZEROED_OBJECT);
        });
    PressButton("buttonCmp"); // nothing selected: the exclamation box
    SetMessageBoxHook(hook);

    EXPECT_EQ(caption, "Quindle");
    EXPECT_EQ(text, MessageText::kSelectTwo);
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(nButtons, 1);
    EXPECT_TRUE(bSelectedMeanwhile);
    EXPECT_EQ(m_pDlg->Registry().ObjectList().size(), nObjectsBefore);

    const MessageBoxHook hook2 = SetMessageBoxHook(nullptr);
    AnswerNextModal([&](QWidget* pModal) { icon = qobject_cast<QMessageBox*>(pModal)->icon(); });
    AppMessageBox(MessageText::kIdentical, MessageIcon::Information);
    SetMessageBoxHook(hook2);
    EXPECT_EQ(icon, QMessageBox::Information);
}
