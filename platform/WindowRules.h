// Rules for the program's fixed dialogs on any window manager.
#pragma once

class QWidget;

// The main dialog, its message boxes and the About box have no minimise
// button. Window managers that draw one anyway (some ignore the hints that
// say so) can minimise the window; with no task bar it could not be brought
// back, so the window restores itself at once.
void KeepFromMinimising(QWidget* pWindow);
