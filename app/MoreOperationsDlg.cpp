#include "app/MoreOperationsDlg.h"

#include "app/DialogTemplate.h"
#include "app/HelpWindow.h"
#include "app/ObjectCommands.h"
#include "app/Operations.h"
#include "platform/Metrics.h"
#include "platform/WindowRules.h"

#include <QPushButton>
#include <QScreen>

namespace
{
using Kind = EControlKind;
using ControlTemplate = SControlTemplate<CMoreOperationsDlg>;

using D = CMoreOperationsDlg;
// Four groups of one row each, 30 units tall with 3 between them; the rows
// of three are centred in their group.
// clang-format off
constexpr ControlTemplate kTemplate[] = {
    {Kind::Button, IDC_MORE_EIG, "Eig", 36, 14, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Eig)},
    {Kind::Button, IDC_MORE_VEC, "Vec", 62, 14, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Vec)},
    {Kind::Button, IDC_MORE_CHP, "Chp", 88, 14, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Chp)},
    {Kind::Button, IDC_MORE_QR, "Qr", 36, 47, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Qr)},
    {Kind::Button, IDC_MORE_LU, "Lu", 62, 47, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Lu)},
    {Kind::Button, IDC_MORE_SVD, "Svd", 88, 47, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Svd)},
    {Kind::Button, IDC_MORE_RANK, "Rank", 23, 80, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Rank)},
    {Kind::Button, IDC_MORE_TR, "Tr", 49, 80, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Tr)},
    {Kind::Button, IDC_MORE_NRM, "Nrm", 75, 80, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Nrm)},
    {Kind::Button, IDC_MORE_COND, "Cond", 101, 80, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Cond)},
    {Kind::Button, IDC_MORE_RREF, "Rref", 23, 113, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Rref)},
    {Kind::Button, IDC_MORE_PINV, "Pinv", 49, 113, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Pinv)},
    {Kind::Button, IDC_MORE_NULL, "Null", 75, 113, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Null)},
    {Kind::Button, IDC_MORE_LSQ, "Lsq", 101, 113, 23, 16, nullptr, nullptr, nullptr, int(EMoreOperation::Lsq)},
    {Kind::Button, IDC_MORE_HELP, "Help", 19, 138, 53, 15, &D::OnHelp, "F1", "Open the help"},
    {Kind::Button, IDC_MORE_CLOSE, "Close", 75, 138, 53, 15, &D::reject, "Escape", "Close this window"},
    {Kind::Group, -1, "Spectral", 19, 4, 109, 30},
    {Kind::Group, -1, "Factorisations", 19, 37, 109, 30},
    {Kind::Group, -1, "Numbers", 19, 70, 109, 30},
    {Kind::Group, -1, "Solving", 19, 103, 109, 30},
};
// clang-format on

// The window's size in dialog units, and its distance from the main dialog.
// As wide as the main dialog, so that window managers show the whole title.
constexpr int kWidthDlu = 148;
constexpr int kHeightDlu = 157;
constexpr int kGapDlu = 2;

} // namespace

CMoreOperationsDlg::CMoreOperationsDlg(QWidget* pMainDlg, CObjectCommands& commands)
    // A dialog rather than a tool window, whose parent's window shortcuts
    // would also be live in it and make its own F1 ambiguous.
    : QDialog(pMainDlg, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint),
      m_Commands(commands)
{
    // Like the main dialog: fixed, never minimised or maximised, F1.
    SetUpFixedDialog(this, kMoreOperationsTitle, kWidthDlu, kHeightDlu);
    // Below the main dialog, level with its left edge: the object windows
    // open in a cascade to the dialog's right, and none of them is hidden
    // there. On a screen too short for that, to the dialog's right.
    const QRect mainFrame = pMainDlg->frameGeometry();
    const int nFrameHeight = height() + mainFrame.height() - pMainDlg->height();
    QPoint place(mainFrame.left(), mainFrame.bottom() + 1 + Metrics::DluToPixelsY(kGapDlu));
    if (const QScreen* pScreen = pMainDlg->screen();
        pScreen && place.y() + nFrameHeight - 1 > pScreen->availableGeometry().bottom())
        place = QPoint(mainFrame.right() + 1 + Metrics::DluToPixelsX(kGapDlu), mainFrame.top());
    move(place);
    CreateControls();
}

void CMoreOperationsDlg::CreateControls()
{
    // This window's buttons are tab stops, in template order: Tab reaches
    // each one, and Space presses it.
    m_Controls = BuildControls<CMoreOperationsDlg>(
        this, kTemplate,
        [](int k) -> const SOperation& { return MoreOperation(EMoreOperation(k)); },
        EButtonFocus::Tab,
        [this](const ControlTemplate& t, QPushButton* pButton, const QString&)
        {
            if (t.nOperation >= 0)
            {
                const SOperation& op = MoreOperation(EMoreOperation(t.nOperation));
                // The command runs message boxes and perhaps the progress
                // dialog, and this window may close meanwhile: nothing here
                // touches it afterwards.
                connect(pButton, &QPushButton::clicked, this, [this, &op] { m_Commands.Run(op); });
            }
            else if (t.handler)
            {
                connect(pButton, &QPushButton::clicked, this, t.handler);
            }
        });
}

QWidget* CMoreOperationsDlg::GetDlgItem(int nID) const
{
    return DialogItem(m_Controls, nID);
}

void CMoreOperationsDlg::OnHelp()
{
    ShowHelp();
}
