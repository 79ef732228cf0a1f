#include "ReliabilitySupport.h"

#include "FileDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QSet>

#include <unistd.h>

#include <sstream>
#include <utility>

namespace
{
// The number after "name:" in a /proc status-like file, times the unit.
long long ProcField(const char* pPath, const QByteArray& name, long long nUnit)
{
    QFile file(QString::fromLatin1(pPath));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    // /proc files report size 0: read line by line to the end.
    while (!file.atEnd())
    {
        const QByteArray line = file.readLine();
        if (line.startsWith(name + ':'))
        {
            bool bOk = false;
            const long long n =
                line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong(&bOk);
            return bOk ? n * nUnit : -1;
        }
    }
    return -1;
}
} // namespace

std::string CheckDialogState(const CHollastrinDlg& dlg)
{
    std::ostringstream fault;
    const QList<CEntryControlView*>& objects = dlg.m_ObjectList;
    const QList<CEntryControlView*>& selected = dlg.m_SelectedList;
    QListWidget* pList = dlg.ObjectListBox();

    if (pList->count() != objects.size())
    {
        fault << "list box has " << pList->count() << " entries for " << objects.size()
              << " objects";
        return fault.str();
    }
    long long nCells = 0;
    int nPreviousNumber = 0;
    QSet<const CObjectFrame*> frames;
    for (int i = 0; i < objects.size(); ++i)
    {
        const CEntryControlView* pView = objects.at(i);
        if (pView->m_nListIndex != i)
            fault << "view " << i << " has m_nListIndex " << pView->m_nListIndex;
        else if (!pView->m_pFrame || pView->m_pFrame->m_pView != pView || pView->m_pDlg != &dlg)
            fault << "view " << i << " is not its window's view";
        else if (pList->item(i)->text() != QString::number(pView->m_pFrame->m_nObjectNumber))
            fault << "list box entry " << i << " is " << pList->item(i)->text().toStdString()
                  << ", the object's number " << pView->m_pFrame->m_nObjectNumber;
        else if (pView->m_pFrame->m_nObjectNumber <= nPreviousNumber ||
                 pView->m_pFrame->m_nObjectNumber >= dlg.m_nNextObjectNumber)
            fault << "object " << i << " has number " << pView->m_pFrame->m_nObjectNumber
                  << " out of order (next number " << dlg.m_nNextObjectNumber << ")";
        else if (pView->m_bSelected != (selected.contains(pView) ? 1 : 0))
            fault << "view " << i << " has m_bSelected " << pView->m_bSelected;
        else if (!pView->m_pFrame->isVisible())
            fault << "object " << i << "'s window is closed but listed";
        if (!fault.str().empty())
            return fault.str();
        nPreviousNumber = pView->m_pFrame->m_nObjectNumber;
        nCells += static_cast<long long>(pView->m_nRows) * pView->m_nCols;
        frames.insert(pView->m_pFrame);
    }

    if (selected.size() > 2)
        fault << selected.size() << " objects selected";
    for (int k = 0; k < selected.size() && fault.str().empty(); ++k)
    {
        const CEntryControlView* pView = selected.at(k);
        if (!objects.contains(selected.at(k)))
            fault << "selection entry " << k << " is not an open object";
        else if (pView->m_bSelected != 1 || pView->m_nSelIndex != k)
            fault << "selection entry " << k << " has m_bSelected " << pView->m_bSelected
                  << " and m_nSelIndex " << pView->m_nSelIndex;
        else if (selected.indexOf(selected.at(k)) != k)
            fault << "object selected twice";
    }
    if (!fault.str().empty())
        return fault.str();

    if (dlg.m_nEditControlCount != nCells || nCells > kMaxEditControls)
    {
        fault << "m_nEditControlCount is " << dlg.m_nEditControlCount << ", the open objects hold "
              << nCells << " cells";
        return fault.str();
    }

    int nWindows = 0;
    for (QWidget* pWidget : QApplication::topLevelWidgets())
    {
        const auto* pFrame = qobject_cast<const CObjectFrame*>(pWidget);
        if (!pFrame)
            continue;
        ++nWindows;
        if (!frames.contains(pFrame))
        {
            fault << "object window " << pFrame->m_nObjectNumber << " ("
                  << pFrame->windowTitle().toStdString() << ") exists but is not listed";
            return fault.str();
        }
    }
    if (nWindows != objects.size())
        fault << nWindows << " object windows for " << objects.size() << " listed objects";
    return fault.str();
}

DialogSnapshot TakeSnapshot(const CHollastrinDlg& dlg)
{
    DialogSnapshot s;
    s.nObjects = int(dlg.m_ObjectList.size());
    s.nNextObjectNumber = dlg.m_nNextObjectNumber;
    s.nEditControlCount = dlg.m_nEditControlCount;
    s.selected = dlg.m_SelectedList;
    for (int k = 0; k < dlg.ObjectListBox()->count(); ++k)
        s.listEntries.append(dlg.ObjectListBox()->item(k)->text());
    return s;
}

void PrintTo(const DialogSnapshot& s, std::ostream* os)
{
    *os << s.nObjects << " objects [" << s.listEntries.join(' ').toStdString() << "], next number "
        << s.nNextObjectNumber << ", " << s.nEditControlCount << " cells, " << s.selected.size()
        << " selected";
}

long long ResidentBytes()
{
    QFile file(QStringLiteral("/proc/self/statm"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = file.readLine().split(' ');
    bool bOk = false;
    const long long nPages = fields.value(1).toLongLong(&bOk);
    return bOk ? nPages * sysconf(_SC_PAGESIZE) : -1;
}

long long PeakResidentBytes()
{
    return ProcField("/proc/self/status", "VmHWM", 1024);
}

long long BytesRead()
{
    return ProcField("/proc/self/io", "rchar", 1);
}

bool ResetPeakResident()
{
    // "5" resets the peak resident size (Linux 4.0 and later).
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    return file.open(QIODevice::WriteOnly) && file.write("5") == 1;
}
