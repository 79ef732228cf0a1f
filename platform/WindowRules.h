// Rules for the program's windows on any window manager or compositor.
#pragma once

class QSize;
class QWidget;

// The main dialog, its message boxes and the About box have no minimise
// button. Window managers that draw one anyway (some ignore the hints that
// say so) can minimise the window; with no task bar it could not be brought
// back, so the window restores itself at once.
void KeepFromMinimising(QWidget* pWindow);

// The dialogs (main dialog, message boxes, About box, progress dialog) are
// never maximised: a maximised window goes back to its normal state at once.
// On X11 their fixed size keeps window managers from offering it. On Wayland
// the toolkit's own title bar offers maximise to every window, and the
// compositor requires a maximised window to take the size it configures
// (weston ends the connection, and with it the program, otherwise); there a
// fixed-size window takes any size configured for it (it has no maximum
// size) until it is back in the normal state and at its own size.
void KeepFromMaximising(QWidget* pWindow);

// Puts the window's normal size back when it has another one in the normal
// state (neither maximised, minimised nor full-screen): for window managers
// that ignore the size steps (weston's, on Xwayland) and Wayland compositors,
// where a border drag resizes the window. A window manager that insists on
// its own size gets its way after a few tries, until the window's state
// changes.
void KeepNormalSize(QWidget* pWindow, const QSize& size);

// Brings a window forward as far as Wayland allows. A Wayland client can
// neither raise its windows nor restore minimised ones, and is not even told
// which are minimised: it asks the compositor to activate the window
// (xdg-activation, where the compositor offers it: the window is raised,
// restored and focused). On compositors without (weston) a window the
// compositor no longer draws (minimised) is mapped anew a moment later, which
// shows it again, on top, wherever the compositor places it; a window still
// drawn is left where it is, as mapping it anew would move it.
void BringForwardOnWayland(QWidget* pWindow);

// True on a Wayland platform (the window system, not Xwayland).
bool IsWaylandPlatform();
