// The list box of open objects: it follows the registry, shows each object's
// number (and tells screen readers its window's title), and brings a
// picked object's window forward.
#pragma once

#include <QObject>

class CObjectRegistry;
class CObjectWindows;
class QListWidget;

class CObjectList : public QObject
{
    Q_OBJECT

public:
    CObjectList(QListWidget* pList, CObjectRegistry& registry, CObjectWindows& windows);

    // A choice in the list: the chosen entries' windows come forward, in
    // list order; the list keeps no selection.
    void OnSelchange();
    // The focus in the list, on an entry (the first, unless one is current).
    void TakeFocus();

private:
    void AddEntry(int nObjectNumber);
    void RemoveEntry(int nObjectNumber);

    QListWidget* m_pList;
    CObjectRegistry& m_Registry;
    CObjectWindows& m_Windows;
};
