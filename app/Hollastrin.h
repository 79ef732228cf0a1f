// The application object and the command line.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Starts the program: names it, sets its look, runs the main dialog until it
// ends.
class CHollastrinApp
{
public:
    // Runs the main dialog: brings back the objects kept from the run that
    // ended last (unless bNewSession), then opens the object files given.
    // Returns only once the dialog has ended, and always false: nothing is
    // left to run then. SIGTERM, SIGINT and SIGHUP end the dialog as its
    // Close button does, so that the objects are kept.
    bool InitInstance(const QStringList& files = {}, bool bNewSession = false);
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
    // --new-session: start empty, leaving the kept objects kept.
    bool bNewSession = false;
};
// The arguments after the program's name; needs no application object.
CommandLine ParseCommandLine(const QStringList& arguments);
