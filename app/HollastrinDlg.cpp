#include "app/HollastrinDlg.h"

#include "app/AboutDlg.h"
#include "app/DialogTemplate.h"
#include "app/HelpWindow.h"
#include "app/MoreOperationsDlg.h"
#include "app/ObjectList.h"
#include "app/Operations.h"
#include "engine/Matrix.h"
#include "engine/MoreOperations.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "platform/AccessibleLists.h"
#include "platform/FileDrops.h"
#include "platform/FocusReturn.h"
#include "platform/MessageBox.h"
#include "platform/Metrics.h"
#include "platform/WindowRules.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>

#include <algorithm>
#include <ctime>
#include <utility>

namespace
{
using Handler = CHollastrinDlg::Handler;
using Kind = EControlKind;
using ControlTemplate = SControlTemplate<CHollastrinDlg>;

using D = CHollastrinDlg;
// clang-format off
constexpr ControlTemplate kTemplate[] = {
    {Kind::Combo, IDC_ROWS, "", 22, 28, 34, 108},
    {Kind::Combo, IDC_COLS, "", 90, 28, 34, 107},
    {Kind::Button, IDC_ZEROED_OBJECT, "Zeroed Object", 8, 48, 64, 15, &D::OnZeroedObject, "Ctrl+N", "Create an object of the chosen size with blank cells"},
    {Kind::Button, IDC_RANDOM_OBJECT, "Random Object", 75, 48, 64, 15, &D::OnRandomObject, "Ctrl+Shift+N", "Create an object of the chosen size with random values from 0 to 1"},
    {Kind::List, IDC_OBJECT_LIST, "", 4, 72, 28, 154},
    {Kind::Button, IDC_FILE_SAVE, "File Save", 35, 72, 53, 15, &D::OnFileSave, "Ctrl+S", "Save the selected object to a file"},
    {Kind::Button, IDC_FILE_LOAD, "File Load", 91, 72, 53, 15, &D::OnFileLoad, "Ctrl+O", "Open an object file as a new object"},
    {Kind::Button, IDC_MAG, "Mag", 39, 99, 23, 16, &D::OnMag, nullptr, nullptr, int(EMainOperation::Mag)},
    {Kind::Button, IDC_DOT, "Dot", 65, 99, 23, 16, &D::OnDot, nullptr, nullptr, int(EMainOperation::Dot)},
    {Kind::Button, IDC_CRS, "Crs", 91, 99, 23, 16, &D::OnCrs, nullptr, nullptr, int(EMainOperation::Crs)},
    {Kind::Button, IDC_ANG, "Ang", 117, 99, 23, 16, &D::OnAng, nullptr, nullptr, int(EMainOperation::Ang)},
    {Kind::Button, IDC_ADD, "Add", 39, 132, 23, 16, &D::OnAdd, nullptr, nullptr, int(EMainOperation::Add)},
    {Kind::Button, IDC_SUB, "Sub", 65, 132, 23, 16, &D::OnSub, nullptr, nullptr, int(EMainOperation::Sub)},
    {Kind::Button, IDC_MUL, "Mul", 91, 132, 23, 16, &D::OnMul, nullptr, nullptr, int(EMainOperation::Mul)},
    {Kind::Button, IDC_POW, "Pow", 117, 132, 23, 16, &D::OnPow, nullptr, nullptr, int(EMainOperation::Pow)},
    {Kind::Button, IDC_TRP, "Trp", 39, 150, 23, 16, &D::OnTrp, nullptr, nullptr, int(EMainOperation::Trp)},
    {Kind::Button, IDC_COF, "Cof", 65, 150, 23, 16, &D::OnCof, nullptr, nullptr, int(EMainOperation::Cof)},
    {Kind::Button, IDC_ADJ, "Adj", 91, 150, 23, 16, &D::OnAdj, nullptr, nullptr, int(EMainOperation::Adj)},
    {Kind::Button, IDC_INV, "Inv", 117, 150, 23, 16, &D::OnInv, nullptr, nullptr, int(EMainOperation::Inv)},
    {Kind::Button, IDC_DET, "Det", 39, 168, 23, 16, &D::OnDet, nullptr, nullptr, int(EMainOperation::Det)},
    {Kind::Button, IDC_TRC, "Trc", 65, 168, 23, 16, &D::OnTrc, nullptr, nullptr, int(EMainOperation::Trc)},
    {Kind::Button, IDC_CMP, "Cmp", 91, 168, 23, 16, &D::OnCmp, nullptr, nullptr, int(EMainOperation::Cmp)},
    {Kind::Button, IDC_SLV, "Slv", 117, 168, 23, 16, &D::OnSlv, nullptr, nullptr, int(EMainOperation::Slv)},
    {Kind::Button, IDC_HELP, "Help", 35, 211, 53, 15, &D::OnHelp, "F1", "Open the help"},
    {Kind::Button, IDC_CLOSE, "Close", 91, 211, 53, 15, &D::accept, "Escape", "End Quindle"},
    {Kind::Label, IDC_SELECT_COLUMNS_LABEL, "Select Columns", 79, 13, 56, 9},
    {Kind::Label, IDC_SELECT_ROWS_LABEL, "Select Rows", 16, 13, 47, 9},
    {Kind::Group, -1, "Create New Object", 4, 1, 140, 67},
    {Kind::Group, -1, "Vector", 35, 89, 109, 30},
    {Kind::Group, -1, "Matrix", 35, 122, 109, 67},
    {Kind::Button, IDC_CLOSE_ALL_OBJECTS, "Close  All  Objects", 35, 194, 109, 15, &D::OnCloseAllObjects, "Ctrl+Shift+W", "Close every object window"},
};
// clang-format on

// The dialog's size in dialog units, and its position.
constexpr int kDialogWidthDlu = 148;
constexpr int kDialogHeightDlu = 230;
constexpr int kDialogLeftDlu = 1;
constexpr int kDialogTopDlu = 1;

// The system command that closes a window.
constexpr unsigned kScClose = 0xF060;

} // namespace

CHollastrinDlg::CHollastrinDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint)
{
    m_hIcon = QApplication::windowIcon();
    m_Windows.SetRandomSeed(static_cast<std::int32_t>(std::time(nullptr)));

    SetUpFixedDialog(this, kAppCaption, kDialogWidthDlu, kDialogHeightDlu);
    move(Metrics::DluToPixelsX(kDialogLeftDlu), Metrics::DluToPixelsY(kDialogTopDlu));
    SetMessageBoxOwner(this);
    // Boxes and windows closed give the focus back to where the user was.
    ReturnFocusWhenWindowsClose();
    setAcceptDrops(true);
    CreateControls();
    SetUpKeyboard();
    // The list box follows the registry; object windows ask for the help
    // and for dropped files through it.
    m_pObjectList = new CObjectList(ObjectListBox(), m_Registry, m_Windows);
    connect(&m_Registry, &CObjectRegistry::helpRequested, this, &CHollastrinDlg::OnHelp);
    connect(&m_Registry, &CObjectRegistry::openFilesRequested, this,
            &CHollastrinDlg::OpenDroppedFiles);
    OnInitDialog();
}

CHollastrinDlg::~CHollastrinDlg()
{
    // Object windows go first, while the lists and the list box still exist.
    // Ending the dialog (done) has done this already; this covers a dialog
    // that is destroyed without being ended, and repeating it is harmless.
    OnCloseAllObjects();
    OnDestroy();
    if (MessageBoxOwner() == this)
        SetMessageBoxOwner(nullptr);
}

void CHollastrinDlg::CreateControls()
{
    m_Controls = BuildControls<CHollastrinDlg>(
        this, kTemplate,
        [](int k) -> const SOperation& { return MainOperation(EMainOperation(k)); },
        EButtonFocus::Click,
        [this](const ControlTemplate& t, QPushButton* pButton, const QString& keys)
        {
            if (!t.handler)
                return;
            connect(pButton, &QPushButton::clicked, this, t.handler);
            // F1 and Escape are the dialog's own keys already.
            if (t.nID != IDC_HELP && t.nID != IDC_CLOSE)
                AddCommandKey(keys, [this, handler = t.handler] { (this->*handler)(); });
        });
}

QWidget* CHollastrinDlg::GetDlgItem(int nID) const
{
    return DialogItem(m_Controls, nID);
}

QComboBox* CHollastrinDlg::RowsBox() const
{
    return static_cast<QComboBox*>(GetDlgItem(IDC_ROWS));
}

QComboBox* CHollastrinDlg::ColsBox() const
{
    return static_cast<QComboBox*>(GetDlgItem(IDC_COLS));
}

QListWidget* CHollastrinDlg::ObjectListBox() const
{
    return static_cast<QListWidget*>(GetDlgItem(IDC_OBJECT_LIST));
}

bool CHollastrinDlg::OnInitDialog()
{
    setWindowIcon(m_hIcon);

    QComboBox* pRows = RowsBox();
    QComboBox* pCols = ColsBox();
    for (int i = 1; i <= 20; ++i)
    {
        pRows->addItem(QString::number(i));
        pCols->addItem(QString::number(i));
    }
    // Nothing chosen until the user chooses.
    pRows->setCurrentIndex(-1);
    pCols->setCurrentIndex(-1);
    FitDropDownList(pRows);
    FitDropDownList(pCols);

    pRows->setFocus(Qt::OtherFocusReason);
    return true;
}

void CHollastrinDlg::OnSysCommand(unsigned nID, long /*lParam*/)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
    {
        CAboutDlg dlgAbout(this);
        dlgAbout.setWindowModality(Qt::WindowModal);
        // Its template stands at 0, 0 of its owner: the box's frame starts
        // at the corner of the dialog's client area.
        dlgAbout.move(mapToGlobal(QPoint(0, 0)));
        dlgAbout.exec();
    }
    else if ((nID & 0xFFF0) == kScClose)
    {
        close();
    }
}

void CHollastrinDlg::AddCommandKey(const QString& keys, const std::function<void()>& action)
{
    // Live in every window of the program (the object windows above all, so
    // that the operands can be selected there with Ctrl+Space and the
    // command run at once), but not while a box or file dialog of this
    // dialog is open.
    auto* pShortcut = new QShortcut(QKeySequence(keys, QKeySequence::PortableText), this);
    pShortcut->setContext(Qt::ApplicationShortcut);
    connect(pShortcut, &QShortcut::activated, this, action);
}

void CHollastrinDlg::SetUpKeyboard()
{
    AddCommandKey(QString::fromUtf8(kMoreOperationsKey), [this] { OnMoreOperations(); });
    AddCommandKey(QString::fromUtf8(kObjectListKey), [this] { OnObjectListKey(); });
    AddCommandKey(QString::fromUtf8(kReopenClosedKey), [this] { OnReopenClosedObject(); });
    // The More Operations run by their keys whether their window is open or
    // not, from every window as the main dialog's operations do.
    for (int k = 0; k < int(kMoreOperations.size()); ++k)
    {
        const SOperation& op = MoreOperation(EMoreOperation(k));
        AddCommandKey(QString::fromUtf8(op.pKeys), [this, &op] { m_Commands.Run(op); });
    }
    WatchDropDown(RowsBox());
    WatchDropDown(ColsBox());
    // Buttons, labels and group boxes are named by their captions; the two
    // size lists and the object list have none of their own.
    const struct
    {
        int nID;
        const char* pName;
        const char* pObjectName;
    } names[] = {
        {IDC_ROWS, "Select Rows", "listRows"},
        {IDC_COLS, "Select Columns", "listColumns"},
        {IDC_OBJECT_LIST, "Open objects", "listObjects"},
    };
    // The size lists keep their names when a size is chosen, and tell the
    // chosen size as their value.
    ExposeNumberList(RowsBox());
    ExposeNumberList(ColsBox());
    for (const auto& name : names)
    {
        GetDlgItem(name.nID)->setAccessibleName(QString::fromUtf8(name.pName));
        GetDlgItem(name.nID)->setObjectName(QLatin1String(name.pObjectName));
    }
    // The size lists are labelled by the captions above them: the relation
    // that screen readers on Linux announce a drop-down list with.
    static_cast<QLabel*>(GetDlgItem(IDC_SELECT_ROWS_LABEL))->setBuddy(RowsBox());
    static_cast<QLabel*>(GetDlgItem(IDC_SELECT_COLUMNS_LABEL))->setBuddy(ColsBox());
}

void CHollastrinDlg::OnHelp()
{
    ShowHelp();
}

void CHollastrinDlg::OnMoreOperations()
{
    if (!m_pMoreOperations)
        m_pMoreOperations =
            new CMoreOperationsDlg(this, m_Commands); // a child: it ends with the dialog
    m_pMoreOperations->show();
    m_pMoreOperations->raise();
    m_pMoreOperations->activateWindow();
}

CMoreOperationsDlg* CHollastrinDlg::MoreOperationsWindow() const
{
    return static_cast<CMoreOperationsDlg*>(m_pMoreOperations.data());
}

void CHollastrinDlg::OnDestroy()
{
    CloseHelp();
}

void CHollastrinDlg::done(int nResult)
{
    // The objects are kept (or not) as they stand now; windows closed from
    // here on are not closed by the user.
    emit aboutToEnd();
    m_Windows.StopKeepingClosed();
    if (m_pMoreOperations)
        m_pMoreOperations->close();
    OnCloseAllObjects();
    OnDestroy();
    QDialog::done(nResult);
}

void CHollastrinDlg::contextMenuEvent(QContextMenuEvent* pEvent)
{
    // The dialog's context menu stands in for its system menu.
    QMenu menu(this);
    menu.addAction(QStringLiteral("Close"), this, [this] { OnSysCommand(kScClose, 0); });
    menu.addSeparator();
    menu.addAction(QString::fromUtf8(kAboutMenuText), this,
                   [this] { OnSysCommand(IDM_ABOUTBOX, 0); });
    menu.addAction(QString::fromUtf8(kMoreOperationsMenuText), this,
                   &CHollastrinDlg::OnMoreOperations);
    menu.addSeparator();
    QAction* pReopen = menu.addAction(QString::fromUtf8(kReopenClosedMenuText), this,
                                      &CHollastrinDlg::OnReopenClosedObject);
    pReopen->setShortcut(QKeySequence(QString::fromUtf8(kReopenClosedKey)));
    pReopen->setEnabled(m_Windows.ClosedGroups() > 0);
    emit contextMenuAboutToShow(&menu);
    QPointer<CHollastrinDlg> pThis(this);
    menu.exec(pEvent->globalPos());
    if (pThis)
        pEvent->accept();
}

void CHollastrinDlg::keyPressEvent(QKeyEvent* pEvent)
{
    const int key = pEvent->key();
    if (KeyBelongsToDropDown(pEvent))
        return;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        !(pEvent->modifiers() & ~Qt::KeypadModifier))
    {
        // Enter presses the focused push button, and ends the dialog anywhere
        // else.
        if (auto* pButton = qobject_cast<QPushButton*>(focusWidget()))
            pButton->click();
        else
            accept();
        return;
    }
    if (key == Qt::Key_F10 && pEvent->modifiers() == Qt::ShiftModifier)
    {
        QWidget* pFocus = focusWidget() ? focusWidget() : this;
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(),
                                    pFocus->mapToGlobal(pFocus->rect().center()));
        contextMenuEvent(&menuEvent);
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

namespace
{
// Tells the dialog the time stamp of Escape and Enter pressed in a size
// list's drop-down: on some platforms (native Wayland) the same key press
// reaches the dialog as well, once the drop-down has closed.
class CDropDownKeys : public QObject
{
public:
    CDropDownKeys(QObject* pParent, quint64* pKeyTime) : QObject(pParent), m_pKeyTime(pKeyTime) {}

    bool eventFilter(QObject* /*pWatched*/, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::KeyPress || pEvent->type() == QEvent::ShortcutOverride)
        {
            const auto* pKey = static_cast<QKeyEvent*>(pEvent);
            if (IsEndingKey(pKey->key()))
                *m_pKeyTime = pKey->timestamp();
        }
        return false;
    }

    static bool IsEndingKey(int key)
    {
        return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
    }

private:
    quint64* m_pKeyTime;
};
} // namespace

void CHollastrinDlg::WatchDropDown(QComboBox* pCombo)
{
    auto* pFilter = new CDropDownKeys(pCombo, &m_nDropDownKeyTime); // the list's child
    pCombo->view()->installEventFilter(pFilter);
    pCombo->view()->window()->installEventFilter(pFilter);
}

bool CHollastrinDlg::KeyBelongsToDropDown(const QKeyEvent* pEvent)
{
    if (!CDropDownKeys::IsEndingKey(pEvent->key()))
        return false;
    for (QComboBox* pCombo : {RowsBox(), ColsBox()})
    {
        if (!pCombo->view()->isVisible())
            continue;
        // Still open: the key closes it, Enter taking the entry chosen.
        if (pEvent->key() != Qt::Key_Escape && pCombo->view()->currentIndex().isValid())
            pCombo->setCurrentIndex(pCombo->view()->currentIndex().row());
        pCombo->hidePopup();
        return true;
    }
    // The drop-down has had this very key press already.
    return m_nDropDownKeyTime != 0 && pEvent->timestamp() == m_nDropDownKeyTime;
}

// ---------------------------------------------------------------------------
// Creating objects

std::optional<std::pair<int, int>> CHollastrinDlg::ReadNewSize()
{
    const int nRowSel = RowsBox()->currentIndex();
    const int nColSel = ColsBox()->currentIndex();
    if (nRowSel == -1 || nColSel == -1)
    {
        AppMessageBox(MessageText::kSelectDimensions);
        return std::nullopt;
    }
    return std::pair(nRowSel + 1, nColSel + 1);
}

void CHollastrinDlg::OnZeroedObject()
{
    CreateObject(&CObjectWindows::OpenBlank);
}

void CHollastrinDlg::OnRandomObject()
{
    CreateObject(&CObjectWindows::OpenRandom);
}

void CHollastrinDlg::CreateObject(CEntryControlView* (CObjectWindows::*open)(int, int))
{
    const auto size = ReadNewSize();
    if (!size)
        return;
    try
    {
        (m_Windows.*open)(size->first, size->second);
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
}

// ---------------------------------------------------------------------------
// Object list, close-all, reopening

void CHollastrinDlg::OnSelchangeObjectList()
{
    m_pObjectList->OnSelchange();
}

void CHollastrinDlg::OnObjectListKey()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    m_pObjectList->TakeFocus();
}

void CHollastrinDlg::OnCloseAllObjects()
{
    m_Windows.CloseAll();
}

void CHollastrinDlg::OnReopenClosedObject()
{
    m_Windows.ReopenClosed();
}

void CHollastrinDlg::DeselectOne()
{
    m_Commands.ClearSelection();
}

void CHollastrinDlg::DeselectTwo()
{
    m_Commands.ClearSelection();
}

// ---------------------------------------------------------------------------
// Operation commands

void CHollastrinDlg::RunOperation(EMainOperation op)
{
    m_Commands.Run(MainOperation(op));
}

// ---------------------------------------------------------------------------
// Object files

void CHollastrinDlg::OnFileLoad()
{
    LoadObjectFile();
}

void CHollastrinDlg::OnFileSave()
{
    try
    {
        SaveObjectFile();
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
}

void CHollastrinDlg::LoadObjectFile()
{
    m_Files.Load();
}

void CHollastrinDlg::SaveObjectFile()
{
    m_Files.Save();
}

void CHollastrinDlg::OpenObjectFile(const QString& path, bool bNameFile)
{
    m_Files.OpenFile(path, bNameFile);
}

void CHollastrinDlg::OpenObjectFiles(const QStringList& paths)
{
    m_Files.OpenFiles(paths);
}

void CHollastrinDlg::OpenDroppedFiles(const QStringList& paths)
{
    m_Files.OpenDropped(paths);
}

void CHollastrinDlg::dragEnterEvent(QDragEnterEvent* pEvent)
{
    AcceptFileDrag(pEvent);
}

void CHollastrinDlg::dropEvent(QDropEvent* pEvent)
{
    if (const QStringList paths = TakeDroppedFiles(pEvent); !paths.isEmpty())
        OpenDroppedFiles(paths);
}
