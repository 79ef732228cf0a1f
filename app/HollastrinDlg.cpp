#include "HollastrinDlg.h"

#include "EntryControl.h"
#include "EntryControlView.h"
#include "Hollastrin.h"
#include "Matrix.h"
#include "MessageBox.h"
#include "Metrics.h"
#include "WindowRules.h"

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
#include <QSignalBlocker>

#include <ctime>

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

// One control of the dialog: kind, identifier, text and rectangle in dialog
// units, in creation (and tab) order.
struct ControlTemplate
{
    Kind kind;
    int nID;
    const char* pText;
    int x, y, w, h;
};

constexpr ControlTemplate kTemplate[] = {
    {Kind::Combo, IDC_ROWS, "", 22, 28, 34, 108},
    {Kind::Combo, IDC_COLS, "", 90, 28, 34, 107},
    {Kind::Button, IDC_ZEROED_OBJECT, "Zeroed Object", 8, 48, 64, 15},
    {Kind::Button, IDC_RANDOM_OBJECT, "Random Object", 75, 48, 64, 15},
    {Kind::List, IDC_OBJECT_LIST, "", 4, 72, 28, 154},
    {Kind::Button, IDC_FILE_SAVE, "File Save", 35, 72, 53, 15},
    {Kind::Button, IDC_FILE_LOAD, "File Load", 91, 72, 53, 15},
    {Kind::Button, IDC_MAG, "Mag", 39, 99, 23, 16},
    {Kind::Button, IDC_DOT, "Dot", 65, 99, 23, 16},
    {Kind::Button, IDC_CRS, "Crs", 91, 99, 23, 16},
    {Kind::Button, IDC_ANG, "Ang", 117, 99, 23, 16},
    {Kind::Button, IDC_ADD, "Add", 39, 132, 23, 16},
    {Kind::Button, IDC_SUB, "Sub", 65, 132, 23, 16},
    {Kind::Button, IDC_MUL, "Mul", 91, 132, 23, 16},
    {Kind::Button, IDC_POW, "Pow", 117, 132, 23, 16},
    {Kind::Button, IDC_TRP, "Trp", 39, 150, 23, 16},
    {Kind::Button, IDC_COF, "Cof", 65, 150, 23, 16},
    {Kind::Button, IDC_ADJ, "Adj", 91, 150, 23, 16},
    {Kind::Button, IDC_INV, "Inv", 117, 150, 23, 16},
    {Kind::Button, IDC_DET, "Det", 39, 168, 23, 16},
    {Kind::Button, IDC_TRC, "Trc", 65, 168, 23, 16},
    {Kind::Button, IDC_CMP, "Cmp", 91, 168, 23, 16},
    {Kind::Button, IDC_SLV, "Slv", 117, 168, 23, 16},
    {Kind::Button, IDC_HELP, "Help", 35, 211, 53, 15},
    {Kind::Button, IDC_CLOSE, "Close", 91, 211, 53, 15},
    {Kind::Label, IDC_SELECT_COLUMNS_LABEL, "Select Columns", 79, 13, 56, 9},
    {Kind::Label, IDC_SELECT_ROWS_LABEL, "Select Rows", 16, 13, 47, 9},
    {Kind::Group, -1, "Create New Object", 4, 1, 140, 67},
    {Kind::Group, -1, "Vector", 35, 89, 109, 30},
    {Kind::Group, -1, "Matrix", 35, 122, 109, 67},
    {Kind::Button, IDC_CLOSE_ALL_OBJECTS, "Close  All  Objects", 35, 194, 109, 15},
};

// A group box in the classic manner: an etched frame whose top line runs
// through the middle of the centred caption.
class CGroupBox : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* /*pEvent*/) override
    {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const QRect frame = rect().adjusted(0, metrics.height() / 2, -2, -2);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(frame);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(frame.translated(1, 1));
        const int textWidth = metrics.horizontalAdvance(title());
        QRect textRect((width() - textWidth) / 2 - 2, 0, textWidth + 4, metrics.height());
        painter.fillRect(textRect, palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(textRect, Qt::AlignCenter, title());
    }
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

using Handler = void (CHollastrinDlg::*)();

Handler ButtonHandler(int nID)
{
    switch (nID)
    {
    case IDC_ZEROED_OBJECT:
        return &CHollastrinDlg::OnZeroedObject;
    case IDC_RANDOM_OBJECT:
        return &CHollastrinDlg::OnRandomObject;
    case IDC_FILE_SAVE:
        return &CHollastrinDlg::OnFileSave;
    case IDC_FILE_LOAD:
        return &CHollastrinDlg::OnFileLoad;
    case IDC_MAG:
        return &CHollastrinDlg::OnMag;
    case IDC_DOT:
        return &CHollastrinDlg::OnDot;
    case IDC_CRS:
        return &CHollastrinDlg::OnCrs;
    case IDC_ANG:
        return &CHollastrinDlg::OnAng;
    case IDC_ADD:
        return &CHollastrinDlg::OnAdd;
    case IDC_SUB:
        return &CHollastrinDlg::OnSub;
    case IDC_MUL:
        return &CHollastrinDlg::OnMul;
    case IDC_POW:
        return &CHollastrinDlg::OnPow;
    case IDC_TRP:
        return &CHollastrinDlg::OnTrp;
    case IDC_COF:
        return &CHollastrinDlg::OnCof;
    case IDC_ADJ:
        return &CHollastrinDlg::OnAdj;
    case IDC_INV:
        return &CHollastrinDlg::OnInv;
    case IDC_DET:
        return &CHollastrinDlg::OnDet;
    case IDC_TRC:
        return &CHollastrinDlg::OnTrc;
    case IDC_CMP:
        return &CHollastrinDlg::OnCmp;
    case IDC_SLV:
        return &CHollastrinDlg::OnSlv;
    case IDC_CLOSE_ALL_OBJECTS:
        return &CHollastrinDlg::OnCloseAllObjects;
    default:
        return nullptr;
    }
}
} // namespace

CHollastrinDlg::CHollastrinDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint)
{
    m_hIcon = QApplication::windowIcon();
    m_nNextObjectNumber = 1;
    m_nEditControlCount = 0;
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
            if (t.nID == IDC_CLOSE)
                connect(pButton, &QPushButton::clicked, this, &QDialog::accept);
            else if (t.nID == IDC_HELP)
                connect(pButton, &QPushButton::clicked, this, [] { CHollastrinApp::OnHelp(); });
            else if (Handler handler = ButtonHandler(t.nID))
                connect(pButton, &QPushButton::clicked, this, handler);
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

void CHollastrinDlg::OnDestroy()
{
    CHollastrinApp::CloseHelp();
}

void CHollastrinDlg::done(int nResult)
{
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
    QPointer<CHollastrinDlg> pThis(this);
    menu.exec(pEvent->globalPos());
    if (pThis)
        pEvent->accept();
}

void CHollastrinDlg::keyPressEvent(QKeyEvent* pEvent)
{
    const int key = pEvent->key();
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

bool CHollastrinDlg::WithinBudget() const
{
    return m_nNewRows * m_nNewCols + m_nEditControlCount <= kMaxEditControls;
}

CEntryControlView* CHollastrinDlg::OpenObjectWindow(const QString& strName,
                                                    const QString& strSuffix)
{
    // The window deletes itself when closed; close-all and the dialog's end
    // delete those still open.
    auto* pFrame = new CObjectFrame(this, strName, strSuffix, m_nNewRows, m_nNewCols);
    CEntryControlView* pView = m_pNewView;
    pFrame->showNormal();
    m_nEditControlCount += m_nNewRows * m_nNewCols;
    QListWidget* pList = ObjectListBox();
    pList->addItem(QString::number(m_nNextObjectNumber));
    pList->update();
    ++m_nNextObjectNumber;
    return pView;
}

void CHollastrinDlg::CreateFilledObject(const CMatrix& values, const QString& strName,
                                        const QString& strSuffix)
{
    m_nNewRows = values.m_nRows;
    m_nNewCols = values.m_nCols;
    if (!WithinBudget())
        throw static_cast<const char*>(MessageText::kBudgetReached);
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
    if (!WithinBudget())
    {
        AppMessageBox(MessageText::kBudgetReached);
        return;
    }
    OpenObjectWindow(QString(), QString());
}

void CHollastrinDlg::OnRandomObject()
{
    m_Random.Seed(static_cast<std::uint32_t>(m_nRandomSeed));
    if (!ReadNewSize())
        return;
    if (!WithinBudget())
    {
        AppMessageBox(MessageText::kBudgetReached);
        return;
    }
    CEntryControlView* pView = OpenObjectWindow(QString(), QString());
    for (int i = 0; i < m_nNewRows; ++i)
        for (int j = 0; j < m_nNewCols; ++j)
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
    {
        if (k >= m_ObjectList.size())
            continue;
        CObjectFrame* pFrame = m_ObjectList.at(k)->m_pFrame;
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

    // The list is a launcher: it keeps no selection, and clearing it is no
    // further change to act on.
    const QSignalBlocker blocker(pList);
    for (int k : indices)
        pList->item(k)->setSelected(false);
}

void CHollastrinDlg::OnCmp()
{
    if (!HoldsTwoSelected())
        return;
    try
    {
        const CMatrix a(m_SelectedList.at(0));
        const CMatrix b(m_SelectedList.at(1));
        if (a.m_nRows != b.m_nRows || a.m_nCols != b.m_nCols)
        {
            AppMessageBox(MessageText::kDimensionsDiffer);
        }
        else
        {
            bool bIdentical = true;
            for (int i = 0; i < a.m_nRows; ++i)
                for (int j = 0; j < a.m_nCols; ++j)
                    if (b.GetElement(i, j) != a.GetElement(i, j))
                        bIdentical = false;
            AppMessageBox(bIdentical ? MessageText::kIdentical : MessageText::kNotIdentical,
                          MessageIcon::Information);
        }
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
    DeselectTwo();
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

void CHollastrinDlg::ShowHelp()
{
    CHollastrinApp::OnHelp();
}

void CHollastrinDlg::OnCloseAllObjects()
{
    while (!m_ObjectList.isEmpty())
    {
        // Deleting the window takes its view out of every list first.
        CObjectFrame* pFrame = m_ObjectList.last()->m_pFrame;
        delete pFrame;
    }
}

bool CHollastrinDlg::HoldsOneSelected()
{
    if (m_SelectedList.isEmpty())
    {
        AppMessageBox(MessageText::kSelectOne);
        return false;
    }
    if (m_SelectedList.size() >= 2)
    {
        AppMessageBox(MessageText::kOnlyOne);
        DeselectTwo();
        return false;
    }
    return true;
}

bool CHollastrinDlg::HoldsTwoSelected()
{
    if (m_SelectedList.isEmpty())
    {
        AppMessageBox(MessageText::kSelectTwo);
        return false;
    }
    if (m_SelectedList.size() == 1)
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
    for (CEntryControlView* pView : m_SelectedList)
    {
        pView->m_bSelected = 0;
        pView->Invalidate();
    }
    m_SelectedList.clear();
}
