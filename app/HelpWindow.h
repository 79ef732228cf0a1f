// The program's help window: one, non-modal, parentless; F1 in any window of
// the program opens it or brings it forward, Escape closes it.
#pragma once

class QWidget;

// Shows the help window (opening it when it is not open).
void ShowHelp();
// Closes the help window, if open.
void CloseHelp();
// The help window while it is open, else null.
QWidget* HelpWindow();
// F1 anywhere in the window opens the help.
void AddHelpKey(QWidget* pWindow);
