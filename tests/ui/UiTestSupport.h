// A fixture around the real main dialog, shown on the offscreen platform.
// Every message box goes to a queue instead of the screen; a test takes the
// boxes it expects, and any box left over fails the test.
#pragma once

#include "EntryControl.h"
#include "EntryControlView.h"
#include "HollastrinDlg.h"
#include "MessageBox.h"

#include <gtest/gtest.h>

#include <QString>

#include <deque>
#include <memory>

class UiTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Takes the oldest box shown and checks it.
    void ExpectBox(const char* pText, MessageIcon icon = MessageIcon::Exclamation);
    void ExpectNoBox();

    // Chooses the size in the two lists and presses "Zeroed Object" or
    // "Random Object"; returns the new view, or null when none opened.
    CEntryControlView* Zeroed(int nRows, int nCols);
    CEntryControlView* Random(int nRows, int nCols);
    // A right click on the view's background.
    void RightClick(CEntryControlView* pView);

    std::unique_ptr<CHollastrinDlg> m_pDlg;
    std::deque<MessageBoxRecord> m_Boxes;

private:
    MessageBoxHook m_previousHook;
};

// Answers the next modal widget that appears (a real message box or dialog)
// from the event loop: calls check on it, then closes it.
void AnswerNextModal(std::function<void(QWidget*)> check);
