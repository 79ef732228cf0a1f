// Where the focus goes when a window closes.
//
// A message box, a file dialog, the progress dialog, the help window, the
// More Operations window or an object window closed while it was the active
// window hands the focus back to the window that was active before it, and
// there to the control that had the focus: the object window and cell a
// command came from, not the main dialog that owns the box (where a stray
// Escape would end the program). A window that appears meanwhile (a result)
// keeps the focus it takes.
#pragma once

class QWidget;

// Starts following the windows; once per application, later calls do
// nothing. Needs the QApplication.
void ReturnFocusWhenWindowsClose();

// True once when the window is being activated by the focus coming back to
// it (within a second of the request): it then keeps the control that had
// the focus, instead of what a window takes on activation.
bool TakeFocusReturn(QWidget* pWindow);
