// The application object, the About box and the help window.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <optional>

class CHollastrinDlg;

// Starts the program: names it, sets its look, runs the main dialog until it
// ends.
class CHollastrinApp
{
public:
    // Runs the main dialog, opening the object files given once it is up;
    // returns false when it has ended.
    bool InitInstance(const QStringList& files = {});
    // "Help": shows the program's help window (one, non-modal).
    static void OnHelp();
    // Closes the help window, if open.
    static void CloseHelp();
    // The help window while it is open, else null.
    static QWidget* HelpWindow();
    // The main dialog's keyboard side: F1 opens the help, and the controls
    // without a caption of their own get names for screen readers.
    static void SetUpDialogKeyboard(CHollastrinDlg& dlg);
};

// The program needs a window system: an X display, a Wayland display, or a
// platform chosen explicitly (such as the offscreen one of the tests). Empty
// or missing values count as not set.
bool HasGraphicalSession(const char* pDisplay, const char* pWaylandDisplay, const char* pPlatform);
// The same for the process's environment: DISPLAY, WAYLAND_DISPLAY and
// QT_QPA_PLATFORM. Safe to call before the application object exists.
bool HasGraphicalSession();
// What the program says, on one line, when there is none.
inline constexpr char kNoDisplayMessage[] =
    "Quindle is a desktop program and needs a graphical session (no DISPLAY or "
    "WAYLAND_DISPLAY is set); run 'make demo' to see it on a virtual display.";

// What the command line asks for: object files to open, or a text to print
// before the program ends at once.
struct CommandLine
{
    // As absolute paths, in the order given.
    QStringList files;
    // Set when the program ends at once with this status, after printing
    // the text (to standard error for a bad option).
    std::optional<int> nExitStatus;
    QString text;
    bool bToStandardError = false;
};
// The arguments after the program's name; needs no application object.
CommandLine ParseCommandLine(const QStringList& arguments);

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};

// The third line of the About box.
inline constexpr char kAboutDescription[] = "Matrix and vector calculator";
inline constexpr char kAboutVersion[] = "Quindle Version 1.0";
