// What object windows need from the window that keeps the list of objects
// (the main dialog): the shared lists and counts they keep up to date, the
// list box entry they take out, and the help they open.
#pragma once

#include <QList>

class CEntryControlView;

class CObjectHost
{
public:
    virtual ~CObjectHost() = default;

    // The number the next object window receives; never reused.
    int m_nNextObjectNumber = 1;
    // Cells in all open object windows.
    int m_nEditControlCount = 0;
    // The view constructed last.
    CEntryControlView* m_pNewView = nullptr;
    // The open objects in creation order (entry i is entry i of the list
    // box), and the selected ones in order of selection (at most two). The
    // lists do not own the views.
    QList<CEntryControlView*> m_ObjectList;
    QList<CEntryControlView*> m_SelectedList;

    // Takes the object's number out of the list box of open objects.
    virtual void RemoveObjectListEntry(int nObjectNumber) = 0;
    // Opens the help (F1 in an object window).
    virtual void ShowHelp() = 0;
};
