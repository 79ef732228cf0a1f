// The list box of open objects: it follows the registry, shows each object's
// number (and tells screen readers its window's title), and brings a
// picked object's window forward.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

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
    // The focus in the list, on the entry of the window the list brought
    // forward last (the first entry when there is none, or it is gone);
    // screen readers hear that entry.
    void TakeFocus();
    // Brings the window of the entry forward.
    void BringForward(int nRow);

private:
    void AddEntry(int nObjectNumber);
    void RemoveEntry(int nObjectNumber);
    // The entry of an object window, -1 for any other window.
    int RowOfWindow(const QWidget* pWindow) const;

    QListWidget* m_pList;
    CObjectRegistry& m_Registry;
    CObjectWindows& m_Windows;
    QPointer<QWidget> m_pLastWindow;
};
