#include "platform/FileDrops.h"

#include "platform/FileNames.h"

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
            if (!url.isLocalFile())
                continue;
            // The address keeps the name's bytes percent-encoded; decoding
            // it to text would lose those that are not UTF-8.
            if (url.host().isEmpty())
                paths.append(FileNameFromBytes(
                    QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
                        .toStdString()));
            else
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
