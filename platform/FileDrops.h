// Files dragged onto the program's windows.
#pragma once

#include <QStringList>

class QMimeData;

// The local files among the dragged items, in their order; empty when the
// drag carries none (plain text, or only addresses elsewhere).
QStringList DroppedLocalFiles(const QMimeData* pData);
