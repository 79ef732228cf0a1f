#include "EntryControl.h"

#include "EntryControlView.h"
#include "Metrics.h"
#include "ObjectHost.h"
#include "WindowRules.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QShowEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWindow>

// ---------------------------------------------------------------------------
// CEntryControl

CEntryControl::CEntryControl(QWidget* pParent) : QLineEdit(pParent) {}

CEntryControl::~CEntryControl() = default;

void CEntryControl::InitCell(int nRows, int nCols, CEntryControlView* pView, int nIndex)
{
    m_nRows = nRows;
    m_nCols = nCols;
    m_pView = pView;
    m_nIndex = nIndex;
}

void CEntryControl::OnChar(unsigned nChar, unsigned /*nRepCnt*/, unsigned /*nFlags*/)
{
    if (nChar == 9)
    {
        const int next = m_nIndex + 1;
        CEntryControl* pTarget = nullptr;
        if (next == m_nRows * m_nCols)
        {
            pTarget = &m_pView->Cell(0, 0);
        }
        else
        {
            const int row = next / m_nCols;
            pTarget = &m_pView->Cell(row, next - row * m_nCols);
        }
        pTarget->setFocus(Qt::OtherFocusReason);
        pTarget->selectAll();
    }
    // A single-line edit field takes no tab, and every other character has
    // already been handled by the edit field itself.
}

bool CEntryControl::event(QEvent* pEvent)
{
    // A cell has no tooltip of its own, and does not borrow its window's.
    if (pEvent->type() == QEvent::ToolTip && toolTip().isEmpty())
    {
        QToolTip::hideText();
        return true;
    }
    return QLineEdit::event(pEvent);
}

bool CEntryControl::focusNextPrevChild(bool /*bNext*/)
{
    // Tab and Shift+Tab alike: the next cell, never backwards.
    OnChar(9, 1, 0);
    return true;
}

void CEntryControl::focusInEvent(QFocusEvent* pEvent)
{
    QLineEdit::focusInEvent(pEvent);
    // The grid scrolls just enough to show the cell being typed into.
    m_pView->ShowCell(*this);
}

void CEntryControl::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Tab || pEvent->key() == Qt::Key_Backtab ||
        pEvent->text() == QLatin1String("\t"))
    {
        OnChar(9, 1, 0);
        return;
    }
    QLineEdit::keyPressEvent(pEvent);
    // Keys the edit field leaves unused (Up, Page Down, ...) must not reach
    // the scrolling grid around it.
    pEvent->accept();
}

// ---------------------------------------------------------------------------
// CObjectFrame

namespace
{
// The size step the window system is told about: larger than any screen, so
// that no drag on the border reaches the next size.
constexpr int kSizeStep = 1 << 14;

// A title for setWindowTitle that comes out verbatim: the toolkit takes each
// "[*]" for its modified marker unless it is doubled.
QString LiteralTitle(const QString& strTitle)
{
    QString title = strTitle;
    return title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

QString SizeSuffix(int nRows, int nCols)
{
    return QStringLiteral("  [") + QString::number(nRows) + QLatin1Char('X') +
           QString::number(nCols) + QLatin1Char(']');
}
} // namespace

CObjectFrame::CObjectFrame(CObjectHost* pDlg, QString strName, QString strSuffix, int nRows,
                           int nCols)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    m_pDlg = pDlg;
    m_strName = std::move(strName);
    m_nObjectNumber = pDlg->m_nNextObjectNumber;

    QString title;
    if (!m_strName.isEmpty())
    {
        title = QString::number(m_nObjectNumber) + QStringLiteral("  ") + m_strName +
                SizeSuffix(nRows, nCols);
    }
    else
    {
        m_strName = QString::number(m_nObjectNumber);
        title = m_strName + strSuffix + SizeSuffix(nRows, nCols);
    }
    m_nRows = nRows;
    m_nCols = nCols;

    m_strTitle = title;
    setWindowTitle(LiteralTitle(title));
    setAccessibleName(title);
    setAttribute(Qt::WA_DeleteOnClose);
    const QSize frameSize = FrameSize(nRows, nCols);
    m_sizeNormal = QSize(frameSize.width() - Metrics::kFrameExtraWidth,
                         frameSize.height() - Metrics::kFrameExtraHeight);
    resize(m_sizeNormal);
    setBaseSize(m_sizeNormal);
    setSizeIncrement(kSizeStep, kSizeStep);
    setMinimumSize(m_sizeNormal);
    // Where the size steps are ignored.
    KeepNormalSize(this, m_sizeNormal);
    move(FramePosition(m_nObjectNumber));
    OnCreate();
    // A narrow window's title bar cuts the title short; the background and
    // the labels show all of it.
    m_pView->setToolTip(Qt::convertFromPlainText(title, Qt::WhiteSpacePre));
    CreateShortcuts();
}

CObjectFrame::~CObjectFrame()
{
    // The view goes first, while this window, whose number it reports, is
    // still whole.
    delete m_pView;
}

QSize CObjectFrame::FrameSize(int nRows, int nCols)
{
    if (nCols <= 3 && nRows <= 3)
        return QSize(132 * nCols + 35, 36 * nRows + 55);
    if (nCols <= 3)
        return QSize(132 * nCols + 51, 162);
    if (nRows <= 3)
        return QSize(431, 36 * nRows + 70);
    return QSize(447, 178);
}

QPoint CObjectFrame::FramePosition(int nObjectNumber)
{
    const int k = (nObjectNumber - 1) % 10;
    return QPoint(231 + 5 * k, 2 + 35 * k);
}

int CObjectFrame::OnCreate()
{
    m_rectClient = rect();
    auto* pView = new CEntryControlView(this, m_pDlg, m_nRows, m_nCols); // child of this frame
    pView->setGeometry(m_rectClient);
    pView->show();
    m_pDlg->m_ObjectList.append(pView);
    pView->m_nListIndex = int(m_pDlg->m_ObjectList.size()) - 1;
    return 0;
}

void CObjectFrame::OnSize(unsigned /*nType*/, int cx, int cy)
{
    m_rectClient = rect();
    if (m_pView)
    {
        m_pView->setGeometry(0, 0, cx, cy);
        m_pView->raise();
    }
}

void CObjectFrame::OnSetFocus()
{
    if (m_pView)
        m_pView->FocusFirstCell();
}

void CObjectFrame::CreateShortcuts()
{
    // Window shortcuts: they work wherever the focus is in this window, in a
    // cell or not. A cell keeps Ctrl+C, Ctrl+V and the rest of its own keys.
    auto add = [this](const QKeySequence& keys, void (CObjectFrame::*handler)())
    {
        auto* pShortcut = new QShortcut(keys, this); // child of the frame
        pShortcut->setContext(Qt::WindowShortcut);
        connect(pShortcut, &QShortcut::activated, this, handler);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_Space), &CObjectFrame::OnSelectKey);
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &CObjectFrame::OnEditCopyObject);
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), &CObjectFrame::OnEditPasteObject);

    auto* pHelp = new QShortcut(QKeySequence(Qt::Key_F1), this);
    pHelp->setContext(Qt::WindowShortcut);
    connect(pHelp, &QShortcut::activated, this, [this] { m_pDlg->ShowHelp(); });
}

void CObjectFrame::OnSelectKey()
{
    // The same path as the right click, message box included; it guards
    // itself against the window closing while the box is open.
    if (m_pView)
        m_pView->OnRButtonDown(0, QPoint());
}

void CObjectFrame::OnEditCopyObject()
{
    if (m_pView)
        QGuiApplication::clipboard()->setText(m_pView->ObjectText());
}

void CObjectFrame::OnEditPasteObject()
{
    if (!m_pView)
        return;
    int nRow = 0;
    int nCol = 0;
    if (auto* pCell = qobject_cast<CEntryControl*>(focusWidget());
        pCell && pCell->m_pView == m_pView)
    {
        nRow = pCell->m_nIndex / m_nCols;
        nCol = pCell->m_nIndex % m_nCols;
    }
    m_pView->PasteText(QGuiApplication::clipboard()->text(), nRow, nCol);
}

void CObjectFrame::changeEvent(QEvent* pEvent)
{
    QWidget::changeEvent(pEvent);
    if (pEvent->type() == QEvent::ActivationChange && isActiveWindow())
        OnSetFocus();
}

void CObjectFrame::closeEvent(QCloseEvent* pEvent)
{
    // The object leaves the lists now; the window itself is deleted later.
    pEvent->accept();
    delete m_pView;
}

void CObjectFrame::focusInEvent(QFocusEvent* pEvent)
{
    QWidget::focusInEvent(pEvent);
    OnSetFocus();
}

void CObjectFrame::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    OnSize(0, width(), height());
}

void CObjectFrame::showEvent(QShowEvent* pEvent)
{
    QWidget::showEvent(pEvent);
    // The window system's window exists now; the toolkit hands it the
    // minimum size by itself, but not the size steps.
    if (QWindow* pWindow = windowHandle())
    {
        pWindow->setBaseSize(m_sizeNormal);
        pWindow->setSizeIncrement(QSize(kSizeStep, kSizeStep));
    }
}
