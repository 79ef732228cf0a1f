// The operation commands of the main dialog.
//
// Every command runs one of two flows, one for commands on one selected
// object and one for commands on two; the commands differ only in their entry
// of the operation tables below: the result name's prefix and what they
// compute from the operand matrices.
//
// The computation itself runs under a progress watch: a long one (a power
// with a large exponent, the cofactors of a large object) gets a progress
// dialog with "Cancel" after a moment, and while that dialog is up the
// object windows stay usable and may even be closed. So everything a command
// needs from the operand views (their values, their shown sizes, the
// result's name) is taken before the computation starts, and no view is
// touched after it.
#include "HollastrinDlg.h"

#include "EntryControlView.h"
#include "Matrix.h"
#include "MessageBox.h"
#include "ProgressWatch.h"

#include <QPointer>

namespace
{
// A number result is opened as an ordinary 1 x 1 object.
CMatrix WrapNumber(double dValue)
{
    CMatrix result(1, 1);
    result.SetElement(0, 0, dValue);
    return result;
}

bool IsShownAsScalar(const CEntryControlView& view)
{
    return view.m_nRows == 1 && view.m_nCols == 1;
}

struct OneObjectOperation
{
    const char* pPrefix;
    CMatrix (*pCompute)(const CMatrix& a);
};

// The operand matrices with what Mul needs from their views, taken before
// the computation: whether each view shows a single number, and that number.
struct TwoOperands
{
    const CMatrix& a;
    const CMatrix& b;
    bool bFirstScalar;
    bool bSecondScalar;
    double dFirstValue;
    double dSecondValue;
};

struct TwoObjectOperation
{
    const char* pPrefix;
    CMatrix (*pCompute)(const TwoOperands& in);
    // Checked before any cell is read; returns the message to show, or null.
    const char* (*pCheckShapes)(const CEntryControlView& first, const CEntryControlView& second);
};

// Mul: a number times a matrix keeps the matrix's shape; the name still
// follows the order of selection.
CMatrix Multiply(const TwoOperands& in)
{
    if (in.bFirstScalar && in.bSecondScalar)
        return in.a * in.b;
    if (in.bFirstScalar)
        return in.b * in.dFirstValue;
    if (in.bSecondScalar)
        return in.a * in.dSecondValue;
    return in.a * in.b;
}

// The number a view shows when it shows one. The reading of the cells has
// just refreshed the view's values, so it equals the operand's only element.
double ScalarShown(const CEntryControlView& view)
{
    return IsShownAsScalar(view) ? view.m_pValues[0][0] : 0.0;
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

// clang-format off
const OneObjectOperation kMag{"Mag(", [](const CMatrix& a) { return WrapNumber(a.Magnitude()); }};
const OneObjectOperation kTrp{"Trp(", [](const CMatrix& a) { return a.Transpose(); }};
const OneObjectOperation kCof{"Cof(", [](const CMatrix& a) { return a.Cofactor(); }};
const OneObjectOperation kAdj{"Adj(", [](const CMatrix& a) { return a.Adjoint(); }};
const OneObjectOperation kInv{"Inv(", [](const CMatrix& a) { return a.Inverse(); }};
const OneObjectOperation kDet{"Det(", [](const CMatrix& a) { return WrapNumber(a.Determinant()); }};
const OneObjectOperation kTrc{"Trc(", [](const CMatrix& a) { return WrapNumber(a.DiagonalProduct()); }};

const TwoObjectOperation kDot{"Dot(", [](const TwoOperands& in) { return WrapNumber(Dot(in.a, in.b)); }, nullptr};
const TwoObjectOperation kCrs{"Crs(", [](const TwoOperands& in) { return Cross(in.a, in.b); }, nullptr};
const TwoObjectOperation kAng{"Ang(", [](const TwoOperands& in) { return WrapNumber(Angle(in.a, in.b)); }, nullptr};
const TwoObjectOperation kAdd{"Add(", [](const TwoOperands& in) { return in.a + in.b; }, nullptr};
const TwoObjectOperation kSub{"Sub(", [](const TwoOperands& in) { return in.a - in.b; }, nullptr};
const TwoObjectOperation kMul{"Mul(", Multiply, nullptr};
const TwoObjectOperation kPow{"Pow(", [](const TwoOperands& in) { return Power(in.a, in.b); }, nullptr};
// Solves a x = b.
const TwoObjectOperation kSlv{"Slv(", [](const TwoOperands& in) { return in.a.Inverse() * in.b; }, CheckSolveShapes};
// clang-format on

// Message boxes and the progress dialog run event loops while the object
// windows stay usable, so the selection may change and operand windows may
// close meanwhile: the clearing at the end clears what the list holds then,
// and no operand view is touched after a box or once the computation has
// started. A cancelled computation ends the command like an error, without
// a message.
void RunOneObjectCommand(CHollastrinDlg& dlg, const OneObjectOperation& op)
{
    const QList<CEntryControlView*>& selected = dlg.m_SelectedList;
    if (selected.isEmpty())
    {
        AppMessageBox(MessageText::kSelectOne);
        return;
    }
    if (selected.size() >= 2)
    {
        AppMessageBox(MessageText::kOnlyOne);
        dlg.DeselectTwo();
        return;
    }

    CEntryControlView* pFirst = selected.at(0);
    const QPointer<CHollastrinDlg> pDlg(&dlg);
    try
    {
        const CMatrix a(pFirst);
        const QString name = CHollastrinDlg::ResultName(op.pPrefix, pFirst, nullptr);
        const CMatrix result = ComputeWithProgress(&dlg, name, [&] { return op.pCompute(a); });
        dlg.CreateResultObject(result, name);
    }
    catch (const char* pText)
    {
        AppMessageBox(pText);
    }
    catch (const CComputationCancelled&)
    {
    }
    if (pDlg)
        pDlg->DeselectOne();
}

void RunTwoObjectCommand(CHollastrinDlg& dlg, const TwoObjectOperation& op)
{
    const QList<CEntryControlView*>& selected = dlg.m_SelectedList;
    if (selected.isEmpty())
    {
        AppMessageBox(MessageText::kSelectTwo);
        return;
    }
    if (selected.size() == 1)
    {
        AppMessageBox(MessageText::kSelectAnother);
        return;
    }

    CEntryControlView* pFirst = selected.at(0);
    CEntryControlView* pSecond = selected.at(1);
    const QPointer<CHollastrinDlg> pDlg(&dlg);
    const char* pShapeMessage = op.pCheckShapes ? op.pCheckShapes(*pFirst, *pSecond) : nullptr;
    if (pShapeMessage)
    {
        AppMessageBox(pShapeMessage);
    }
    else
    {
        try
        {
            const CMatrix a(pFirst);
            const CMatrix b(pSecond);
            const TwoOperands in{a,
                                 b,
                                 IsShownAsScalar(*pFirst),
                                 IsShownAsScalar(*pSecond),
                                 ScalarShown(*pFirst),
                                 ScalarShown(*pSecond)};
            const QString name = CHollastrinDlg::ResultName(op.pPrefix, pFirst, pSecond);
            const CMatrix result = ComputeWithProgress(&dlg, name, [&] { return op.pCompute(in); });
            dlg.CreateResultObject(result, name);
        }
        catch (const char* pText)
        {
            AppMessageBox(pText);
        }
        catch (const CComputationCancelled&)
        {
        }
    }
    if (pDlg)
        pDlg->DeselectTwo();
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
