// The one command runner: runs an operation on the selected objects, for
// the main dialog's buttons and keys and for the More Operations window.
#pragma once

class CObjectRegistry;
class CObjectWindows;
class QWidget;
struct SOperation;

// Every command's flow: check the selection, read the operands' cells,
// compute on a worker thread under the progress watch, check the cell budget, open the results
// (or report), show a refusal, clear the selection.
//
// Message boxes and the progress dialog run event loops while the object
// windows stay usable, so the selection may change and operand windows may
// close meanwhile: everything a command needs of its operands (their
// values, their sizes, the results' names) is taken before the computation
// starts, no operand view is touched after it, and the clearing at the end
// clears what the selection holds then. A cancelled computation ends the
// command like a refusal, without a message.
class CObjectCommands
{
public:
    // The registry holds the selection; the factory opens the results;
    // pOwner owns the message boxes and the progress dialog.
    CObjectCommands(CObjectRegistry& registry, CObjectWindows& windows, QWidget* pOwner);

    void Run(const SOperation& op);

    // The selection checks: true when the selection holds what a command
    // needs; otherwise shows why not, and a command on one object clears a
    // selection of two.
    bool HoldsOneSelected();
    bool HoldsTwoSelected();
    // Empties the selection, whatever it holds now.
    void ClearSelection();

private:
    void Compute(const SOperation& op);

    CObjectRegistry& m_Registry;
    CObjectWindows& m_Windows;
    QWidget* m_pOwner;
};
