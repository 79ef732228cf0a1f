#include "ReliabilitySupport.h"

#include "app/FileDialog.h"

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
    const QList<CEntryControlView*>& objects = dlg.Registry().ObjectList();
    const QList<CEntryControlView*>& selected = dlg.Registry().SelectedList();
    QListWidget* pList = dlg.ObjectListBox();

    if (pList->count() != objects.size())
        fault << "list box has " << pList->count() << " entries for " << objects.size()
              << " objects";
    long long nCells = 0;
    int nPreviousNumber = 0;
    QSet<const CObjectFrame*> frames;
    for (int i = 0; i < objects.size() && fault.str().empty(); ++i)
    {
        const CObjectFrame* pFrame = objects.at(i)->Frame();
        if (pFrame->View() != objects.at(i) || !pFrame->isVisible())
            fault << "object " << i << "'s window is closed but listed";
        else if (pList->item(i)->text() != QString::number(pFrame->ObjectNumber()))
            fault << "list box entry " << i << " is " << pList->item(i)->text().toStdString()
                  << ", the object's number " << pFrame->ObjectNumber();
        else if (pFrame->ObjectNumber() <= nPreviousNumber ||
                 pFrame->ObjectNumber() >= dlg.Registry().NextObjectNumber())
            fault << "object " << i << " has number " << pFrame->ObjectNumber()
                  << " out of order (next number " << dlg.Registry().NextObjectNumber() << ")";
        nPreviousNumber = pFrame->ObjectNumber();
        nCells += static_cast<long long>(pFrame->m_nRows) * pFrame->m_nCols;
        frames.insert(pFrame);
    }
    if (!fault.str().empty())
        return fault.str();

    if (selected.size() > 2 || (selected.size() == 2 && selected.at(0) == selected.at(1)))
        fault << "selection of " << selected.size();
    for (const CEntryControlView* pView : selected)
        if (!objects.contains(pView))
            fault << "a selected object is not open";
    if (dlg.Registry().EditControlCount() != nCells || nCells > kMaxEditControls)
        fault << "m_nEditControlCount is " << dlg.Registry().EditControlCount()
              << ", the open objects hold " << nCells << " cells";
    if (!fault.str().empty())
        return fault.str();

    int nWindows = 0;
    for (QWidget* pWidget : QApplication::topLevelWidgets())
    {
        if (const auto* pFrame = qobject_cast<const CObjectFrame*>(pWidget))
        {
            ++nWindows;
            if (!frames.contains(pFrame))
                return "object window " + std::to_string(pFrame->ObjectNumber()) + " (" +
                       pFrame->windowTitle().toStdString() + ") exists but is not listed";
        }
    }
    if (nWindows != objects.size())
        fault << nWindows << " object windows for " << objects.size() << " listed objects";
    return fault.str();
}

DialogSnapshot TakeSnapshot(const CHollastrinDlg& dlg)
{
    DialogSnapshot s;
    s.nObjects = int(dlg.Registry().ObjectList().size());
    s.nNextObjectNumber = dlg.Registry().NextObjectNumber();
    s.nEditControlCount = dlg.Registry().EditControlCount();
    s.selected = dlg.Registry().SelectedList();
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
