// The operation commands of the main dialog.
//
// Every command runs one of two flows, one for commands on one selected
// object and one for commands on two; the commands differ only in their entry
// of the operation tables below: the result name's prefix and what they
// compute from the operand matrices (or, for Cmp, what they report).
//
// The computation itself runs under a progress watch: a long one (a power
// with a large exponent, the cofactors of a large object) gets a progress
// dialog with "Cancel" after a moment, and while that dialog is up the
// object windows stay usable and may even be closed. So everything a command
// needs from the operand views (their values, their shown sizes, the
// result's name) is taken before the computation starts, and no view is
// touched after it.
#include "app/HollastrinDlg.h"

#include "engine/Matrix.h"
#include "objects/EntryControlView.h"
#include "objects/ObjectFrame.h"
#include "platform/MessageBox.h"
#include "platform/ProgressWatch.h"

#include <vector>

namespace
{
// A number result is opened as an ordinary 1 x 1 object.
CMatrix WrapNumber(double dValue)
{
    CMatrix result(1, 1);
    result.SetElement(0, 0, dValue);
    return result;
}

// A matrix read from a view has the view's shown size, and its only element
// is the number the view's values hold after that reading.
bool IsScalar(const CMatrix& m)
{
    return m.m_nRows == 1 && m.m_nCols == 1;
}

struct OneObjectOperation
{
    const char* pPrefix;
    CMatrix (*pCompute)(const CMatrix& a);
};

struct TwoObjectOperation
{
    const char* pPrefix;
    CMatrix (*pCompute)(const CMatrix& a, const CMatrix& b);
    // Checked before any cell is read; returns the message to show, or null.
    const char* (*pCheckShapes)(const CEntryControlView& first, const CEntryControlView& second);
    // Set for an operation that answers in a message box instead of opening
    // a result (no prefix, nothing computed).
    void (*pReport)(const CMatrix& a, const CMatrix& b) = nullptr;
};

// Mul: a number times a matrix keeps the matrix's shape; the name still
// follows the order of selection.
CMatrix Multiply(const CMatrix& a, const CMatrix& b)
{
    if (IsScalar(a) && IsScalar(b))
        return a * b;
    if (IsScalar(a))
        return b * a.GetElement(0, 0);
    if (IsScalar(b))
        return a * b.GetElement(0, 0);
    return a * b;
}

// Slv: a x = b needs a square a and a column b with as many rows as a has
// columns.
const char* CheckSolveShapes(const CEntryControlView& first, const CEntryControlView& second)
{
    if (first.m_nRows != first.m_nCols)
        return MessageText::kSolveFirstNotSquare;
    if (second.m_nCols != 1 || second.m_nRows != first.m_nCols)
        return MessageText::kSolveSecondShape;
    return nullptr;
}

// Cmp: whether the two objects hold exactly the same values.
void ReportComparison(const CMatrix& a, const CMatrix& b)
{
    if (a.m_nRows != b.m_nRows || a.m_nCols != b.m_nCols)
    {
        AppMessageBox(MessageText::kDimensionsDiffer);
        return;
    }
    bool bIdentical = true;
    for (int i = 0; i < a.m_nRows; ++i)
        for (int j = 0; j < a.m_nCols; ++j)
            if (b.GetElement(i, j) != a.GetElement(i, j))
                bIdentical = false;
    AppMessageBox(bIdentical ? MessageText::kIdentical : MessageText::kNotIdentical,
                  MessageIcon::Information);
}

// clang-format off
const OneObjectOperation kMag{"Mag(", [](const CMatrix& a) { return WrapNumber(a.Magnitude()); }};
const OneObjectOperation kTrp{"Trp(", [](const CMatrix& a) { return a.Transpose(); }};
const OneObjectOperation kCof{"Cof(", [](const CMatrix& a) { return a.Cofactor(); }};
const OneObjectOperation kAdj{"Adj(", [](const CMatrix& a) { return a.Adjoint(); }};
const OneObjectOperation kInv{"Inv(", [](const CMatrix& a) { return a.Inverse(); }};
const OneObjectOperation kDet{"Det(", [](const CMatrix& a) { return WrapNumber(a.Determinant()); }};
const OneObjectOperation kTrc{"Trc(", [](const CMatrix& a) { return WrapNumber(a.DiagonalProduct()); }};

const TwoObjectOperation kDot{"Dot(", [](const CMatrix& a, const CMatrix& b) { return WrapNumber(Dot(a, b)); }, nullptr};
const TwoObjectOperation kCrs{"Crs(", [](const CMatrix& a, const CMatrix& b) { return Cross(a, b); }, nullptr};
const TwoObjectOperation kAng{"Ang(", [](const CMatrix& a, const CMatrix& b) { return WrapNumber(Angle(a, b)); }, nullptr};
const TwoObjectOperation kAdd{"Add(", [](const CMatrix& a, const CMatrix& b) { return a + b; }, nullptr};
const TwoObjectOperation kSub{"Sub(", [](const CMatrix& a, const CMatrix& b) { return a - b; }, nullptr};
const TwoObjectOperation kMul{"Mul(", Multiply, nullptr};
const TwoObjectOperation kPow{"Pow(", [](const CMatrix& a, const CMatrix& b) { return Power(a, b); }, nullptr};
// Solves a x = b.
const TwoObjectOperation kSlv{"Slv(", [](const CMatrix& a, const CMatrix& b) { return a.Inverse() * b; }, CheckSolveShapes};
const TwoObjectOperation kCmp{nullptr, nullptr, nullptr, ReportComparison};
// clang-format on

// Message boxes and the progress dialog run event loops while the object
// windows stay usable, so the selection may change and operand windows may
// close meanwhile: the clearing at the end clears what the list holds then,
// and no operand view is touched after a box or once the computation has
// started. A cancelled computation ends the command like an error, without
// a message.
//
// The flow of every command: the selection check, then body on the selected
// views (the second null for a one-object command), whose refusals thrown as
// text are shown; then the selection is cleared.
template <class Body> void RunOnSelection(CHollastrinDlg& dlg, int nOperands, Body&& body)
{
    if (!(nOperands == 1 ? dlg.HoldsOneSelected() : dlg.HoldsTwoSelected()))
        return;

    CEntryControlView* pFirst = dlg.Registry().SelectedList().at(0);
    CEntryControlView* pSecond = nOperands == 2 ? dlg.Registry().SelectedList().at(1) : nullptr;
    try
    {
        body(pFirst, pSecond);
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
    catch (const CComputationCancelled&)
    {
    }
    if (nOperands == 1)
        dlg.DeselectOne();
    else
        dlg.DeselectTwo();
}

// Computes the results under the progress watch (labelled strLabel) and opens
// them under the names, in order; throws the budget text, opening none, when
// they would not all fit.
template <class Compute>
void ComputeAndOpen(CHollastrinDlg& dlg, const QString& strLabel, const QStringList& names,
                    Compute&& compute)
{
    const std::vector<CMatrix> results = ComputeWithProgress(&dlg, strLabel, compute);
    long long nCells = 0;
    for (const CMatrix& result : results)
        nCells += static_cast<long long>(result.m_nRows) * result.m_nCols;
    if (nCells + dlg.Registry().EditControlCount() > kMaxEditControls)
        throw static_cast<const char*>(MessageText::kBudgetReached);
    for (std::size_t k = 0; k < results.size(); ++k)
        dlg.CreateResultObject(results[k], names.value(static_cast<qsizetype>(k)));
}

void RunOneObjectCommand(CHollastrinDlg& dlg, const OneObjectOperation& op)
{
    RunOnSelection(dlg, 1,
                   [&](CEntryControlView* pFirst, CEntryControlView*)
                   {
                       const CMatrix a(pFirst);
                       const QString name = CHollastrinDlg::ResultName(op.pPrefix, pFirst, nullptr);
                       ComputeAndOpen(dlg, name, {name},
                                      [&] { return std::vector<CMatrix>{op.pCompute(a)}; });
                   });
}

void RunTwoObjectCommand(CHollastrinDlg& dlg, const TwoObjectOperation& op)
{
    RunOnSelection(dlg, 2,
                   [&](CEntryControlView* pFirst, CEntryControlView* pSecond)
                   {
                       if (op.pCheckShapes)
                           if (const char* pShapeMessage = op.pCheckShapes(*pFirst, *pSecond))
                               throw pShapeMessage;
                       const CMatrix a(pFirst);
                       const CMatrix b(pSecond);
                       if (op.pReport)
                       {
                           op.pReport(a, b);
                           return;
                       }
                       const QString name = CHollastrinDlg::ResultName(op.pPrefix, pFirst, pSecond);
                       ComputeAndOpen(dlg, name, {name},
                                      [&] { return std::vector<CMatrix>{op.pCompute(a, b)}; });
                   });
}
} // namespace

void CHollastrinDlg::OnMag()
{
    RunOneObjectCommand(*this, kMag);
}

void CHollastrinDlg::OnDot()
{
    RunTwoObjectCommand(*this, kDot);
}

void CHollastrinDlg::OnCrs()
{
    RunTwoObjectCommand(*this, kCrs);
}

void CHollastrinDlg::OnAng()
{
    RunTwoObjectCommand(*this, kAng);
}

void CHollastrinDlg::OnAdd()
{
    RunTwoObjectCommand(*this, kAdd);
}

void CHollastrinDlg::OnSub()
{
    RunTwoObjectCommand(*this, kSub);
}

void CHollastrinDlg::OnMul()
{
    RunTwoObjectCommand(*this, kMul);
}

void CHollastrinDlg::OnPow()
{
    RunTwoObjectCommand(*this, kPow);
}

void CHollastrinDlg::OnTrp()
{
    RunOneObjectCommand(*this, kTrp);
}

void CHollastrinDlg::OnCof()
{
    RunOneObjectCommand(*this, kCof);
}

void CHollastrinDlg::OnAdj()
{
    RunOneObjectCommand(*this, kAdj);
}

void CHollastrinDlg::OnInv()
{
    RunOneObjectCommand(*this, kInv);
}

void CHollastrinDlg::OnDet()
{
    RunOneObjectCommand(*this, kDet);
}

void CHollastrinDlg::OnTrc()
{
    RunOneObjectCommand(*this, kTrc);
}

void CHollastrinDlg::OnSlv()
{
    RunTwoObjectCommand(*this, kSlv);
}

void CHollastrinDlg::OnCmp()
{
    RunTwoObjectCommand(*this, kCmp);
}

void CHollastrinDlg::RunObjectCommand(int nOperands, const QString& caption,
                                      const QStringList& parts, const ResultsCompute& compute)
{
    RunOnSelection(*this, nOperands,
                   [&](CEntryControlView* pFirst, CEntryControlView* pSecond)
                   {
                       std::vector<CMatrix> operands;
                       operands.emplace_back(pFirst);
                       if (pSecond)
                           operands.emplace_back(pSecond);
                       // "1)" or "1,2)": the operands' part of every name.
                       const QString operandNames = ResultName("", pFirst, pSecond);
                       const QString single = caption + QLatin1Char('(') + operandNames;
                       QStringList names;
                       for (const QString& part : parts)
                           names << caption + QLatin1Char('.') + part + QLatin1Char('(') +
                                        operandNames;
                       if (names.isEmpty())
                           names << single;
                       ComputeAndOpen(*this, single, names, [&] { return compute(operands); });
                   });
}
