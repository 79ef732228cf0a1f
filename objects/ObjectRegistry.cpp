#include "objects/ObjectRegistry.h"

#include <algorithm>
#include <utility>

CObjectRegistry::CObjectRegistry(QObject* pParent) : QObject(pParent) {}

int CObjectRegistry::SelectionIndex(const CEntryControlView* pView) const
{
    return int(m_SelectedList.indexOf(pView));
}

int CObjectRegistry::ListIndex(const CEntryControlView* pView) const
{
    return int(m_ObjectList.indexOf(pView));
}

void CObjectRegistry::Add(CEntryControlView* pView, int nCells)
{
    m_nEditControlCount += nCells;
    if (m_nReusedNumber > 0)
    {
        // Among the open objects in the place of its number.
        const int nNumber = std::exchange(m_nReusedNumber, 0);
        const auto nIndex =
            std::upper_bound(m_Numbers.begin(), m_Numbers.end(), nNumber) - m_Numbers.begin();
        m_ObjectList.insert(nIndex, pView);
        m_Numbers.insert(nIndex, nNumber);
        m_nNextObjectNumber = std::max(m_nNextObjectNumber, nNumber + 1);
        emit objectAdded(nNumber);
    }
    else
    {
        m_ObjectList.append(pView);
        m_Numbers.append(m_nNextObjectNumber);
        emit objectAdded(m_nNextObjectNumber++);
    }
}

void CObjectRegistry::ReuseNumber(int nNumber, int nNextNumber)
{
    m_nReusedNumber = nNumber;
    m_nNextObjectNumber = std::max(m_nNextObjectNumber, nNextNumber);
}

void CObjectRegistry::NoteEdited()
{
    emit objectEdited();
}

void CObjectRegistry::Remove(CEntryControlView* pView, int nCells, int nObjectNumber)
{
    if (ListIndex(pView) >= 0)
        emit objectLeaving(pView);
    const int nSelIndex = SelectionIndex(pView);
    CEntryControlView* pMoved = nSelIndex >= 0 ? LeaveSelection(nSelIndex) : nullptr;
    const int nListIndex = ListIndex(pView);
    if (nListIndex < 0)
        return;
    m_ObjectList.removeAt(nListIndex);
    m_Numbers.removeAt(nListIndex);
    m_nEditControlCount -= nCells;
    if (pMoved)
        emit selectionChanged(pMoved);
    emit objectRemoved(nObjectNumber);
}

CObjectRegistry::ESelection CObjectRegistry::ToggleSelection(CEntryControlView* pView)
{
    const int nSelIndex = SelectionIndex(pView);
    if (nSelIndex >= 0)
    {
        CEntryControlView* pMoved = LeaveSelection(nSelIndex);
        emit selectionChanged(pView);
        if (pMoved)
            emit selectionChanged(pMoved);
        return ESelection::Deselected;
    }
    if (m_SelectedList.size() >= 2)
        return ESelection::Refused;
    m_SelectedList.append(pView);
    emit selectionChanged(pView);
    return ESelection::Selected;
}

void CObjectRegistry::ClearSelection()
{
    const QList<CEntryControlView*> selected = std::exchange(m_SelectedList, {});
    for (CEntryControlView* pView : selected)
        emit selectionChanged(pView);
}

void CObjectRegistry::RequestHelp()
{
    emit helpRequested();
}

void CObjectRegistry::RequestOpenFiles(const QStringList& paths)
{
    emit openFilesRequested(paths);
}

CEntryControlView* CObjectRegistry::LeaveSelection(int nSelIndex)
{
    m_SelectedList.removeAt(nSelIndex);
    // The other selected view, if any, moves up to the first entry.
    return nSelIndex == 0 && !m_SelectedList.isEmpty() ? m_SelectedList.first() : nullptr;
}
