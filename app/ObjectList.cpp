#include "app/ObjectList.h"

#include "app/ObjectWindows.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "objects/ObjectRegistry.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>

namespace
{
// The object list's keys: the arrows, Home, End and the page keys move the
// current entry without selecting it (a selection brings a window forward at
// once), and Enter or Space brings the current entry's window forward.
class CObjectListKeys : public QObject
{
public:
    CObjectListKeys(QListWidget* pList, CObjectWindows* pWindows)
        : QObject(pList), m_pWindows(pWindows)
    {
    }

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
            m_pWindows->BringForward(pList->currentRow());
            return true;
        default:
            return false;
        }
        if (nLast >= 0)
            pList->setCurrentRow(std::clamp(nTarget, 0, nLast), QItemSelectionModel::NoUpdate);
        return true;
    }

private:
    CObjectWindows* m_pWindows;
};

} // namespace

CObjectList::CObjectList(QListWidget* pList, CObjectRegistry& registry, CObjectWindows& windows)
    : QObject(pList), m_pList(pList), m_Registry(registry), m_Windows(windows)
{
    connect(pList, &QListWidget::itemSelectionChanged, this, &CObjectList::OnSelchange);
    pList->installEventFilter(new CObjectListKeys(pList, &windows)); // the list's child
    connect(&registry, &CObjectRegistry::objectAdded, this, &CObjectList::AddEntry);
    connect(&registry, &CObjectRegistry::objectRemoved, this, &CObjectList::RemoveEntry);
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
        m_Windows.BringForward(k);

    // The list is a launcher: it keeps no selection, and clearing it is no
    // further change to act on.
    const QSignalBlocker blocker(m_pList);
    for (int k : indices)
        m_pList->item(k)->setSelected(false);
}

void CObjectList::TakeFocus()
{
    m_pList->setFocus(Qt::ShortcutFocusReason);
    if (!m_pList->currentIndex().isValid() && m_pList->count() > 0)
        m_pList->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}
