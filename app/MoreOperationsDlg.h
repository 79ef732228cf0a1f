// The "More Operations" window: a small tool window beside the main dialog
// with a button for each operation of MoreOperations.h. A button runs its
// operation on the selected objects as the main dialog's operation buttons
// run theirs.
#pragma once

#include <QDialog>
#include <QHash>

class CHollastrinDlg;
struct SMoreOperation;

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

// A child of the main dialog (it ends with it); closing it only hides it.
class CMoreOperationsDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CMoreOperationsDlg(CHollastrinDlg* pMainDlg);

    // The control with that identifier, or null.
    QWidget* GetDlgItem(int nID) const;

    // Runs the operation on the selected objects.
    void RunOperation(const SMoreOperation& op);
    void OnHelp();

private:
    void CreateControls();

    CHollastrinDlg* m_pMainDlg;
    QHash<int, QWidget*> m_Controls;
};
