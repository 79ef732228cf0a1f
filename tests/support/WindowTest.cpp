#include "WindowTest.h"

#include "app/FileDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <utility>

void WindowTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    SetMessageBoxHook(
        [this](const MessageBoxRecord& record)
        {
            EXPECT_EQ(record.caption, "Quindle");
            m_messages.append(record.text);
            m_icons.append(record.icon);
            if (m_whileBoxOpen)
                std::exchange(m_whileBoxOpen, nullptr)();
        });
    SetFileDialogHook(
        [this](FileDialogKind kind) -> std::optional<QString>
        {
            m_kinds.append(kind);
            if (m_whileDialogOpen)
                std::exchange(m_whileDialogOpen, nullptr)();
            if (m_choices.isEmpty())
            {
                ADD_FAILURE() << "unexpected file dialog";
                return std::nullopt;
            }
            return m_choices.takeFirst();
        });
    m_pDlg = std::make_unique<CHollastrinDlg>();
    m_pDlg->Windows().SetRandomSeed(4711);
    m_pDlg->show();
}

void WindowTest::TearDown()
{
    m_pDlg.reset();
    SetMessageBoxHook(nullptr);
    SetFileDialogHook(nullptr);
    if (m_bEveryBoxExpected)
        ExpectNoBox();
    ProcessDeferredDeletes();
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(
        std::none_of(windows.cbegin(), windows.cend(), [](QWidget* w) { return w->isVisible(); }))
        << "a window outlived its test";
}

CEntryControlView* WindowTest::Zeroed(int nRows, int nCols, const QStringList& cells)
{
    m_pDlg->RowsBox()->setCurrentIndex(nRows - 1);
    m_pDlg->ColsBox()->setCurrentIndex(nCols - 1);
    const int nBefore = ObjectCount();
    Press(IDC_ZEROED_OBJECT);
    if (ObjectCount() == nBefore)
        return nullptr;
    CEntryControlView* pView = LastObject();
    for (int k = 0; k < cells.size() && k < nRows * nCols; ++k)
        pView->Cell(k / nCols, k % nCols).setText(cells.at(k));
    return pView;
}

CEntryControlView* WindowTest::Random(int nRows, int nCols)
{
    m_pDlg->RowsBox()->setCurrentIndex(nRows - 1);
    m_pDlg->ColsBox()->setCurrentIndex(nCols - 1);
    const int nBefore = ObjectCount();
    Press(IDC_RANDOM_OBJECT);
    return ObjectCount() > nBefore ? LastObject() : nullptr;
}

void WindowTest::Press(int nID)
{
    auto* pButton = qobject_cast<QAbstractButton*>(m_pDlg->GetDlgItem(nID));
    ASSERT_NE(pButton, nullptr) << nID;
    pButton->click();
}

void WindowTest::PressButton(const char* pObjectName)
{
    // The main dialog's own buttons come before those of its child window.
    auto* pButton = m_pDlg->findChild<QPushButton*>(QString::fromUtf8(pObjectName));
    ASSERT_NE(pButton, nullptr) << pObjectName;
    pButton->click();
}

void WindowTest::ChooseFromContextMenu(const char* pEntry)
{
    // The menu runs its own event loop: the entry is chosen from within it.
    auto choose = [pEntry]
    {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(pMenu, nullptr);
        const QList<QAction*> actions = pMenu->actions();
        const auto chosen =
            std::find_if(actions.cbegin(), actions.cend(),
                         [pEntry](QAction* p) { return p->text() == QString::fromUtf8(pEntry); });
        pMenu->close();
        ASSERT_NE(chosen, actions.cend()) << pEntry;
        (*chosen)->trigger();
    };
    QTimer::singleShot(0, choose);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            m_pDlg->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(m_pDlg.get(), &event);
}

void WindowTest::RightClick(CEntryControlView* pView)
{
    QTest::mouseClick(pView->viewport(), Qt::RightButton, {}, QPoint(2, 2));
}

void WindowTest::CloseWindow(CEntryControlView* pView)
{
    pView->Frame()->close();
    ProcessDeferredDeletes();
}

CEntryControlView* WindowTest::Operate(int nID, CEntryControlView* pFirst,
                                       CEntryControlView* pSecond)
{
    RightClick(pFirst);
    if (pSecond)
        RightClick(pSecond);
    const int nBefore = ObjectCount();
    Press(nID);
    return ObjectCount() > nBefore ? LastObject() : nullptr;
}

CEntryControlView* WindowTest::Load(const QString& path)
{
    const int nBefore = ObjectCount();
    m_choices.append(path);
    Press(IDC_FILE_LOAD);
    return ObjectCount() > nBefore ? LastObject() : nullptr;
}

void WindowTest::WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QString WindowTest::FormatMessage(const QString& path)
{
    return QString::fromUtf8(MessageText::kFileFormat).replace("%s", path);
}

QStringList WindowTest::CellTexts(const CEntryControlView* pView)
{
    QStringList texts;
    for (int i = 0; i < pView->m_nRows; ++i)
        for (int j = 0; j < pView->m_nCols; ++j)
            texts.append(pView->Cell(i, j).text());
    return texts;
}

QString WindowTest::Name(const CEntryControlView* pView)
{
    return pView->Frame()->Name();
}

void WindowTest::ExpectBox(const char* pText, MessageIcon icon)
{
    ASSERT_FALSE(m_messages.isEmpty()) << "no message box; expected: " << pText;
    EXPECT_EQ(m_messages.takeFirst().toStdString(), pText);
    EXPECT_EQ(m_icons.takeFirst(), icon) << pText;
}

void WindowTest::ExpectNoBox()
{
    for (const QString& text : std::as_const(m_messages))
        ADD_FAILURE() << "unexpected message box: " << text.toStdString();
    m_messages.clear();
    m_icons.clear();
}

void Activate(QWidget* pWindow)
{
    // A window closed just before gives the focus back first, as it does
    // long before a user's next action.
    QCoreApplication::processEvents();
    pWindow->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([pWindow] { return QApplication::activeWindow() == pWindow; }))
        << pWindow->windowTitle().toStdString();
}

void PressKeys(QWidget* pWindow, const QKeySequence& keys)
{
    Activate(pWindow);
    QWidget* pFocus = QApplication::focusWidget();
    QTest::keySequence(pFocus ? pFocus : pWindow, keys);
}

void ProcessDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void AnswerNextModal(std::function<void(QWidget*)> check)
{
    auto* pTimer = new QTimer(qApp); // deletes itself once it has answered
    pTimer->setInterval(10);
    QObject::connect(pTimer, &QTimer::timeout, pTimer,
                     [pTimer, check]
                     {
                         QWidget* pModal = QApplication::activeModalWidget();
                         if (!pModal || !pModal->isVisible())
                             return;
                         pTimer->stop();
                         check(pModal);
                         pModal->close();
                         pTimer->deleteLater();
                     });
    pTimer->start();
}

void WindowTest::RightClickThroughWindow(CEntryControlView* pView)
{
    CObjectFrame* pFrame = pView->Frame();
    const QPoint inFrame = pView->viewport()->mapTo(pFrame, QPoint(3, 3));
    QTest::mouseClick(pFrame->windowHandle(), Qt::RightButton, {}, inFrame);
}

void WindowTest::ClickThroughDialog(int nID)
{
    QTest::mouseClick(m_pDlg->windowHandle(), Qt::LeftButton, {},
                      m_pDlg->GetDlgItem(nID)->geometry().center());
}
