// Name and description changes told to screen readers as AT-SPI defines
// them.
//
// Qt 6.4's bridge sends such a change with a reference to the object where
// the new text belongs, and screen readers that speak the change (Orca
// speaks a new description or name of the focused object) are handed
// nothing they can speak. This sends the change itself, from the bridge's
// own connection, with the new text.
#pragma once

#include <QAccessible>

// Sends the name or description change of the interface with its new text.
// Returns false, sending nothing, when no screen reader is connected or the
// event is of another kind.
bool SendTextChange(QAccessibleEvent* pEvent);
