#include "app/Operations.h"

#include "engine/MoreOperations.h"
#include "platform/MessageBox.h"

namespace
{
using Operands = std::span<const CMatrix>;
using Results = std::vector<CMatrix>;

// A number result is opened as an ordinary 1 x 1 object.
Results Number(double dValue)
{
    CMatrix result(1, 1);
    result.SetElement(0, 0, dValue);
    return {result};
}

Results One(CMatrix result)
{
    Results results;
    results.push_back(std::move(result));
    return results;
}

bool IsScalar(const CMatrix& m)
{
    return m.m_nRows == 1 && m.m_nCols == 1;
}

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
const char* CheckSolveShapes(int nRows1, int nCols1, int nRows2, int nCols2)
{
    if (nRows1 != nCols1)
        return MessageText::kSolveFirstNotSquare;
    if (nCols2 != 1 || nRows2 != nCols1)
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
const SOperation kMainOperations[] = {
    {"Mag", 1, "Magnitude of a vector", "Alt+M", [](Operands o) { return Number(o[0].Magnitude()); }},
    {"Dot", 2, "Dot product of two vectors", "Alt+D", [](Operands o) { return Number(Dot(o[0], o[1])); }},
    {"Crs", 2, "Cross product of two vectors", "Alt+X", [](Operands o) { return One(Cross(o[0], o[1])); }},
    {"Ang", 2, "Angle between two vectors", "Alt+G", [](Operands o) { return Number(Angle(o[0], o[1])); }},
    {"Add", 2, "Sum of two matrices", "Alt+A", [](Operands o) { return One(o[0] + o[1]); }},
    {"Sub", 2, "Difference of two matrices", "Alt+S", [](Operands o) { return One(o[0] - o[1]); }},
    {"Mul", 2, "Product of two matrices, or of a matrix and a number", "Alt+U", [](Operands o) { return One(Multiply(o[0], o[1])); }},
    {"Pow", 2, "Power of a square matrix, the exponent a 1 x 1 object", "Alt+P", [](Operands o) { return One(Power(o[0], o[1])); }},
    {"Trp", 1, "Transpose", "Alt+T", [](Operands o) { return One(o[0].Transpose()); }},
    {"Cof", 1, "Matrix of cofactors", "Alt+F", [](Operands o) { return One(o[0].Cofactor()); }},
    {"Adj", 1, "Adjoint, the transposed cofactors", "Alt+J", [](Operands o) { return One(o[0].Adjoint()); }},
    {"Inv", 1, "Inverse of a square matrix", "Alt+I", [](Operands o) { return One(o[0].Inverse()); }},
    {"Det", 1, "Determinant of a square matrix", "Alt+E", [](Operands o) { return Number(o[0].Determinant()); }},
    {"Trc", 1, "Product of the diagonal", "Alt+R", [](Operands o) { return Number(o[0].DiagonalProduct()); }},
    {"Cmp", 2, "Compare two objects", "Alt+C", nullptr, nullptr, ReportComparison},
    // Solves a x = b.
    {"Slv", 2, "Solve A x = b", "Alt+V", [](Operands o) { return One(o[0].Inverse() * o[1]); }, CheckSolveShapes},
};
// clang-format on
} // namespace

const SOperation& MainOperation(EMainOperation op)
{
    return kMainOperations[static_cast<int>(op)];
}

const SOperation& MoreOperation(EMoreOperation op)
{
    // The engine's rows with the windows' parts; made on first use, after
    // the engine's table.
    static const auto s_operations = []
    {
        // Alt+Shift and a letter of the caption: the main dialog's keys are
        // Alt and a letter, so no key of one window is one of the other's.
        // In the order of EMoreOperation.
        constexpr const char* kKeys[] = {
            "Alt+Shift+E", "Alt+Shift+V", "Alt+Shift+K", "Alt+Shift+R", "Alt+Shift+T",
            "Alt+Shift+M", "Alt+Shift+C", "Alt+Shift+S", "Alt+Shift+Q", "Alt+Shift+U",
            "Alt+Shift+P", "Alt+Shift+N", "Alt+Shift+L", "Alt+Shift+H",
        };
        static_assert(std::size(kKeys) == kMoreOperations.size());
        std::array<SOperation, kMoreOperations.size()> operations{};
        for (std::size_t k = 0; k < operations.size(); ++k)
        {
            const SMoreOperation& more = kMoreOperations[k];
            operations[k] = {more.pCaption, more.nOperands, more.pDescription, kKeys[k],
                             more.pCompute};
        }
        operations[static_cast<std::size_t>(EMoreOperation::Qr)].parts = {"Q", "R", nullptr};
        operations[static_cast<std::size_t>(EMoreOperation::Lu)].parts = {"P", "L", "U"};
        return operations;
    }();
    return s_operations[static_cast<std::size_t>(op)];
}

QString ResultName(const SOperation& op, const QString& first, const QString& second,
                   const char* pPart)
{
    QString name = QString::fromUtf8(op.pCaption);
    if (pPart)
        name += QLatin1Char('.') + QString::fromUtf8(pPart);
    name += QLatin1Char('(') + first;
    if (!second.isEmpty())
        name += QLatin1Char(',') + second;
    return name + QLatin1Char(')');
}
