// The application object, the About box and the help window.
#pragma once

#include <QDialog>

// Starts the program: names it, sets its look, runs the main dialog until it
// ends.
class CHollastrinApp
{
public:
    // Runs the main dialog; returns false when it has ended.
    bool InitInstance();
    // "Help": shows the program's help window (one, non-modal).
    static void OnHelp();
    // Closes the help window, if open.
    static void CloseHelp();
    // The help window while it is open, else null.
    static QWidget* HelpWindow();
};

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};

// The third line of the About box.
inline constexpr char kAboutDescription[] = "Matrix and vector calculator";
inline constexpr char kAboutVersion[] = "Quindle Version 1.0";
