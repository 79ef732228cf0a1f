// Objects that come back: closed windows (Ctrl+Shift+T) and the session
// kept between runs.
#include "WindowTest.h"

#include "app/SessionKeeper.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QScopeGuard>

namespace
{
QStringList ListEntries(const CHollastrinDlg& dlg)
{
    QStringList entries;
    for (int k = 0; k < dlg.ObjectListBox()->count(); ++k)
        entries.append(dlg.ObjectListBox()->item(k)->text());
    return entries;
}

CEntryControlView* ObjectNumbered(const CHollastrinDlg& dlg, int nNumber)
{
    for (CEntryControlView* pView : dlg.Registry().ObjectList())
        if (pView->Frame()->ObjectNumber() == nNumber)
            return pView;
    return nullptr;
}

// Ctrl+Shift+T, pressed in the main dialog.
void ReopenKey(CHollastrinDlg& dlg)
{
    PressKeys(&dlg, QKeySequence(QString::fromUtf8(kReopenClosedKey), QKeySequence::PortableText));
}

// The state folder and settings of these tests alone.
class KeeperTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        m_previousState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", PathOf(QStringLiteral("state")).toUtf8());
    }
    void TearDown() override
    {
        qputenv("XDG_STATE_HOME", m_previousState);
        UiTest::TearDown();
    }
    QByteArray m_previousState;
    static QStringList Files()
    {
        return QDir(SessionFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};
} // namespace

TEST_F(UiTest, ClosedWindowsComeBackOneClosingAtATimeWithNumberNameCellsAndPlace)
{
    CEntryControlView* pFirst = Zeroed(1, 2, {QStringLiteral("1e3"), QStringLiteral("2")});
    Random(2, 2);
    CEntryControlView* pResult = Operate(IDC_TRP, pFirst);
    ASSERT_NE(pResult, nullptr);
    pFirst->Cell(0, 0).setText(QStringLiteral("1e3b"));
    pFirst->Frame()->move(300, 400);
    const QString title = pResult->Frame()->Title();

    CloseWindow(pFirst);
    CloseWindow(pResult);
    EXPECT_EQ(ListEntries(*m_pDlg), QStringList{QStringLiteral("2")});

    ReopenKey(*m_pDlg);
    CEntryControlView* pBack = ObjectNumbered(*m_pDlg, 3);
    ASSERT_NE(pBack, nullptr);
    EXPECT_EQ(pBack->Frame()->Title(), title);
    EXPECT_EQ(CellTexts(pBack), (QStringList{QStringLiteral("1000"), QStringLiteral("2")}));

    ReopenKey(*m_pDlg);
    pBack = ObjectNumbered(*m_pDlg, 1);
    ASSERT_NE(pBack, nullptr);
    EXPECT_EQ(CellTexts(pBack), (QStringList{QStringLiteral("1e3b"), QStringLiteral("2")}));
    EXPECT_EQ(pBack->Frame()->pos(), QPoint(300, 400));
    // In the list by number, where it was.
    EXPECT_EQ(ListEntries(*m_pDlg),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(pBack->ListIndex(), 0);

    // Nothing left to reopen: nothing happens.
    ReopenKey(*m_pDlg);
    EXPECT_EQ(ObjectCount(), 3);

    // "Close  All  Objects" is undone in one step; numbers go on after.
    Press(IDC_CLOSE_ALL_OBJECTS);
    ProcessDeferredDeletes();
    EXPECT_EQ(m_pDlg->Windows().ClosedGroups(), 1);
    ReopenKey(*m_pDlg);
    EXPECT_EQ(ListEntries(*m_pDlg),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), 2 + 4 + 2);
    EXPECT_EQ(Name(Zeroed(1, 1)), QStringLiteral("4"));
}

TEST_F(UiTest, AClosedObjectThatDoesNotFitGetsTheMessageAndStaysClosed)
{
    for (int k = 0; k < 12; ++k)
        ASSERT_NE(Zeroed(20, 20), nullptr);
    CloseWindow(LastObject());
    CEntryControlView* pFiller = Zeroed(20, 10);
    ASSERT_NE(pFiller, nullptr);
    const int nCells = m_pDlg->Registry().EditControlCount();

    ReopenKey(*m_pDlg);
    ExpectBox(MessageText::kBudgetReached);
    EXPECT_EQ(m_pDlg->Registry().EditControlCount(), nCells);
    EXPECT_EQ(m_pDlg->Windows().ClosedGroups(), 1);

    // It stays, under the closings that follow.
    CloseWindow(pFiller);
    ReopenKey(*m_pDlg);
    EXPECT_NE(ObjectNumbered(*m_pDlg, 13), nullptr);
    EXPECT_EQ(m_pDlg->Windows().ClosedGroups(), 1);
}

TEST_F(UiTest, AKeptSessionComesBackWithItsNumbersSelectionAndPlacesOnTheScreen)
{
    CEntryControlView* pFirst = Zeroed(1, 2, {QStringLiteral("5"), QStringLiteral("x y")});
    CEntryControlView* pSecond = Zeroed(1, 2, {QStringLiteral("1"), QString()});
    pFirst->Frame()->move(5000, -300);
    RightClick(pSecond);
    RightClick(pFirst);
    KeptSession session = m_pDlg->Windows().CaptureSession();
    EXPECT_EQ(session.selection, (std::vector<int>{2, 1}));

    m_pDlg->Windows().CloseAllUnkept();
    ProcessDeferredDeletes();
    EXPECT_EQ(m_pDlg->Windows().ClosedGroups(), 0);
    EXPECT_EQ(m_pDlg->Windows().RestoreSession(session), 2);
    CEntryControlView* pBack = ObjectNumbered(*m_pDlg, 1);
    ASSERT_NE(pBack, nullptr);
    EXPECT_EQ(CellTexts(pBack), (QStringList{QStringLiteral("5"), QStringLiteral("x y")}));
    EXPECT_EQ(pBack->SelIndex(), 1);
    EXPECT_EQ(ObjectNumbered(*m_pDlg, 2)->SelIndex(), 0);
    // Moved onto the (1024 x 768) screen, whole.
    const QRect frame = pBack->Frame()->frameGeometry();
    EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(frame)) << frame.x() << "," << frame.y();
    EXPECT_EQ(Name(Zeroed(1, 1)), QStringLiteral("3"));
}

TEST_F(KeeperTest, ARunKeepsItsObjectsForTheNextAndNeverTakesThoseOfARunningOne)
{
    QString path;
    {
        CSessionKeeper keeper(*m_pDlg);
        keeper.Start(CSessionKeeper::EStart::Restore);
        EXPECT_EQ(ObjectCount(), 0);
        RightClick(Zeroed(1, 2, {QStringLiteral("1e3b"), QStringLiteral("7")}));
        keeper.Flush();
        path = keeper.SessionPath();
        ASSERT_TRUE(QFile::exists(path));
        const QFile::Permissions others =
            QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        EXPECT_EQ(QFile::permissions(path) & others, QFile::Permissions());

        // Another program, started meanwhile, starts empty with a session
        // of its own, and offers none: this one is running.
        CHollastrinDlg other;
        CSessionKeeper otherKeeper(other);
        otherKeeper.Start(CSessionKeeper::EStart::Restore);
        EXPECT_TRUE(other.Registry().ObjectList().isEmpty());
        EXPECT_NE(otherKeeper.SessionPath(), path);
        EXPECT_TRUE(otherKeeper.EndedSessions().isEmpty());
    } // this run ends
    m_pDlg->Windows().CloseAllUnkept();
    ProcessDeferredDeletes();
    EXPECT_EQ(Files(), QStringList{QFileInfo(path).fileName()});

    // A new session leaves it kept and offered; opening it brings it back.
    CSessionKeeper fresh(*m_pDlg);
    fresh.Start(CSessionKeeper::EStart::New);
    EXPECT_EQ(ObjectCount(), 0);
    ASSERT_EQ(fresh.EndedSessions().size(), 1);
    EXPECT_EQ(fresh.EndedSessions().first().nObjects, 1);
    ASSERT_TRUE(fresh.SwitchTo(path));
    ASSERT_EQ(ObjectCount(), 1);
    EXPECT_EQ(CellTexts(LastObject()), (QStringList{QStringLiteral("1e3b"), QStringLiteral("7")}));
    EXPECT_EQ(LastObject()->SelIndex(), 0);
    EXPECT_EQ(fresh.SessionPath(), path);

    // Closing every object leaves nothing to bring back.
    Press(IDC_CLOSE_ALL_OBJECTS);
    fresh.Flush();
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(KeeperTest, AnUnreadableSessionIsSetAsideAndWhatCouldBeReadOfItComesBack)
{
    ASSERT_TRUE(QDir().mkpath(SessionFolder()));
    const QByteArray bytes = "quindle-session 1\nnext 5\nobject 3 1 1 10 10 \"\" \"\" \"42\"\n"
                             "object 4 1 1 10 10 \"\" \"\" \"4";
    const QString path = QDir(SessionFolder()).filePath(QStringLiteral("session-old.txt"));
    WriteBytes(path, bytes);

    CSessionKeeper keeper(*m_pDlg);
    keeper.Start(CSessionKeeper::EStart::Restore);
    ASSERT_EQ(ObjectCount(), 1);
    EXPECT_EQ(Name(LastObject()), QStringLiteral("3"));
    EXPECT_EQ(CellTexts(LastObject()), QStringList{QStringLiteral("42")});
    // Moved aside unchanged, never to be overwritten.
    const QStringList files = Files();
    ASSERT_EQ(files.size(), 2) << files.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(files.at(0).startsWith(QStringLiteral("session-old.txt.lock")));
    ASSERT_TRUE(files.at(1).startsWith(QStringLiteral("session-old.txt.unreadable-")));
    QFile aside(QDir(SessionFolder()).filePath(files.at(1)));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), bytes);
}

TEST_F(KeeperTest, WithoutAStateFolderOrWithKeepingOffNothingIsKept)
{
    // The state folder's place is taken by a file.
    WriteBytes(PathOf(QStringLiteral("state")), "x");
    {
        CSessionKeeper keeper(*m_pDlg);
        keeper.Start(CSessionKeeper::EStart::Restore);
        EXPECT_TRUE(keeper.SessionPath().isEmpty());
        ASSERT_NE(Zeroed(1, 1), nullptr);
        keeper.Flush();
    }
    m_pDlg->Windows().CloseAllUnkept();
    QFile::remove(PathOf(QStringLiteral("state")));

    // Later tests keep their objects again.
    const auto keepAgain = qScopeGuard([this] { CSessionKeeper(*m_pDlg).SetKeepingEnabled(true); });
    {
        CSessionKeeper keeper(*m_pDlg);
        keeper.Start(CSessionKeeper::EStart::Restore);
        ASSERT_NE(Zeroed(1, 1), nullptr);
        keeper.Flush();
        ASSERT_TRUE(QFile::exists(keeper.SessionPath()));
        // Turned off: this run's session goes, and the setting lasts.
        keeper.SetKeepingEnabled(false);
        EXPECT_TRUE(Files().isEmpty());
    }
    EXPECT_FALSE(CSessionKeeper::KeepingEnabled());
    m_pDlg->Windows().CloseAllUnkept();
    CSessionKeeper keeper(*m_pDlg);
    keeper.Start(CSessionKeeper::EStart::Restore);
    ASSERT_NE(Zeroed(1, 1), nullptr);
    keeper.Flush();
    EXPECT_TRUE(Files().isEmpty());
}
