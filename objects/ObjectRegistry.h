// The open objects and the selection, kept in one place.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class CEntryControlView;

// Owns the lists and counts that the object windows and the main dialog
// share: the open objects in creation order, the selected ones in order of
// selection (at most two), the cells in all open windows and the next object
// number. Nobody else writes them; the dialog's list box and each view's
// highlight follow the signals. The lists do not own the views.
class CObjectRegistry : public QObject
{
    Q_OBJECT

public:
    // What a toggle of the selection did: a view that was not selected joins
    // it unless two are selected already (Refused).
    enum class ESelection
    {
        Selected,
        Deselected,
        Refused,
    };

    explicit CObjectRegistry(QObject* pParent = nullptr);

    const QList<CEntryControlView*>& ObjectList() const { return m_ObjectList; }
    const QList<CEntryControlView*>& SelectedList() const { return m_SelectedList; }
    int EditControlCount() const { return m_nEditControlCount; }
    // The number the next object window receives: a new one, never used
    // before, or the number of an object coming back (see ReuseNumber).
    int NextObjectNumber() const
    {
        return m_nReusedNumber > 0 ? m_nReusedNumber : m_nNextObjectNumber;
    }
    // The view's place in the selection (0: first operand, 1: second), or -1.
    int SelectionIndex(const CEntryControlView* pView) const;
    // The view's place in the object list, or -1.
    int ListIndex(const CEntryControlView* pView) const;
    // The place in the object list of the object with that number, or -1.
    int ListIndexOfNumber(int nObjectNumber) const { return int(m_Numbers.indexOf(nObjectNumber)); }

    // A new object window's view: listed last with its cells counted; it
    // takes the next number.
    void Add(CEntryControlView* pView, int nCells);
    // An object that was open before (in an earlier run, or closed in this
    // one) comes back with its own number: the next window takes nNumber and
    // its place in the list by number, and new numbers go on above it and
    // above nNextNumber. The caller makes
    // sure that no open object has that number.
    void ReuseNumber(int nNumber, int nNextNumber = 1);
    // Something an object shows changed (a cell's text, its window's place):
    // emits objectEdited.
    void NoteEdited();
    // The view leaves the selection (the other selected view, if any,
    // becomes the first operand) and the list, and its cells are no longer
    // counted.
    void Remove(CEntryControlView* pView, int nCells, int nObjectNumber);
    ESelection ToggleSelection(CEntryControlView* pView);
    // Empties the selection, whatever it holds.
    void ClearSelection();

    // What object windows ask for: the help, and the opening of files
    // dropped on them.
    void RequestHelp();
    void RequestOpenFiles(const QStringList& paths);

signals:
    void objectAdded(int nObjectNumber);
    // The view is about to leave the lists; its window and cells are whole.
    void objectLeaving(CEntryControlView* pView);
    void objectEdited();
    void objectRemoved(int nObjectNumber);
    // The view joined or left the selection, or moved up to first operand.
    void selectionChanged(CEntryControlView* pView);
    void helpRequested();
    void openFilesRequested(const QStringList& paths);

private:
    // Takes the view out of the selection; returns the view that moved up
    // to first operand, or null.
    CEntryControlView* LeaveSelection(int nSelIndex);

    QList<CEntryControlView*> m_ObjectList;
    QList<CEntryControlView*> m_SelectedList;
    // The open objects' numbers, entry for entry: in rising order, since
    // new numbers exceed every number used before.
    QList<int> m_Numbers;
    int m_nEditControlCount = 0;
    int m_nNextObjectNumber = 1;
    int m_nReusedNumber = 0;
};
