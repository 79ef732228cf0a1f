// The "More Operations" window: a small tool window beside the main dialog
// with a button for each operation of MoreOperations.h. A button runs its
// operation on the selected objects as the main dialog's operation buttons
// run theirs.
#pragma once

#include <QDialog>
#include <QHash>

class CObjectCommands;

// Control identifiers of the window.
enum : int
{
    IDC_MORE_EIG = 1101,
    IDC_MORE_VEC,
    IDC_MORE_CHP,
    IDC_MORE_QR,
    IDC_MORE_LU,
    IDC_MORE_SVD,
    IDC_MORE_RANK,
    IDC_MORE_TR,
    IDC_MORE_NRM,
    IDC_MORE_COND,
    IDC_MORE_RREF,
    IDC_MORE_PINV,
    IDC_MORE_NULL,
    IDC_MORE_LSQ,
    IDC_MORE_HELP,
    IDC_MORE_CLOSE,
};

// The window's title.
inline constexpr char kMoreOperationsTitle[] = "More Operations";

// A child of the main dialog (it ends with it, and opens below it); closing
// it only hides it. Its buttons run their operations through the command
// runner.
class CMoreOperationsDlg : public QDialog
{
    Q_OBJECT

public:
    CMoreOperationsDlg(QWidget* pMainDlg, CObjectCommands& commands);

    // The control with that identifier, or null.
    QWidget* GetDlgItem(int nID) const;

    void OnHelp();

private:
    void CreateControls();

    CObjectCommands& m_Commands;
    QHash<int, QWidget*> m_Controls;
};
