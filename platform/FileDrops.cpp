#include "platform/FileDrops.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

QStringList DroppedLocalFiles(const QMimeData* pData)
{
    QStringList paths;
    if (pData && pData->hasUrls())
    {
        for (const QUrl& url : pData->urls())
        {
            if (url.isLocalFile())
                paths.append(url.toLocalFile());
        }
    }
    return paths;
}

bool AcceptFileDrag(QDragMoveEvent* pEvent)
{
    if (DroppedLocalFiles(pEvent->mimeData()).isEmpty())
        return false;
    pEvent->acceptProposedAction();
    return true;
}

QStringList TakeDroppedFiles(QDropEvent* pEvent)
{
    const QStringList paths = DroppedLocalFiles(pEvent->mimeData());
    if (!paths.isEmpty())
        pEvent->acceptProposedAction();
    return paths;
}
