#include "app/HollastrinDlg.h"

#include "app/AboutDlg.h"
#include "app/GroupBox.h"
#include "app/HelpWindow.h"
#include "app/MoreOperationsDlg.h"
#include "engine/Matrix.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "platform/AccessibleLists.h"
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
enum class Kind
{
    Combo,
    Button,
    List,
    Label,
    Group,
};

using Handler = CHollastrinDlg::Handler;

// One control of the dialog: kind, identifier, text and rectangle in dialog
// units, in creation (and tab) order; for a button, what a click runs, the
// keys that run it from any of the program's windows, and what it does in
// words (its tooltip and its description for screen readers).
struct ControlTemplate
{
    Kind kind;
    int nID;
    const char* pText;
    int x, y, w, h;
    Handler handler = nullptr;
    const char* pKeys = nullptr;
    const char* pDescription = nullptr;
};

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
    {Kind::Button, IDC_MAG, "Mag", 39, 99, 23, 16, &D::OnMag, "Alt+M", "Magnitude of a vector"},
    {Kind::Button, IDC_DOT, "Dot", 65, 99, 23, 16, &D::OnDot, "Alt+D", "Dot product of two vectors"},
    {Kind::Button, IDC_CRS, "Crs", 91, 99, 23, 16, &D::OnCrs, "Alt+X", "Cross product of two vectors"},
    {Kind::Button, IDC_ANG, "Ang", 117, 99, 23, 16, &D::OnAng, "Alt+G", "Angle between two vectors"},
    {Kind::Button, IDC_ADD, "Add", 39, 132, 23, 16, &D::OnAdd, "Alt+A", "Sum of two matrices"},
    {Kind::Button, IDC_SUB, "Sub", 65, 132, 23, 16, &D::OnSub, "Alt+S", "Difference of two matrices"},
    {Kind::Button, IDC_MUL, "Mul", 91, 132, 23, 16, &D::OnMul, "Alt+U", "Product of two matrices, or of a matrix and a number"},
    {Kind::Button, IDC_POW, "Pow", 117, 132, 23, 16, &D::OnPow, "Alt+P", "Power of a square matrix, the exponent a 1 x 1 object"},
    {Kind::Button, IDC_TRP, "Trp", 39, 150, 23, 16, &D::OnTrp, "Alt+T", "Transpose"},
    {Kind::Button, IDC_COF, "Cof", 65, 150, 23, 16, &D::OnCof, "Alt+F", "Matrix of cofactors"},
    {Kind::Button, IDC_ADJ, "Adj", 91, 150, 23, 16, &D::OnAdj, "Alt+J", "Adjoint, the transposed cofactors"},
    {Kind::Button, IDC_INV, "Inv", 117, 150, 23, 16, &D::OnInv, "Alt+I", "Inverse of a square matrix"},
    {Kind::Button, IDC_DET, "Det", 39, 168, 23, 16, &D::OnDet, "Alt+E", "Determinant of a square matrix"},
    {Kind::Button, IDC_TRC, "Trc", 65, 168, 23, 16, &D::OnTrc, "Alt+R", "Product of the diagonal"},
    {Kind::Button, IDC_CMP, "Cmp", 91, 168, 23, 16, &D::OnCmp, "Alt+C", "Compare two objects"},
    {Kind::Button, IDC_SLV, "Slv", 117, 168, 23, 16, &D::OnSlv, "Alt+V", "Solve A x = b"},
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

// The object list's keys: the arrows, Home, End and the page keys move the
// current entry without selecting it (a selection brings a window forward at
// once), and Enter or Space brings the current entry's window forward.
class CObjectListKeys : public QObject
{
public:
    CObjectListKeys(QListWidget* pList, CHollastrinDlg* pDlg) : QObject(pList), m_pDlg(pDlg) {}

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() != QEvent::KeyPress)
            return false;
        auto* pList = static_cast<QListWidget*>(pWatched);
        const auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if (pKey->modifiers() & ~Qt::KeypadModifier)
            return false;
        const int nLast = pList->count() - 1;
        const int nRow = std::max(pList->currentRow(), 0);
        const int nPage = 8;
        int nTarget = -1;
        switch (pKey->key())
        {
        case Qt::Key_Up:
            nTarget = nRow - 1;
            break;
        case Qt::Key_Down:
            nTarget = nRow + 1;
            break;
        case Qt::Key_PageUp:
            nTarget = nRow - nPage;
            break;
        case Qt::Key_PageDown:
            nTarget = nRow + nPage;
            break;
        case Qt::Key_Home:
            nTarget = 0;
            break;
        case Qt::Key_End:
            nTarget = nLast;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            m_pDlg->BringObjectForward(pList->currentRow());
            return true;
        default:
            return false;
        }
        if (nLast >= 0)
            pList->setCurrentRow(std::clamp(nTarget, 0, nLast), QItemSelectionModel::NoUpdate);
        return true;
    }

private:
    CHollastrinDlg* m_pDlg;
};

// The pixels below a drop-down box that its template gives to the list.
constexpr char kListHeightProperty[] = "quindleListHeight";

// A drop-down list shows as many entries as fit in the height its template
// gives it (about eight, in rows as tall as a menu's), and scrolls to the
// others.
void FitDropDownList(QComboBox* pCombo)
{
    const int nRowHeight = pCombo->fontMetrics().height() + 6;
    for (int k = 0; k < pCombo->count(); ++k)
        pCombo->setItemData(k, QSize(0, nRowHeight), Qt::SizeHintRole);
    const int nListHeight = pCombo->property(kListHeightProperty).toInt();
    pCombo->setMaxVisibleItems(std::max(1, nListHeight / nRowHeight));
}

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
    m_nRandomSeed = static_cast<std::int32_t>(std::time(nullptr));

    setWindowTitle(QString::fromUtf8(kAppCaption));
    setFont(Metrics::DialogFont());
    // Fixed size: no maximise button, and no resizing.
    setFixedSize(Metrics::DluToPixelsX(kDialogWidthDlu), Metrics::DluToPixelsY(kDialogHeightDlu));
    KeepFromMinimising(this);
    KeepFromMaximising(this);
    move(Metrics::DluToPixelsX(kDialogLeftDlu), Metrics::DluToPixelsY(kDialogTopDlu));
    SetMessageBoxOwner(this);
    setAcceptDrops(true);
    CreateControls();
    SetUpKeyboard();
    // The list box follows the registry; object windows ask for the help
    // and for dropped files through it.
    connect(&m_Registry, &CObjectRegistry::objectAdded, this,
            [this](int nObjectNumber)
            {
                // In the list's order: by number.
                const int k = m_Registry.ListIndexOfNumber(nObjectNumber);
                QListWidget* pList = ObjectListBox();
                pList->insertItem(k, QString::number(nObjectNumber));
                // Screen readers hear the window's whole title; the list
                // shows its number.
                pList->item(k)->setData(Qt::AccessibleTextRole,
                                        m_Registry.ObjectList().at(k)->m_pFrame->m_strTitle);
                pList->update();
            });
    connect(&m_Registry, &CObjectRegistry::objectLeaving, this, &CHollastrinDlg::KeepClosedObject);
    connect(&m_Registry, &CObjectRegistry::objectRemoved, this,
            &CHollastrinDlg::RemoveObjectListEntry);
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
    const QFontMetrics metrics(font());
    for (const ControlTemplate& t : kTemplate)
    {
        QRect rect = Metrics::DluRect(t.x, t.y, t.w, t.h);
        const QString text = QString::fromUtf8(t.pText);
        QWidget* pControl = nullptr;
        switch (t.kind)
        {
        case Kind::Combo:
        {
            auto* pCombo = new QComboBox(this);
            pCombo->setFocusPolicy(Qt::StrongFocus);
            // The template's height includes the dropped-down list: the box
            // keeps its own height, and the list takes the rest (see
            // FitDropDownList).
            pCombo->setProperty(kListHeightProperty, rect.height() - pCombo->sizeHint().height());
            rect.setHeight(pCombo->sizeHint().height());
            pControl = pCombo;
            break;
        }
        case Kind::Button:
        {
            auto* pButton = new QPushButton(text, this);
            pButton->setAutoDefault(false);
            pButton->setFocusPolicy(Qt::ClickFocus);
            if (t.handler)
                connect(pButton, &QPushButton::clicked, this, t.handler);
            const QString keys = QString::fromUtf8(t.pKeys);
            const QString description =
                QString::fromUtf8(t.pDescription) + QStringLiteral(" (") + keys + QLatin1Char(')');
            pButton->setToolTip(description);
            pButton->setAccessibleDescription(description);
            // F1 and Escape are the dialog's own keys already.
            if (t.nID != IDC_HELP && t.nID != IDC_CLOSE)
                AddCommandKey(keys, t.handler);
            pControl = pButton;
            break;
        }
        case Kind::List:
        {
            auto* pList = new QListWidget(this);
            pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
            pList->setFocusPolicy(Qt::ClickFocus);
            pList->setUniformItemSizes(true);
            pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            pList->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            connect(pList, &QListWidget::itemSelectionChanged, this,
                    &CHollastrinDlg::OnSelchangeObjectList);
            pList->installEventFilter(new CObjectListKeys(pList, this)); // the list's child
            pControl = pList;
            break;
        }
        case Kind::Label:
        {
            auto* pLabel = new QLabel(text, this);
            pLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            // A centred caption wider than its box grows about its centre, so
            // that the whole text shows in any font.
            const int textWidth = metrics.horizontalAdvance(text) + 2;
            if (textWidth > rect.width())
            {
                const QPoint centre = rect.center();
                rect.setWidth(textWidth);
                rect.moveCenter(QPoint(centre.x(), rect.center().y()));
            }
            pControl = pLabel;
            break;
        }
        case Kind::Group:
        {
            auto* pGroup = new CGroupBox(text, this);
            pGroup->setAlignment(Qt::AlignHCenter);
            pControl = pGroup;
            break;
        }
        }
        pControl->setGeometry(rect);
        if (t.kind == Kind::Group)
            pControl->lower(); // a frame behind the controls it groups
        if (t.nID != -1)
            m_Controls.insert(t.nID, pControl);
    }
}

QWidget* CHollastrinDlg::GetDlgItem(int nID) const
{
    return m_Controls.value(nID, nullptr);
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

void CHollastrinDlg::AddCommandKey(const QString& keys, Handler handler)
{
    // Live in every window of the program (the object windows above all, so
    // that the operands can be selected there with Ctrl+Space and the
    // command run at once), but not while a box or file dialog of this
    // dialog is open.
    auto* pShortcut = new QShortcut(QKeySequence(keys, QKeySequence::PortableText), this);
    pShortcut->setContext(Qt::ApplicationShortcut);
    connect(pShortcut, &QShortcut::activated, this, handler);
}

void CHollastrinDlg::SetUpKeyboard()
{
    AddHelpKey(this);
    AddCommandKey(QString::fromUtf8(kMoreOperationsKey), &CHollastrinDlg::OnMoreOperations);
    AddCommandKey(QString::fromUtf8(kObjectListKey), &CHollastrinDlg::OnObjectListKey);
    AddCommandKey(QString::fromUtf8(kReopenClosedKey), &CHollastrinDlg::OnReopenClosedObject);
    WatchDropDown(RowsBox());
    WatchDropDown(ColsBox());
    // Buttons, labels and group boxes are named by their captions; the two
    // size lists and the object list have none of their own.
    const struct
    {
        int nID;
        const char* pName;
    } names[] = {
        {IDC_ROWS, "Select Rows"},
        {IDC_COLS, "Select Columns"},
        {IDC_OBJECT_LIST, "Open objects"},
    };
    // The size lists keep their names when a size is chosen, and tell the
    // chosen size as their value.
    ExposeNumberList(RowsBox());
    ExposeNumberList(ColsBox());
    for (const auto& name : names)
        GetDlgItem(name.nID)->setAccessibleName(QString::fromUtf8(name.pName));
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
        m_pMoreOperations = new CMoreOperationsDlg(this); // a child: it ends with the dialog
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
    m_bKeepClosed = false;
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
    pReopen->setEnabled(!m_ClosedObjects.empty());
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

bool CHollastrinDlg::ReadNewSize()
{
    const int nRowSel = RowsBox()->currentIndex();
    const int nColSel = ColsBox()->currentIndex();
    if (nRowSel == -1 || nColSel == -1)
    {
        AppMessageBox(MessageText::kSelectDimensions);
        return false;
    }
    m_nNewRows = nRowSel + 1;
    m_nNewCols = nColSel + 1;
    return true;
}

CEntryControlView* CHollastrinDlg::OpenObjectWindow(const QString& strName,
                                                    const QString& strSuffix)
{
    const int nRows = m_nNewRows;
    const int nCols = m_nNewCols;
    if (nRows * nCols + m_Registry.EditControlCount() > kMaxEditControls)
        throw static_cast<const char*>(MessageText::kBudgetReached);
    // The window deletes itself when closed; close-all and the dialog's end
    // delete those still open.
    auto* pFrame = new CObjectFrame(&m_Registry, strName, strSuffix, nRows, nCols);
    pFrame->showNormal();
    return pFrame->m_pView;
}

void CHollastrinDlg::CreateFilledObject(const CMatrix& values, const QString& strName,
                                        const QString& strSuffix)
{
    m_nNewRows = values.m_nRows;
    m_nNewCols = values.m_nCols;
    CEntryControlView* pView = OpenObjectWindow(strName, strSuffix);
    for (int i = 0; i < values.m_nRows; ++i)
        for (int j = 0; j < values.m_nCols; ++j)
            pView->m_pValues[i][j] = values.GetElement(i, j);
    pView->WriteCells();
}

void CHollastrinDlg::OnZeroedObject()
{
    if (!ReadNewSize())
        return;
    try
    {
        OpenObjectWindow(QString(), QString());
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
}

void CHollastrinDlg::OnRandomObject()
{
    m_Random.Seed(static_cast<std::uint32_t>(m_nRandomSeed));
    if (!ReadNewSize())
        return;
    CEntryControlView* pView = nullptr;
    try
    {
        pView = OpenObjectWindow(QString(), QString());
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
        return;
    }
    for (int i = 0; i < pView->m_nRows; ++i)
        for (int j = 0; j < pView->m_nCols; ++j)
            pView->m_pValues[i][j] = m_Random.Next() / 32767.0;
    m_nRandomSeed = m_Random.Next();
    pView->WriteCells();
}

QString CHollastrinDlg::ResultName(const char* prefix, const CEntryControlView* first,
                                   const CEntryControlView* second)
{
    QString name = QString::fromUtf8(prefix) + first->m_pFrame->m_strName;
    if (second)
        name += QLatin1Char(',') + second->m_pFrame->m_strName;
    name += QLatin1Char(')');
    return name;
}

void CHollastrinDlg::CreateResultObject(const CMatrix& result, const QString& name)
{
    CreateFilledObject(result, name, QString());
}

void CHollastrinDlg::CreateLoadedObject(const CMatrix& values, QString suffix)
{
    CreateFilledObject(values, QString(), suffix);
}

// ---------------------------------------------------------------------------
// Object list, compare, close-all

void CHollastrinDlg::OnSelchangeObjectList()
{
    QListWidget* pList = ObjectListBox();
    QList<int> indices;
    for (int k = 0; k < pList->count(); ++k)
        if (pList->item(k)->isSelected())
            indices.append(k);

    for (int k : indices)
        BringObjectForward(k);

    // The list is a launcher: it keeps no selection, and clearing it is no
    // further change to act on.
    const QSignalBlocker blocker(pList);
    for (int k : indices)
        pList->item(k)->setSelected(false);
}

void CHollastrinDlg::BringObjectForward(int k)
{
    if (k < 0 || k >= m_Registry.ObjectList().size())
        return;
    CObjectFrame* pFrame = m_Registry.ObjectList().at(k)->m_pFrame;
    if (IsWaylandPlatform())
    {
        BringForwardOnWayland(pFrame);
    }
    else
    {
        if (pFrame->isMinimized())
            pFrame->showNormal();
        pFrame->raise();
        pFrame->activateWindow();
    }
    pFrame->OnSetFocus();
}

void CHollastrinDlg::OnObjectListKey()
{
    QListWidget* pList = ObjectListBox();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    pList->setFocus(Qt::ShortcutFocusReason);
    if (!pList->currentIndex().isValid() && pList->count() > 0)
        pList->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

void CHollastrinDlg::RemoveObjectListEntry(int nObjectNumber)
{
    QListWidget* pList = ObjectListBox();
    const QString number = QString::number(nObjectNumber);
    for (int k = 0; k < pList->count(); ++k)
    {
        if (pList->item(k)->text() == number)
        {
            delete pList->takeItem(k);
            break;
        }
    }
}

void CHollastrinDlg::OnCloseAllObjects()
{
    // One closing to undo: the windows join one group.
    if (m_bKeepClosed && !m_Registry.ObjectList().isEmpty())
        m_ClosedObjects.emplace_back();
    const bool bGrouped = std::exchange(m_bGroupClosed, true);
    while (!m_Registry.ObjectList().isEmpty())
    {
        // Deleting the window takes its view out of every list first.
        delete m_Registry.ObjectList().last()->m_pFrame;
    }
    m_bGroupClosed = bGrouped;
}

bool CHollastrinDlg::HoldsOneSelected()
{
    const QList<CEntryControlView*>& selected = m_Registry.SelectedList();
    if (selected.isEmpty())
    {
        AppMessageBox(MessageText::kSelectOne);
        return false;
    }
    if (selected.size() >= 2)
    {
        AppMessageBox(MessageText::kOnlyOne);
        DeselectTwo();
        return false;
    }
    return true;
}

bool CHollastrinDlg::HoldsTwoSelected()
{
    const QList<CEntryControlView*>& selected = m_Registry.SelectedList();
    if (selected.isEmpty())
    {
        AppMessageBox(MessageText::kSelectTwo);
        return false;
    }
    if (selected.size() == 1)
    {
        AppMessageBox(MessageText::kSelectAnother);
        return false;
    }
    return true;
}

void CHollastrinDlg::DeselectOne()
{
    // Whatever the selection holds now: it may have changed while a message
    // box or file dialog was open.
    DeselectTwo();
}

void CHollastrinDlg::DeselectTwo()
{
    // The views repaint as the registry tells them.
    m_Registry.ClearSelection();
}
