#include "platform/FileDrops.h"

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
