// What only a window manager or compositor shows (see run-under-wm.sh for
// the sessions): border drags, maximising, activation by the mouse, real
// keys, the title and buttons the window manager gives the windows. Driven
// with xdotool and read back with xwininfo and xprop. On native Wayland the
// compositor, not the program, decides a window's state and size; and the
// program itself chooses its window system.
#include "WindowTest.h"
#include "app/Hollastrin.h"
#include "app/MoreOperationsDlg.h"
#include "platform/ProgressWatch.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <functional>

namespace
{
QString WindowManager()
{
    return qEnvironmentVariable("QUINDLE_WINDOW_MANAGER");
}

// Runs a tool to its end while this program keeps answering the window
// manager. The event loop may notice the tool's end first, after which
// waitForFinished() only says false: the state tells when it is over.
QString Tool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    const QDeadlineTimer deadline(30000);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
    {
        process.waitForFinished(10);
        QCoreApplication::processEvents();
    }
    if (process.state() != QProcess::NotRunning)
    {
        ADD_FAILURE() << program.toStdString() << " did not finish";
        process.kill();
        process.waitForFinished();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString Id(const QWidget* pWindow)
{
    return QString::number(pWindow->winId());
}

// The window's client area on the screen, as the X server has it.
QRect ClientRect(const QWidget* pWindow)
{
    const QString info = Tool("xwininfo", {"-id", Id(pWindow)});
    auto field = [&info](const char* pName)
    {
        const QRegularExpression re(QString::fromUtf8(pName) + QStringLiteral(":\\s+(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                 field("Height"));
}

bool IsViewable(const QWidget* pWindow)
{
    return Tool("xwininfo", {"-id", Id(pWindow)}).contains("IsViewable");
}

QString Property(const QWidget* pWindow, const char* pName)
{
    return Tool("xprop", {"-id", Id(pWindow), QString::fromUtf8(pName)});
}

// Lets the window manager and this program finish what they are doing.
void Settle()
{
    QTest::qWait(300);
}

// A left-button drag from a point by a distance, in small steps.
void Drag(QPoint from, QPoint by)
{
    QStringList args{"mousemove",
                     QString::number(from.x()),
                     QString::number(from.y()),
                     "sleep",
                     "0.2",
                     "mousedown",
                     "1",
                     "sleep",
                     "0.2"};
    for (int k = 0; k < 6; ++k)
        args << "mousemove_relative"
             << "--" << QString::number(by.x() / 6) << QString::number(by.y() / 6) << "sleep"
             << "0.05";
    args << "sleep"
         << "0.2"
         << "mouseup"
         << "1";
    Tool("xdotool", args);
    Settle();
}

void Click(QPoint at, int nButton = 1)
{
    Tool("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.1",
                     "click", QString::number(nButton)});
    Settle();
}

class DesktopTest : public UiTest
{
protected:
    // Waits until the window manager has framed and shown the window.
    static void WaitMapped(QWidget* pWindow)
    {
        EXPECT_TRUE(Eventually([pWindow] { return IsViewable(pWindow); }));
        Settle();
    }

    // Once the next modal window (a real box) is up and shown by the window
    // manager: runs the action on it, then closes it.
    void WhenNextModalIsMapped(std::function<void(QWidget*)> action)
    {
        QTimer::singleShot(
            0, m_pDlg.get(),
            [action]
            {
                QWidget* pBox = nullptr;
                EXPECT_TRUE(Eventually([&] { return (pBox = QApplication::activeModalWidget()); }));
                if (!pBox)
                    return;
                WaitMapped(pBox);
                action(pBox);
                pBox->close();
            });
    }
};

// The widest a window has been since the watch began.
class CWidestWatch : public QObject
{
public:
    explicit CWidestWatch(QWidget* pWindow) : m_nWidest(pWindow->width())
    {
        pWindow->installEventFilter(this);
    }
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Resize)
            m_nWidest = std::max(m_nWidest, static_cast<QWidget*>(pWatched)->width());
        return false;
    }
    int m_nWidest;
};

// How often a window has had an event of one type since the count began.
class CEventCount : public QObject
{
public:
    CEventCount(QWidget* pWindow, QEvent::Type type) : m_type(type)
    {
        pWindow->installEventFilter(this);
    }
    bool eventFilter(QObject* /*pWatched*/, QEvent* pEvent) override
    {
        if (pEvent->type() == m_type)
            ++m_nCount;
        return false;
    }
    QEvent::Type m_type;
    int m_nCount = 0;
};

class WaylandTest : public UiTest
{
protected:
    // Asks for the state as the title bar's buttons do.
    static void RequestState(QWidget* pWindow, Qt::WindowState state)
    {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pWindow));
        pWindow->windowHandle()->setWindowStates(state);
    }

    // A dialog asked to be maximised takes the size the compositor
    // configures (which ends the program otherwise), then goes back to its
    // normal state and size.
    static void ExpectBackToNormal(QWidget* pWindow, const char* pWhat)
    {
        const QSize size = pWindow->size();
        const CWidestWatch watch(pWindow);
        RequestState(pWindow, Qt::WindowMaximized);
        EXPECT_TRUE(Eventually([&] { return watch.m_nWidest > 1000; })) << pWhat;
        EXPECT_TRUE(Eventually(
            [&] { return pWindow->windowState() == Qt::WindowNoState && pWindow->size() == size; }))
            << pWhat << ": " << pWindow->width() << "x" << pWindow->height();
    }
};
} // namespace

// Under openbox and metacity: the size steps hold the window at its size.
TEST_F(DesktopTest, BorderDragsChangeNeitherSizeNorPlace)
{
    // Object 1 opens at the top of the screen, where a move would hide its
    // title bar.
    for (auto [nRows, nCols] : {std::pair{3, 4}, std::pair{20, 20}})
    {
        CEntryControlView* pView = Zeroed(nRows, nCols);
        CObjectFrame* pFrame = pView->Frame();
        WaitMapped(pFrame);
        const QRect before = ClientRect(pFrame);
        ASSERT_EQ(before.size(), pFrame->size());
        const QPoint bottom(before.center().x(), before.bottom() + 3);
        const QPoint right(before.right() + 2, before.center().y());
        const QPoint corner(before.right() + 2, before.bottom() + 3);
        for (QPoint from : {bottom, right, corner})
        {
            for (QPoint by : {QPoint(60, 60), QPoint(-60, -60)})
            {
                Drag(from, by);
                EXPECT_EQ(ClientRect(pFrame), before)
                    << WindowManager().toStdString() << " drag from " << from.x() << "," << from.y()
                    << " by " << by.x() << "," << by.y();
            }
        }
        EXPECT_EQ(pFrame->frameGeometry().topLeft(),
                  CObjectFrame::FramePosition(pFrame->ObjectNumber()));
        const QString actions = Property(pFrame, "_NET_WM_ALLOWED_ACTIONS");
        EXPECT_TRUE(actions.contains("_NET_WM_ACTION_MAXIMIZE_HORZ")) << actions.toStdString();
    }
}

// Also under window managers that ignore the size steps (weston's): a size
// given in the normal state is undone, while maximise and restore work.
TEST_F(DesktopTest, ObjectWindowsTakeTheirSizeBackAndMaximiseAndRestore)
{
    for (auto [nRows, nCols] : {std::pair{3, 4}, std::pair{20, 20}})
    {
        CObjectFrame* pFrame = Zeroed(nRows, nCols)->Frame();
        WaitMapped(pFrame);
        const QRect before = ClientRect(pFrame);
        // What a border drag does where the size steps are ignored.
        Tool("xdotool", {"windowsize", Id(pFrame), QString::number(before.width() + 60),
                         QString::number(before.height() + 45)});
        EXPECT_TRUE(Eventually([&] { return ClientRect(pFrame).size() == before.size(); }))
            << WindowManager().toStdString() << ": " << pFrame->width() << "x" << pFrame->height();

        pFrame->showMaximized();
        EXPECT_TRUE(Eventually([&] { return ClientRect(pFrame).width() > 1000; }));
        Settle();
        EXPECT_TRUE(pFrame->isMaximized());
        EXPECT_GT(ClientRect(pFrame).width(), 1000);
        pFrame->showNormal();
        EXPECT_TRUE(Eventually([&] { return ClientRect(pFrame).size() == before.size(); }));
    }
}

TEST_F(DesktopTest, MouseActivationFocusesTheFirstCellAndRealKeysStayInTheCells)
{
    CEntryControlView* p1 = Zeroed(20, 20);
    CEntryControlView* p2 = Zeroed(2, 2);
    WaitMapped(p1->Frame());
    WaitMapped(p2->Frame());
    p1->Cell(0, 0).setText("3.5");
    // Side by side: the cascade overlaps them by more than a title bar.
    p2->Frame()->move(600, 300);
    Settle();
    auto background = [](CEntryControlView* pView)
    { return pView->viewport()->mapToGlobal(QPoint(8, 8)); };

    for (int nButton : {1, 3})
    {
        // An inactive window clicked on its background: typing goes to its
        // first cell, replacing the text.
        Click(background(p2));
        EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == p2->Frame(); }));
        Click(background(p1), nButton);
        EXPECT_TRUE(Eventually([&] { return QApplication::activeWindow() == p1->Frame(); }));
        EXPECT_EQ(QApplication::focusWidget(), &p1->Cell(0, 0)) << nButton;
        EXPECT_EQ(p1->Cell(0, 0).selectedText(), p1->Cell(0, 0).text()) << nButton;
    }
    EXPECT_EQ(p1->IsSelected(), 1); // the right click selected it
    // Two quick right clicks are two clicks: deselected and selected again.
    Tool("xdotool", {"click", "--repeat", "2", "--delay", "80", "3"});
    Settle();
    EXPECT_EQ(p1->IsSelected(), 1);
    Tool("xdotool", {"type", "--delay", "30", "42"});
    EXPECT_TRUE(Eventually([&] { return p1->Cell(0, 0).text() == "42"; }));

    // In the active window a background click leaves the focus where it is;
    // Ctrl+I moves on like Tab and types nothing; Down does not scroll.
    Click(p1->Cell(1, 0).mapToGlobal(QPoint(5, 5)));
    EXPECT_TRUE(Eventually([&] { return QApplication::focusWidget() == &p1->Cell(1, 0); }));
    Click(background(p1));
    EXPECT_EQ(QApplication::focusWidget(), &p1->Cell(1, 0));
    Tool("xdotool", {"key", "ctrl+i"});
    EXPECT_TRUE(Eventually([&] { return QApplication::focusWidget() == &p1->Cell(1, 1); }));
    // Checked after every key: a grid that scrolls down and back up again
    // would end where it started.
    for (const char* pKey : {"Down", "Page_Down", "Up", "Page_Up"})
    {
        Tool("xdotool", {"key", pKey});
        Settle();
        EXPECT_EQ(p1->verticalScrollBar()->value(), 0) << pKey;
        EXPECT_EQ(QApplication::focusWidget(), &p1->Cell(1, 1)) << pKey;
    }
    EXPECT_TRUE(p1->Cell(1, 0).text().isEmpty());
    EXPECT_TRUE(p1->Cell(1, 1).text().isEmpty());
}

TEST_F(DesktopTest, TheWindowSystemGetsTheTitleVerbatim)
{
    const QString path = PathOf("a[*]b %1&c.txt");
    WriteBytes(path, "2 2 |\r\n0 0 |\r\n0 0 |\r\n");
    CEntryControlView* pView = Load(path);
    ASSERT_NE(pView, nullptr);
    WaitMapped(pView->Frame());
    EXPECT_EQ(Property(pView->Frame(), "_NET_WM_NAME").trimmed(),
              "_NET_WM_NAME(UTF8_STRING) = \"1  " + path + "  [2X2]\"");
}

TEST_F(DesktopTest, MainDialogAndMessageBoxesCanBeNeitherMaximisedNorMinimised)
{
    WaitMapped(m_pDlg.get());
    auto check = [](QWidget* pWindow, const char* pWhat)
    {
        const QString actions = Property(pWindow, "_NET_WM_ALLOWED_ACTIONS");
        EXPECT_FALSE(actions.contains("MAXIMIZE")) << pWhat << ": " << actions.toStdString();
        // Metacity takes the hints at their word; openbox offers minimising
        // to every window, and the window comes straight back.
        if (WindowManager() == "metacity")
        {
            EXPECT_FALSE(actions.contains("MINIMIZE")) << pWhat << ": " << actions.toStdString();
        }
        Tool("xdotool", {"windowminimize", Id(pWindow)});
        Settle();
        EXPECT_TRUE(Eventually([&] { return !pWindow->isMinimized(); }));
        EXPECT_TRUE(Eventually([&] { return IsViewable(pWindow); }));
    };
    check(m_pDlg.get(), "main dialog");

    // A real message box, answered here.
    const MessageBoxHook previous = SetMessageBoxHook(nullptr);
    bool bChecked = false;
    WhenNextModalIsMapped(
        [&](QWidget* pBox)
        {
            check(pBox, "message box");
            bChecked = true;
        });
    AppMessageBox(MessageText::kSelectDimensions);
    SetMessageBoxHook(previous);
    EXPECT_TRUE(bChecked);
}

TEST_F(DesktopTest, AboutBoxFrameStartsAtTheDialogsClientCornerAndComesBackWhenMinimised)
{
    WaitMapped(m_pDlg.get());
    const QPoint corner = ClientRect(m_pDlg.get()).topLeft();
    QPoint frame;
    WhenNextModalIsMapped(
        [&](QWidget* pBox)
        {
            // left, right, top, bottom
            const QStringList extents =
                Property(pBox, "_NET_FRAME_EXTENTS").section('=', 1).split(',');
            EXPECT_EQ(extents.size(), 4);
            if (extents.size() == 4)
                frame = ClientRect(pBox).topLeft() -
                        QPoint(extents[0].trimmed().toInt(), extents[2].trimmed().toInt());
            // Like the message boxes, it comes straight back when minimised.
            Tool("xdotool", {"windowminimize", Id(pBox)});
            Settle();
            EXPECT_TRUE(Eventually([&] { return !pBox->isMinimized() && IsViewable(pBox); }));
        });
    m_pDlg->OnSysCommand(IDM_ABOUTBOX, 0);
    EXPECT_EQ(frame, corner);
}

TEST_F(WaylandTest, NoWindowEndsTheProgramWhenMaximised)
{
    ExpectBackToNormal(m_pDlg.get(), "main dialog");

    const MessageBoxHook previous = SetMessageBoxHook(nullptr);
    AnswerNextModal([&](QWidget* pBox) { ExpectBackToNormal(pBox, "message box"); });
    AppMessageBox(MessageText::kSelectDimensions);
    SetMessageBoxHook(previous);

    AnswerNextModal([&](QWidget* pBox) { ExpectBackToNormal(pBox, "About box"); });
    m_pDlg->OnSysCommand(IDM_ABOUTBOX, 0);

    using namespace std::chrono_literals;
    const auto previousDelay = CProgressWatch::SetShowDelay(0ms);
    CProgressWatch::SetShowHook([&](QProgressDialog& dialog)
                                { ExpectBackToNormal(&dialog, "progress dialog"); });
    RunWithProgress(m_pDlg.get(), QStringLiteral("Computing"), [] { ReportProgress(1, 10); });
    CProgressWatch::SetShowHook(nullptr);
    CProgressWatch::SetShowDelay(previousDelay);

    m_pDlg->OnMoreOperations();
    ExpectBackToNormal(m_pDlg->MoreOperationsWindow(), "More Operations");

    // Object windows can be maximised, and come back to their size.
    CObjectFrame* pFrame = Zeroed(3, 4)->Frame();
    const QSize size = pFrame->size();
    RequestState(pFrame, Qt::WindowMaximized);
    EXPECT_TRUE(Eventually([&] { return pFrame->width() > size.width(); }));
    RequestState(pFrame, Qt::WindowNoState);
    EXPECT_TRUE(Eventually([&] { return pFrame->size() == size; }));
}

// How long the program itself may take to show its first window.
constexpr int kProgramStartMs = 60000;

// The program as a desktop starts it, with no platform chosen: on X11 where
// a Wayland desktop offers an X display too, on Wayland where it is alone or
// where the X display named is gone; not a word on the standard error in any
// case.
TEST(DisplaySystemTest, X11WhereThereIsAnXDisplayAndWaylandAlone)
{
    const bool bX11 = qEnvironmentVariableIsSet("DISPLAY");
    // A display number no server has here.
    const QString deadDisplay = QStringLiteral(":64999");
    ASSERT_FALSE(QFile::exists("/tmp/.X11-unix/X64999"));
    for (const QString& display : bX11 ? QStringList{QString()} : QStringList{"", deadDisplay})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        if (!display.isEmpty())
            environment.insert("DISPLAY", display);
        // The Wayland messages, one a line, each starting with its time in [].
        environment.insert("WAYLAND_DEBUG", "client");
        // The program now ends cleanly on SIGTERM; under the sanitizers its
        // leak checker would then list the suppressions it used, which is no
        // message of the program's.
        if (environment.contains("LSAN_OPTIONS"))
            environment.insert("LSAN_OPTIONS",
                               environment.value("LSAN_OPTIONS") + ":print_suppressions=0");
        const QTemporaryDir home;
        environment.insert("XDG_STATE_HOME", home.filePath("state"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(qEnvironmentVariable("QUINDLE_PROGRAM"), QStringList());
        ASSERT_TRUE(program.waitForStarted());
        // Until the main dialog is on the screen: mapped on X11; on Wayland
        // titled and configured by the compositor. A program that starts on
        // a busy machine may take far longer than the usual wait for its
        // window.
        QByteArray errors;
        auto shown = [&]
        {
            errors += program.readAllStandardError();
            if (bX11)
                return !Tool("xdotool", {"search", "--onlyvisible", "--name", "^Quindle$"})
                            .isEmpty();
            const qsizetype nTitle = errors.indexOf("set_title(\"Quindle\")");
            return nTitle >= 0 && errors.indexOf("ack_configure(", nTitle) >= 0;
        };
        const std::string what = WindowManager().toStdString() + " " + display.toStdString();
        EXPECT_TRUE(QTest::qWaitFor(shown, kProgramStartMs)) << what << ": no main dialog";
        Settle();
        EXPECT_EQ(program.state(), QProcess::Running) << what;
        program.terminate();
        program.waitForFinished();
        errors += program.readAllStandardError();
        if (bX11)
        {
            EXPECT_FALSE(errors.contains("xdg_toplevel")) << "also on Wayland";
        }
        for (const QByteArray& line : errors.split('\n'))
            EXPECT_TRUE(line.isEmpty() || line.startsWith('['))
                << what << ": " << line.toStdString();
    }
}

// Picking an object in the list where the compositor activates nothing
// (weston has no xdg-activation; headless, it has not even a seat): a
// minimised window is mapped anew, which brings it back and on top; a window
// on the screen is left where it is (mapped anew, it would be placed anew).
TEST_F(WaylandTest, PickingAnObjectShowsAMinimisedWindowAgainAndMovesNoOther)
{
    CObjectFrame* pShown = Zeroed(2, 2)->Frame();
    CObjectFrame* pMinimised = Zeroed(3, 3)->Frame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pShown));
    const CEventCount hides(pShown, QEvent::Hide);
    m_pDlg->ObjectListBox()->item(0)->setSelected(true);

    RequestState(pMinimised, Qt::WindowMinimized);
    // The compositor stops drawing it.
    EXPECT_TRUE(Eventually([&] { return !pMinimised->windowHandle()->isExposed(); }));
    m_pDlg->ObjectListBox()->item(1)->setSelected(true);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(pMinimised));
    // The first pick was decided before the second.
    EXPECT_EQ(hides.m_nCount, 0);
    EXPECT_TRUE(pShown->windowHandle()->isExposed());
}

// Escape and Enter typed while a size list's drop-down is open close the
// drop-down and nothing else: on Wayland the key reaches the dialog too,
// once the drop-down has closed. Real keys, typed into weston's window on
// its X display as a user types them, reach the real program; its Wayland
// messages tell when it has the keyboard and when the drop-down opens and
// closes.
TEST(WaylandKeysTest, EscapeAndEnterInAnOpenDropDownCloseOnlyTheDropDown)
{
    if (WindowManager() != QLatin1String("weston-seat"))
        GTEST_SKIP() << "needs a compositor with a keyboard";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WAYLAND_DEBUG", "client");
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("QUINDLE_PROGRAM"), QStringList());
    ASSERT_TRUE(program.waitForStarted());
    QByteArray messages;
    const auto count = [&](const char* pWhat)
    {
        messages += program.readAllStandardError();
        return messages.count(pWhat);
    };
    ASSERT_TRUE(Eventually([&] { return count("wl_keyboard@") > 0 && count(".enter(") > 0; }))
        << "the program never has the keyboard";
    const auto xdotool = [](const QString& command, const QString& keys)
    { Tool(QStringLiteral("xdotool"), QStringList{command} + keys.split(' ')); };
    for (const QString& keys : {QStringLiteral("Escape"), QStringLiteral("Down Return")})
    {
        // Held until the drop-down is there, as a hand holds a key: the
        // compositor refuses a drop-down opened on a key already let go.
        const qsizetype nConfigured = count(".configure(");
        const qsizetype nOpened = count("get_popup(");
        xdotool(QStringLiteral("keydown"), QStringLiteral("alt+Down"));
        EXPECT_TRUE(Eventually(
            [&] { return count("get_popup(") > nOpened && count(".configure(") > nConfigured; }))
            << "no drop-down";
        xdotool(QStringLiteral("keyup"), QStringLiteral("alt+Down"));
        const qsizetype nClosed = count("popup_done") + count("xdg_popup@");
        QTest::qWait(200);
        ASSERT_EQ(count("popup_done"), 0) << "the drop-down closed by itself";
        xdotool(QStringLiteral("key"), keys);
        // The drop-down goes (xdg_popup@N.destroy()).
        EXPECT_TRUE(Eventually([&] { return count("xdg_popup@") > nClosed; }));
        QTest::qWait(500);
        EXPECT_EQ(program.state(), QProcess::Running) << keys.toStdString() << " ended the program";
    }
    // Escape on the dialog itself still ends the program.
    xdotool(QStringLiteral("key"), QStringLiteral("Escape"));
    // (The event loop may have seen the end already.)
    EXPECT_TRUE(Eventually([&] { return program.state() == QProcess::NotRunning; }));
    if (program.state() != QProcess::NotRunning)
    {
        program.kill();
        program.waitForFinished();
    }
}
