#include "app/MoreOperationsDlg.h"

#include "app/GroupBox.h"
#include "app/HelpWindow.h"
#include "app/ObjectCommands.h"
#include "app/Operations.h"
#include "platform/Metrics.h"
#include "platform/WindowRules.h"

#include <QPushButton>
#include <QScreen>

namespace
{
enum class Kind
{
    // A button of an operation: its row of the operation table gives its
    // tooltip and what a click runs.
    Operation,
    Button,
    Group,
};

using Handler = void (CMoreOperationsDlg::*)();

// One control of the window: kind, identifier, text and rectangle in dialog
// units, in creation order; for a plain button, what a click runs.
struct ControlTemplate
{
    Kind kind;
    int nID;
    const char* pText;
    int x, y, w, h;
    Handler handler = nullptr;
    EMoreOperation operation = EMoreOperation::Eig;
};

using D = CMoreOperationsDlg;
// Four groups of one row each, 30 units tall with 3 between them; the rows
// of three are centred in their group.
// clang-format off
constexpr ControlTemplate kTemplate[] = {
    {Kind::Operation, IDC_MORE_EIG, "Eig", 36, 14, 23, 16, nullptr, EMoreOperation::Eig},
    {Kind::Operation, IDC_MORE_VEC, "Vec", 62, 14, 23, 16, nullptr, EMoreOperation::Vec},
    {Kind::Operation, IDC_MORE_CHP, "Chp", 88, 14, 23, 16, nullptr, EMoreOperation::Chp},
    {Kind::Operation, IDC_MORE_QR, "Qr", 36, 47, 23, 16, nullptr, EMoreOperation::Qr},
    {Kind::Operation, IDC_MORE_LU, "Lu", 62, 47, 23, 16, nullptr, EMoreOperation::Lu},
    {Kind::Operation, IDC_MORE_SVD, "Svd", 88, 47, 23, 16, nullptr, EMoreOperation::Svd},
    {Kind::Operation, IDC_MORE_RANK, "Rank", 23, 80, 23, 16, nullptr, EMoreOperation::Rank},
    {Kind::Operation, IDC_MORE_TR, "Tr", 49, 80, 23, 16, nullptr, EMoreOperation::Tr},
    {Kind::Operation, IDC_MORE_NRM, "Nrm", 75, 80, 23, 16, nullptr, EMoreOperation::Nrm},
    {Kind::Operation, IDC_MORE_COND, "Cond", 101, 80, 23, 16, nullptr, EMoreOperation::Cond},
    {Kind::Operation, IDC_MORE_RREF, "Rref", 23, 113, 23, 16, nullptr, EMoreOperation::Rref},
    {Kind::Operation, IDC_MORE_PINV, "Pinv", 49, 113, 23, 16, nullptr, EMoreOperation::Pinv},
    {Kind::Operation, IDC_MORE_NULL, "Null", 75, 113, 23, 16, nullptr, EMoreOperation::Null},
    {Kind::Operation, IDC_MORE_LSQ, "Lsq", 101, 113, 23, 16, nullptr, EMoreOperation::Lsq},
    {Kind::Button, IDC_MORE_HELP, "Help", 19, 138, 53, 15, &D::OnHelp},
    {Kind::Button, IDC_MORE_CLOSE, "Close", 75, 138, 53, 15, &D::reject},
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
    setWindowTitle(QString::fromUtf8(kMoreOperationsTitle));
    setFont(Metrics::DialogFont());
    setFixedSize(Metrics::DluToPixelsX(kWidthDlu), Metrics::DluToPixelsY(kHeightDlu));
    // Like the main dialog: never minimised or maximised.
    KeepFromMinimising(this);
    KeepFromMaximising(this);
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
    AddHelpKey(this);
}

void CMoreOperationsDlg::CreateControls()
{
    for (const ControlTemplate& t : kTemplate)
    {
        const QString text = QString::fromUtf8(t.pText);
        QWidget* pControl = nullptr;
        if (t.kind == Kind::Group)
        {
            auto* pGroup = new CGroupBox(text, this);
            pGroup->setAlignment(Qt::AlignHCenter);
            pControl = pGroup;
        }
        else
        {
            auto* pButton = new QPushButton(text, this);
            pButton->setAutoDefault(false);
            // This window's buttons are tab stops, in template order: Tab
            // reaches each one, and Space presses it.
            pButton->setFocusPolicy(Qt::StrongFocus);
            if (t.kind == Kind::Operation)
            {
                const SOperation& op = MoreOperation(t.operation);
                pButton->setText(QString::fromUtf8(op.pCaption));
                pButton->setToolTip(QString::fromUtf8(op.pDescription));
                pButton->setAccessibleDescription(QString::fromUtf8(op.pDescription));
                // The command runs message boxes and perhaps the progress
                // dialog, and this window may close meanwhile: nothing here
                // touches it afterwards.
                connect(pButton, &QPushButton::clicked, this, [this, &op] { m_Commands.Run(op); });
            }
            else if (t.handler)
            {
                connect(pButton, &QPushButton::clicked, this, t.handler);
            }
            pControl = pButton;
        }
        pControl->setGeometry(Metrics::DluRect(t.x, t.y, t.w, t.h));
        if (t.kind == Kind::Group)
            pControl->lower(); // a frame behind the controls it groups
        else
            m_Controls.insert(t.nID, pControl);
    }
}

QWidget* CMoreOperationsDlg::GetDlgItem(int nID) const
{
    return m_Controls.value(nID, nullptr);
}

void CMoreOperationsDlg::OnHelp()
{
    ShowHelp();
}
