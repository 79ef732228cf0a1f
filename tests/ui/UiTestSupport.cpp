#include "UiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTimer>

void UiTest::SetUp()
{
    m_previousHook =
        SetMessageBoxHook([this](const MessageBoxRecord& record) { m_Boxes.push_back(record); });
    m_pDlg = std::make_unique<CHollastrinDlg>();
    m_pDlg->show();
}

void UiTest::TearDown()
{
    m_pDlg.reset();
    SetMessageBoxHook(m_previousHook);
    for (const MessageBoxRecord& record : m_Boxes)
        ADD_FAILURE() << "unexpected message box: " << record.text.toStdString();
    // Windows closed by the test are deleted later; do it now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty() ||
                std::all_of(QApplication::topLevelWidgets().cbegin(),
                            QApplication::topLevelWidgets().cend(),
                            [](QWidget* w) { return !w->isVisible(); }))
        << "a window outlived its test";
}

void UiTest::ExpectBox(const char* pText, MessageIcon icon)
{
    ASSERT_FALSE(m_Boxes.empty()) << "no message box; expected: " << pText;
    const MessageBoxRecord record = m_Boxes.front();
    m_Boxes.pop_front();
    EXPECT_EQ(record.text.toStdString(), pText);
    EXPECT_EQ(record.caption.toStdString(), "Quindle");
    EXPECT_EQ(record.icon, icon) << pText;
}

void UiTest::ExpectNoBox()
{
    for (const MessageBoxRecord& record : m_Boxes)
        ADD_FAILURE() << "unexpected message box: " << record.text.toStdString();
    m_Boxes.clear();
}

CEntryControlView* UiTest::Zeroed(int nRows, int nCols)
{
    m_pDlg->RowsBox()->setCurrentIndex(nRows - 1);
    m_pDlg->ColsBox()->setCurrentIndex(nCols - 1);
    const auto nBefore = m_pDlg->m_ObjectList.size();
    m_pDlg->OnZeroedObject();
    return m_pDlg->m_ObjectList.size() > nBefore ? m_pDlg->m_ObjectList.last() : nullptr;
}

CEntryControlView* UiTest::Random(int nRows, int nCols)
{
    m_pDlg->RowsBox()->setCurrentIndex(nRows - 1);
    m_pDlg->ColsBox()->setCurrentIndex(nCols - 1);
    const auto nBefore = m_pDlg->m_ObjectList.size();
    m_pDlg->OnRandomObject();
    return m_pDlg->m_ObjectList.size() > nBefore ? m_pDlg->m_ObjectList.last() : nullptr;
}

void UiTest::RightClick(CEntryControlView* pView)
{
    QTest::mouseClick(pView->viewport(), Qt::RightButton, {}, QPoint(2, 2));
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
