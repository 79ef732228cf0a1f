// Shared pieces of the reliability tests: the consistency of the main
// dialog's shared state, a dialog driven without a screen, and the process's
// own memory and input figures.
#pragma once

#include "EntryControl.h"
#include "EntryControlView.h"
#include "HollastrinDlg.h"
#include "MessageBox.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// Checks the dialog's shared state as a whole: view i of m_ObjectList knows
// its index i and belongs to its window; the list box holds exactly the
// numbers of the open objects in the same order; the selected views carry
// their selection index and flag and no other view is flagged; the cell
// count is the sum over the open objects and within the budget; and the
// object windows that exist are exactly those of the list. Deferred deletes
// must have been processed. Returns the first fault found, or "".
std::string CheckDialogState(const CHollastrinDlg& dlg);

// Everything a refused request has to leave as it was.
struct DialogSnapshot
{
    int nObjects = 0;
    int nNextObjectNumber = 0;
    int nEditControlCount = 0;
    QList<CEntryControlView*> selected;
    QStringList listEntries;

    bool operator==(const DialogSnapshot&) const = default;
};
DialogSnapshot TakeSnapshot(const CHollastrinDlg& dlg);
void PrintTo(const DialogSnapshot& s, std::ostream* os);

// Deletes the windows that were closed (they delete themselves later).
void ProcessDeferredDeletes();

// Figures of this process from /proc: resident bytes now, the peak since the
// start (or the last reset), and the bytes read from files so far. -1 when
// not available.
long long ResidentBytes();
long long PeakResidentBytes();
long long BytesRead();
// Lowers the peak to the current resident size; false when not supported.
bool ResetPeakResident();

// The real main dialog on the offscreen platform. Message boxes are recorded
// instead of shown; file dialogs answer with the paths queued in m_choices.
class ReliabilityTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Chooses the size in the two lists and presses the button, as a user.
    CEntryControlView* Zeroed(int nRows, int nCols, const QStringList& cells = {});
    CEntryControlView* Random(int nRows, int nCols);
    // Clicks a button of the main dialog.
    void Press(int nID);
    // A right click on the view's background.
    static void RightClick(CEntryControlView* pView);
    static QStringList CellTexts(const CEntryControlView* pView);
    int ObjectCount() const { return int(m_pDlg->m_ObjectList.size()); }

    std::unique_ptr<CHollastrinDlg> m_pDlg;
    QStringList m_messages;
    // Runs the next time a message box is open, once.
    std::function<void()> m_whileBoxOpen;
    // What the next file dialogs answer: a path, or nothing for Cancel. The
    // action, when set, runs while the dialog is open.
    QList<std::optional<QString>> m_choices;
    std::function<void()> m_whileDialogOpen;

private:
    CEntryControlView* Create(int nButton, int nRows, int nCols);
};
