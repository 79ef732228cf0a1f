#include "app/ObjectList.h"

#include "app/ObjectWindows.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "objects/ObjectRegistry.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>

namespace
{
void TellCurrentEntry(QListWidget* pList)
{
    if (!QAccessible::isActive() || !pList->hasFocus() || pList->currentRow() < 0)
        return;
    QAccessibleEvent event(pList, QAccessible::Focus);
    event.setChild(pList->currentRow());
    QAccessible::updateAccessibility(&event);
}

// The object list's keys: the arrows, Home, End and the page keys move the
// current entry without selecting it (a selection brings a window forward at
// once), and Enter or Space brings the current entry's window forward.
class CObjectListKeys : public QObject
{
public:
    CObjectListKeys(QListWidget* pList, CObjectList* pObjectList)
        : QObject(pList), m_pObjectList(pObjectList)
    {
    }

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        auto* pList = static_cast<QListWidget*>(pWatched);
        if (pEvent->type() == QEvent::FocusIn)
        {
            // Screen readers hear the list take the focus after the view has
            // told them of its current entry (if it did): the entry is told
            // once more, after the list.
            QMetaObject::invokeMethod(
                pList, [pList] { TellCurrentEntry(pList); }, Qt::QueuedConnection);
            return false;
        }
        if (pEvent->type() != QEvent::KeyPress)
            return false;
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
            m_pObjectList->BringForward(pList->currentRow());
            return true;
        default:
            return false;
        }
        if (nLast >= 0)
            pList->setCurrentRow(std::clamp(nTarget, 0, nLast), QItemSelectionModel::NoUpdate);
        return true;
    }

private:
    CObjectList* m_pObjectList;
};

} // namespace

CObjectList::CObjectList(QListWidget* pList, CObjectRegistry& registry, CObjectWindows& windows)
    : QObject(pList), m_pList(pList), m_Registry(registry), m_Windows(windows)
{
    connect(pList, &QListWidget::itemSelectionChanged, this, &CObjectList::OnSelchange);
    pList->installEventFilter(new CObjectListKeys(pList, this)); // the list's child
    connect(&registry, &CObjectRegistry::objectAdded, this, &CObjectList::AddEntry);
    connect(&registry, &CObjectRegistry::objectRemoved, this, &CObjectList::RemoveEntry);
}

void CObjectList::BringForward(int nRow)
{
    if (nRow < 0 || nRow >= m_Registry.ObjectList().size())
        return;
    m_pLastWindow = m_Registry.ObjectList().at(nRow)->Frame();
    m_Windows.BringForward(nRow);
}

int CObjectList::RowOfWindow(const QWidget* pWindow) const
{
    const QList<CEntryControlView*>& views = m_Registry.ObjectList();
    for (int k = 0; k < views.size(); ++k)
        if (views.at(k)->Frame() == pWindow)
            return k;
    return -1;
}

void CObjectList::AddEntry(int nObjectNumber)
{
    // In the list's order: by number.
    const int k = m_Registry.ListIndexOfNumber(nObjectNumber);
    m_pList->insertItem(k, QString::number(nObjectNumber));
    // Screen readers hear the window's whole title; the list shows its
    // number.
    m_pList->item(k)->setData(Qt::AccessibleTextRole,
                              m_Registry.ObjectList().at(k)->Frame()->Title());
    m_pList->update();
}

void CObjectList::RemoveEntry(int nObjectNumber)
{
    const QString number = QString::number(nObjectNumber);
    for (int k = 0; k < m_pList->count(); ++k)
    {
        if (m_pList->item(k)->text() == number)
        {
            delete m_pList->takeItem(k);
            break;
        }
    }
}

void CObjectList::OnSelchange()
{
    QList<int> indices;
    for (int k = 0; k < m_pList->count(); ++k)
        if (m_pList->item(k)->isSelected())
            indices.append(k);

    for (int k : indices)
        BringForward(k);

    // The list is a launcher: it keeps no selection, and clearing it is no
    // further change to act on.
    const QSignalBlocker blocker(m_pList);
    for (int k : indices)
        m_pList->item(k)->setSelected(false);
}

void CObjectList::TakeFocus()
{
    if (m_pList->count() > 0)
    {
        const int nRow = RowOfWindow(m_pLastWindow);
        m_pList->setCurrentRow(std::max(nRow, 0), QItemSelectionModel::NoUpdate);
    }
    const bool bHadFocus = m_pList->hasFocus();
    m_pList->setFocus(Qt::ShortcutFocusReason);
    // Focused already: the entry is told again all the same.
    if (bHadFocus)
        TellCurrentEntry(m_pList);
}
