// Files dragged onto the program's windows.
#pragma once

#include <QStringList>

class QDragMoveEvent;
class QDropEvent;
class QMimeData;

// The local files among the dragged items, in their order; empty when the
// drag carries none (plain text, or only addresses elsewhere).
QStringList DroppedLocalFiles(const QMimeData* pData);

// A drop target's drag enter and move: accepts a drag that carries local
// files and returns true; leaves any other drag alone and returns false.
bool AcceptFileDrag(QDragMoveEvent* pEvent);
// A drop target's drop: the local files dropped, with the drop accepted; an
// empty list, with the event left alone, when there are none.
QStringList TakeDroppedFiles(QDropEvent* pEvent);
