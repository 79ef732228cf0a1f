#include "objects/EntryControl.h"

#include "platform/FileDrops.h"

#include <QDropEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QToolTip>

CEntryControl::CEntryControl(QWidget* pParent, CCellListener* pListener)
    : QLineEdit(pParent), m_pListener(pListener)
{
}

CEntryControl::~CEntryControl() = default;

void CEntryControl::InitCell(int nRows, int nCols, CEntryControlView* pView, int nIndex,
                             CEntryControl* pNextCell)
{
    m_nRows = nRows;
    m_nCols = nCols;
    m_pView = pView;
    m_nIndex = nIndex;
    m_pNextCell = pNextCell;
}

void CEntryControl::OnChar(unsigned nChar, unsigned /*nRepCnt*/, unsigned /*nFlags*/)
{
    if (nChar == 9)
    {
        // The next cell row by row, and the first after the last.
        m_pNextCell->setFocus(Qt::OtherFocusReason);
        m_pNextCell->selectAll();
    }
    // A single-line edit field takes no tab, and every other character has
    // already been handled by the edit field itself.
}

QRect CEntryControl::CharacterRect(int nOffset) const
{
    const QString strText = text();
    if (nOffset < 0 || nOffset >= strText.size())
        return QRect();
    // Measured from the text cursor, which the edit field places with its
    // scrolling taken into account.
    const QFontMetrics metrics(font());
    const QRect cursor = cursorRect();
    const int x = cursor.center().x() + metrics.horizontalAdvance(strText.left(nOffset)) -
                  metrics.horizontalAdvance(strText.left(cursorPosition()));
    const QRect rect(x, cursor.top(), metrics.horizontalAdvance(strText.mid(nOffset, 1)),
                     metrics.height());
    return QRect(mapToGlobal(rect.topLeft()), rect.size());
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

void CEntryControl::dragEnterEvent(QDragEnterEvent* pEvent)
{
    if (!AcceptFileDrag(pEvent))
        QLineEdit::dragEnterEvent(pEvent);
}

void CEntryControl::dragMoveEvent(QDragMoveEvent* pEvent)
{
    if (!AcceptFileDrag(pEvent))
        QLineEdit::dragMoveEvent(pEvent);
}

void CEntryControl::dropEvent(QDropEvent* pEvent)
{
    if (const QStringList paths = TakeDroppedFiles(pEvent); !paths.isEmpty())
    {
        if (m_pListener)
            m_pListener->OnCellFilesDropped(paths);
    }
    else
        QLineEdit::dropEvent(pEvent);
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
    // The grid scrolls to show the cell being typed into.
    if (m_pListener)
        m_pListener->OnCellFocused(*this);
}

void CEntryControl::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Tab || pEvent->key() == Qt::Key_Backtab ||
        pEvent->text() == QLatin1String("\t"))
    {
        OnChar(9, 1, 0);
        return;
    }
    // A letter with Alt or Meta is a command's key, or no key at all: it
    // never types into the cell, as a letter with Ctrl never does. (AltGr
    // comes without these modifiers and types as ever.)
    const bool bCombination = pEvent->modifiers() & (Qt::AltModifier | Qt::MetaModifier);
    if (bCombination && !pEvent->text().isEmpty() && pEvent->text().at(0).isPrint())
    {
        pEvent->accept();
        return;
    }
    QLineEdit::keyPressEvent(pEvent);
    // Keys the edit field leaves unused (Up, Page Down, ...) must not reach
    // the scrolling grid around it.
    pEvent->accept();
}
