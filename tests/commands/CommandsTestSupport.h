// A main dialog driven without a screen: message boxes are recorded instead
// of shown, and objects are made and selected as a user would.
#pragma once

#include "EntryControl.h"
#include "EntryControlView.h"
#include "HollastrinDlg.h"
#include "MessageBox.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

class CommandsTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A zeroed object with the cells given row by row (blank where none).
    CEntryControlView* NewObject(int nRows, int nCols, const QStringList& cells = {});
    // A right click on the object's background.
    static void Click(CEntryControlView* pView);
    static QStringList CellTexts(const CEntryControlView* pView);
    static QString Name(const CEntryControlView* pView);
    int ObjectCount() const { return int(m_pDlg->m_ObjectList.size()); }
    CEntryControlView* LastObject() const { return m_pDlg->m_ObjectList.last(); }
    // Closes the object's window as its close box does and lets it go.
    static void CloseWindow(CEntryControlView* pView);
    // Runs the next time a message box would be open, once.
    void WhileNextBoxOpen(std::function<void()> action) { m_whileBoxOpen = std::move(action); }

    std::unique_ptr<CHollastrinDlg> m_pDlg;
    QStringList m_messages;
    QList<MessageIcon> m_icons;

private:
    std::function<void()> m_whileBoxOpen;
};
