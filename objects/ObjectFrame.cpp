#include "objects/ObjectFrame.h"

#include "objects/AccessibleObjects.h"
#include "objects/EntryControl.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectRegistry.h"
#include "platform/FileDrops.h"
#include "platform/FocusReturn.h"
#include "platform/Metrics.h"
#include "platform/WindowRules.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QShortcut>
#include <QShowEvent>
#include <QTextDocument>
#include <QWindow>

#include <utility>

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

CObjectFrame::CObjectFrame(CObjectRegistry* pRegistry, QString strName, QString strSuffix,
                           int nRows, int nCols, const QStringList& texts)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_nRows(nRows), m_nCols(nCols)
{
    InstallObjectAccessibility();
    m_pRegistry = pRegistry;
    m_strName = std::move(strName);
    m_strSuffix = strSuffix;
    m_nObjectNumber = pRegistry->NextObjectNumber();

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

    m_strTitle = title;
    setWindowTitle(LiteralTitle(title));
    setAccessibleName(title);
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
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
    OnCreate(texts);
    // A narrow window's title bar cuts the title short; the background and
    // the labels show all of it.
    m_pView->setToolTip(Qt::convertFromPlainText(title, Qt::WhiteSpacePre));
    CreateShortcuts();
}

CObjectFrame::~CObjectFrame()
{
    // The view goes first, while this window is still whole. Nothing of a
    // window that is going is painted again, so its widgets need not mark
    // their places for repainting one by one as they go.
    setUpdatesEnabled(false);
    delete std::exchange(m_pView, nullptr);
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

int CObjectFrame::OnCreate(const QStringList& texts)
{
    m_rectClient = rect();
    // A child of this window.
    m_pView =
        new CEntryControlView(this, this, m_pRegistry, m_nObjectNumber, m_nRows, m_nCols, texts);
    AdoptCellInterfaces(*m_pView);
    m_pView->setGeometry(m_rectClient);
    m_pView->show();
    // The window lists its object.
    m_pRegistry->Add(m_pView, m_nRows * m_nCols);
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
    add(QKeySequence(Qt::CTRL | Qt::Key_W), &CObjectFrame::OnCloseKey);

    auto* pHelp = new QShortcut(QKeySequence(Qt::Key_F1), this);
    pHelp->setContext(Qt::WindowShortcut);
    connect(pHelp, &QShortcut::activated, m_pRegistry, &CObjectRegistry::RequestHelp);
}

void CObjectFrame::OnSelectKey()
{
    // The same path as the right click, message box included; it guards
    // itself against the window closing while the box is open.
    if (m_pView)
        m_pView->OnRButtonDown(0, QPoint());
}

void CObjectFrame::OnCloseKey()
{
    close();
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
        pCell && pCell->View() == m_pView)
    {
        nRow = pCell->Index() / m_nCols;
        nCol = pCell->Index() % m_nCols;
    }
    m_pView->PasteText(QGuiApplication::clipboard()->text(), nRow, nCol);
}

void CObjectFrame::changeEvent(QEvent* pEvent)
{
    QWidget::changeEvent(pEvent);
    // Activated, the window gives its first cell the focus; given the focus
    // back after a box or window closed, it keeps the cell the user was in.
    if (pEvent->type() == QEvent::ActivationChange && isActiveWindow() && !TakeFocusReturn(this))
        OnSetFocus();
}

void CObjectFrame::closeEvent(QCloseEvent* pEvent)
{
    // The object leaves the lists now; the window itself is deleted later.
    pEvent->accept();
    setUpdatesEnabled(false);
    delete std::exchange(m_pView, nullptr);
}

void CObjectFrame::dragEnterEvent(QDragEnterEvent* pEvent)
{
    dragMoveEvent(pEvent);
}

void CObjectFrame::dragMoveEvent(QDragMoveEvent* pEvent)
{
    AcceptFileDrag(pEvent);
}

void CObjectFrame::dropEvent(QDropEvent* pEvent)
{
    if (const QStringList paths = TakeDroppedFiles(pEvent); !paths.isEmpty())
        m_pRegistry->RequestOpenFiles(paths);
}

void CObjectFrame::focusInEvent(QFocusEvent* pEvent)
{
    QWidget::focusInEvent(pEvent);
    OnSetFocus();
}

void CObjectFrame::moveEvent(QMoveEvent* pEvent)
{
    QWidget::moveEvent(pEvent);
    if (m_pView)
        m_pRegistry->NoteEdited();
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
