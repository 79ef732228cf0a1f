#include "CommandsTestSupport.h"

#include "FileDialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>

#include <utility>

void CommandsTest::SetUp()
{
    m_pDlg = std::make_unique<CHollastrinDlg>();
    m_pDlg->show();
    SetMessageBoxHook(
        [this](const MessageBoxRecord& record)
        {
            m_messages.append(record.text);
            m_icons.append(record.icon);
            if (m_whileBoxOpen)
                std::exchange(m_whileBoxOpen, nullptr)();
        });
}

void CommandsTest::TearDown()
{
    SetMessageBoxHook(nullptr);
    SetFileDialogHook(nullptr);
    m_pDlg.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

CEntryControlView* CommandsTest::NewObject(int nRows, int nCols, const QStringList& cells)
{
    m_pDlg->RowsBox()->setCurrentIndex(nRows - 1);
    m_pDlg->ColsBox()->setCurrentIndex(nCols - 1);
    const int nBefore = ObjectCount();
    m_pDlg->OnZeroedObject();
    EXPECT_EQ(ObjectCount(), nBefore + 1);
    CEntryControlView* pView = m_pDlg->m_pNewView;
    for (int k = 0; k < cells.size() && k < nRows * nCols; ++k)
        pView->Cell(k / nCols, k % nCols).setText(cells.at(k));
    return pView;
}

void CommandsTest::Click(CEntryControlView* pView)
{
    pView->OnRButtonDown(0, QPoint(1, 1));
}

QStringList CommandsTest::CellTexts(const CEntryControlView* pView)
{
    QStringList texts;
    for (int i = 0; i < pView->m_nRows; ++i)
        for (int j = 0; j < pView->m_nCols; ++j)
            texts.append(pView->Cell(i, j).text());
    return texts;
}

QString CommandsTest::Name(const CEntryControlView* pView)
{
    return pView->m_pFrame->m_strName;
}

void CommandsTest::CloseWindow(CEntryControlView* pView)
{
    pView->m_pFrame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
