// The one fixture of the window suites: the real main dialog on the offscreen
// platform (or a real display), driven as a user drives it. Message boxes are
// recorded instead of shown, and file dialogs answer with queued paths; the
// suites' fixtures below are this one under their own names.
#pragma once

#include "app/FileDialog.h"
#include "app/HollastrinDlg.h"
#include "objects/EntryControl.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "platform/MessageBox.h"

#include <QKeySequence>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QPoint& point, std::ostream* os)
{
    *os << '(' << point.x() << ", " << point.y() << ')';
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Chooses the size in the two lists and presses "Zeroed Object" (then
    // types the cells given row by row) or "Random Object"; returns the new
    // view, or null when none opened.
    CEntryControlView* Zeroed(int nRows, int nCols, const QStringList& cells = {});
    CEntryControlView* Random(int nRows, int nCols);
    // Clicks a button of the main dialog.
    void Press(int nID);
    // Clicks the button of that object name ("buttonAdd"), in the main
    // dialog or in the More Operations window.
    void PressButton(const char* pObjectName);
    // Opens the main dialog's context menu and chooses the entry of that
    // text ("&About Hollastrin...").
    void ChooseFromContextMenu(const char* pEntry);
    // A right click on the view's background.
    static void RightClick(CEntryControlView* pView);
    // The same clicks as the window system delivers them, to the window:
    // while a modal box or dialog is open, they reach only what it leaves
    // usable.
    static void RightClickThroughWindow(CEntryControlView* pView);
    void ClickThroughDialog(int nID);
    // Closes the object's window as its close box does and lets it go.
    static void CloseWindow(CEntryControlView* pView);
    // Selects the operands by right clicks and presses the operation's
    // button; returns the result, or null when none opened.
    CEntryControlView* Operate(int nID, CEntryControlView* pFirst,
                               CEntryControlView* pSecond = nullptr);
    // Chooses the path in "File Load"; returns the new object or null.
    CEntryControlView* Load(const QString& path);

    // A file in the test's own folder.
    QString PathOf(const QString& name) const { return m_dir.filePath(name); }
    static void WriteBytes(const QString& path, const QByteArray& bytes);
    // The reader's refusal of that path.
    static QString FormatMessage(const QString& path);

    static QStringList CellTexts(const CEntryControlView* pView);
    static QString Name(const CEntryControlView* pView);
    int ObjectCount() const { return int(m_pDlg->Registry().ObjectList().size()); }
    CEntryControlView* LastObject() const { return m_pDlg->Registry().ObjectList().last(); }

    // Takes the oldest box shown and checks its text, caption and icon.
    void ExpectBox(const char* pText, MessageIcon icon = MessageIcon::Exclamation);
    void ExpectNoBox();
    // Runs the next time a message box would be open, once.
    void WhileNextBoxOpen(std::function<void()> action) { m_whileBoxOpen = std::move(action); }

    std::unique_ptr<CHollastrinDlg> m_pDlg;
    // Every box shown, oldest first.
    QStringList m_messages;
    QList<MessageIcon> m_icons;
    std::function<void()> m_whileBoxOpen;
    // When set, a box that no ExpectBox took fails the test.
    bool m_bEveryBoxExpected = false;
    // What the next file dialogs answer: a path, or nothing for Cancel. The
    // action, when set, runs while the dialog is open.
    QList<std::optional<QString>> m_choices;
    // The kind of every file dialog asked for, oldest first.
    QList<FileDialogKind> m_kinds;
    std::function<void()> m_whileDialogOpen;
    QTemporaryDir m_dir;
};

// The dialog and object window suites take every box they cause.
class UiTest : public WindowTest
{
protected:
    UiTest() { m_bEveryBoxExpected = true; }
};
using CommandsTest = WindowTest;
using ReliabilityTest = WindowTest;

// True once the condition holds, within five seconds; events are processed
// while waiting.
template <typename Condition> bool Eventually(Condition condition)
{
    return QTest::qWaitFor(condition, 5000);
}

// Makes the window the active one, so that its shortcuts apply.
void Activate(QWidget* pWindow);
// Activates the window and types the keys into its focus widget.
void PressKeys(QWidget* pWindow, const QKeySequence& keys);

// Deletes the windows that were closed (they delete themselves later).
void ProcessDeferredDeletes();

// Answers the next modal widget that appears (a real message box or dialog)
// from the event loop: calls check on it, then closes it.
void AnswerNextModal(std::function<void(QWidget*)> check);
