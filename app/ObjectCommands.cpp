#include "app/ObjectCommands.h"

#include "app/ObjectWindows.h"
#include "app/Operations.h"
#include "engine/Matrix.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "objects/ObjectRegistry.h"
#include "platform/MessageBox.h"
#include "platform/ProgressWatch.h"

#include <QStringList>

#include <vector>

CObjectCommands::CObjectCommands(CObjectRegistry& registry, CObjectWindows& windows,
                                 QWidget* pOwner)
    : m_Registry(registry), m_Windows(windows), m_pOwner(pOwner)
{
}

void CObjectCommands::Run(const SOperation& op)
{
    // One computation at a time: a command that comes while one runs (from
    // an object window's keys, say) is refused as a modal dialog refuses it.
    if (IsComputing())
        return;
    if (!(op.nOperands == 1 ? HoldsOneSelected() : HoldsTwoSelected()))
        return;
    try
    {
        Compute(op);
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
    catch (const CComputationCancelled&)
    {
    }
    ClearSelection();
}

void CObjectCommands::Compute(const SOperation& op)
{
    CEntryControlView* pFirst = m_Registry.SelectedList().at(0);
    CEntryControlView* pSecond = op.nOperands == 2 ? m_Registry.SelectedList().at(1) : nullptr;
    if (op.pCheckShapes)
        if (const char* pShapeMessage = op.pCheckShapes(pFirst->m_nRows, pFirst->m_nCols,
                                                        pSecond->m_nRows, pSecond->m_nCols))
            throw pShapeMessage;
    // The operands' matrices, copied from their cells.
    std::vector<CMatrix> operands;
    operands.emplace_back(pFirst);
    if (pSecond)
        operands.emplace_back(pSecond);
    if (op.pReport)
    {
        op.pReport(operands[0], operands[1]);
        return;
    }
    const QString first = pFirst->Frame()->Name();
    const QString second = pSecond ? pSecond->Frame()->Name() : QString();
    QStringList names;
    for (const char* pPart : op.parts)
        if (pPart)
            names << ResultName(op, first, second, pPart);
    const QString single = ResultName(op, first, second);
    if (names.isEmpty())
        names << single;

    const std::vector<CMatrix> results =
        ComputeWithProgress(m_pOwner, single, [&] { return op.pCompute(operands); });
    long long nCells = 0;
    for (const CMatrix& result : results)
        nCells += static_cast<long long>(result.m_nRows) * result.m_nCols;
    if (nCells + m_Registry.EditControlCount() > kMaxEditControls)
        throw static_cast<const char*>(MessageText::kBudgetReached);
    for (std::size_t k = 0; k < results.size(); ++k)
        m_Windows.OpenFilled(results[k], names.value(static_cast<qsizetype>(k)));
}

bool CObjectCommands::HoldsOneSelected()
{
    const QList<CEntryControlView*>& selected = m_Registry.SelectedList();
    if (selected.isEmpty())
    {
        AppMessageBox(MessageText::kSelectOne);
        return false;
    }
    if (selected.size() >= 2)
    {
        AppMessageBox(MessageText::kOnlyOne);
        ClearSelection();
        return false;
    }
    return true;
}

bool CObjectCommands::HoldsTwoSelected()
{
    const QList<CEntryControlView*>& selected = m_Registry.SelectedList();
    if (selected.isEmpty())
    {
        AppMessageBox(MessageText::kSelectTwo);
        return false;
    }
    if (selected.size() == 1)
    {
        AppMessageBox(MessageText::kSelectAnother);
        return false;
    }
    return true;
}

void CObjectCommands::ClearSelection()
{
    // The views repaint as the registry tells them.
    m_Registry.ClearSelection();
}
