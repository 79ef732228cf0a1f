// The matrix value type and its operations.
//
// Every result is computed in double precision in one fixed order of
// operations, so that the same operands always give the same bits. Where the
// code below takes a faster route than the plain loops (the determinant's and
// the inverse's eliminations, the product's loop order, the power's reuse of
// buffers), each stored value still goes through exactly the same sequence of
// roundings; only work whose result is never read again, or is known bit for
// bit already (the repeating products of a power), is left out.
//
// Long operations report their progress (Progress.h) between units of work;
// a sink that throws ends them with nothing changed and nothing leaked.
#include "engine/Matrix.h"

#include "engine/Progress.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace
{

// The identity pattern: 1.0 on the leading diagonal as far as it reaches.
void FillIdentityPattern(double** ppRows, int nRows, int nCols) noexcept
{
    for (int i = 0; i < nRows; ++i)
    {
        std::fill(ppRows[i], ppRows[i] + nCols, 0.0);
        if (i < nCols)
        {
            ppRows[i][i] = 1.0;
        }
    }
}

// Working storage for the elimination of an n x n block: the elements and a
// table of row pointers that the pivoting may exchange. Small orders live on
// the stack so that the minors of the cofactors cost no allocation.
class CSquareScratch
{
public:
    explicit CSquareScratch(int nOrder)
    {
        if (nOrder > kStackOrder)
        {
            const auto nCount = static_cast<std::size_t>(nOrder);
            m_vElements.resize(nCount * nCount);
            m_vRows.resize(nCount);
            m_pElements = m_vElements.data();
            m_ppRows = m_vRows.data();
        }
        else
        {
            m_pElements = m_aElements;
            m_ppRows = m_aRows;
        }
        m_nOrder = nOrder;
    }
    CSquareScratch(const CSquareScratch&) = delete;
    CSquareScratch& operator=(const CSquareScratch&) = delete;

    // Points row i at the i-th stretch of the elements again (the pivoting
    // exchanges the pointers) and returns the table.
    double** ResetRows() noexcept
    {
        for (int i = 0; i < m_nOrder; ++i)
        {
            m_ppRows[i] = m_pElements + static_cast<std::size_t>(i) * m_nOrder;
        }
        return m_ppRows;
    }

private:
    static constexpr int kStackOrder = 24;

    double m_aElements[kStackOrder * kStackOrder];
    double* m_aRows[kStackOrder];
    std::vector<double> m_vElements;
    std::vector<double*> m_vRows;
    double* m_pElements;
    double** m_ppRows;
    int m_nOrder;
};

// Chooses the pivot row of column nCol among rows nFirst and below: the row
// whose magnitude is strictly greater than every earlier candidate and the
// threshold. Returns -1 when there is none.
int ChoosePivotRow(double* const* ppRows, int nFirst, int nCol, int nOrder) noexcept
{
    double dBest = kPivotThreshold;
    int nChosen = -1;
    for (int i = nFirst; i < nOrder; ++i)
    {
        const double dMagnitude = std::fabs(ppRows[i][nCol]);
        if (dMagnitude > dBest)
        {
            dBest = dMagnitude;
            nChosen = i;
        }
    }
    return nChosen;
}

// row[j] = factor x pivot[j] + row[j] for j from nFirst to nLast - 1. Two
// elements per round, both loaded before either is stored, so that the
// compiler can pair them in one vector operation; each element's arithmetic
// is the same.
void AddScaledRow(double* pRow, const double* pPivotRow, double dFactor, int nFirst,
                  int nLast) noexcept
{
    int j = nFirst;
    for (; j + 2 <= nLast; j += 2)
    {
        const double dPivot0 = pPivotRow[j];
        const double dPivot1 = pPivotRow[j + 1];
        const double dRow0 = pRow[j];
        const double dRow1 = pRow[j + 1];
        pRow[j] = dFactor * dPivot0 + dRow0;
        pRow[j + 1] = dFactor * dPivot1 + dRow1;
    }
    if (j < nLast)
    {
        pRow[j] = dFactor * pPivotRow[j] + pRow[j];
    }
}

// The forward elimination of an n x n working copy. A row operation combines
// the elements of each column separately, with factors taken from the pivot
// column, and a column left of the current pivot column is never read again;
// so each step updates only the values right of its pivot column. The augment
// block, when given, is carried along whole. The accumulator collects the
// pivots by which rows are divided and the sign of every row exchange.
// Returns false when a step finds no usable pivot.
bool ForwardEliminate(double** ppValues, double** ppAugment, int nOrder,
                      double& dAccumulator) noexcept
{
    for (int c = 0; c < nOrder; ++c)
    {
        const int nChosen = ChoosePivotRow(ppValues, c, c, nOrder);
        if (nChosen < 0)
        {
            return false;
        }
        if (nChosen != c)
        {
            std::swap(ppValues[nChosen], ppValues[c]);
            if (ppAugment)
            {
                std::swap(ppAugment[nChosen], ppAugment[c]);
            }
            dAccumulator = dAccumulator * -1.0;
        }
        double* const pPivotValues = ppValues[c];
        double* const pPivotAugment = ppAugment ? ppAugment[c] : nullptr;
        const double dPivot = pPivotValues[c];
        if (dPivot != 1.0)
        {
            for (int j = c + 1; j < nOrder; ++j)
            {
                pPivotValues[j] = pPivotValues[j] / dPivot;
            }
            if (pPivotAugment)
            {
                for (int j = 0; j < nOrder; ++j)
                {
                    pPivotAugment[j] = pPivotAugment[j] / dPivot;
                }
            }
            dAccumulator = dAccumulator * dPivot;
        }
        for (int i = c + 1; i < nOrder; ++i)
        {
            double* const pRow = ppValues[i];
            if (pRow[c] == 0.0)
            {
                continue;
            }
            const double dFactor = -1.0 * pRow[c];
            AddScaledRow(pRow, pPivotValues, dFactor, c + 1, nOrder);
            if (pPivotAugment)
            {
                AddScaledRow(ppAugment[i], pPivotAugment, dFactor, 0, nOrder);
            }
        }
    }
    return true;
}

// The determinant of an n x n block, which is destroyed: 0.0 when the
// elimination finds no usable pivot. The empty block has determinant 1.0,
// the empty product.
double EliminationDeterminant(double** ppRows, int nOrder) noexcept
{
    double dAccumulator = 1.0;
    return ForwardEliminate(ppRows, nullptr, nOrder, dAccumulator) ? dAccumulator : 0.0;
}

// The complete Gauss-Jordan elimination of an n x n working copy, leaving the
// inverse in the augment block. Of the values only the part that is still
// read later is updated (in the back substitution, the columns right of the
// one being cleared). Throws the pivot text when a step finds no usable
// pivot.
void EliminateForInverse(double** ppValues, double** ppAugment, int nOrder)
{
    double dAccumulator = 1.0;
    if (!ForwardEliminate(ppValues, ppAugment, nOrder, dAccumulator))
    {
        throw EngineText::kPivotTooSmall;
    }
    for (int i = 0; i + 1 < nOrder; ++i)
    {
        double* const pRow = ppValues[i];
        for (int j = i + 1; j < nOrder; ++j)
        {
            if (pRow[j] != 0.0)
            {
                const double dFactor = -1.0 * pRow[j];
                AddScaledRow(pRow, ppValues[j], dFactor, j + 1, nOrder);
                AddScaledRow(ppAugment[i], ppAugment[j], dFactor, 0, nOrder);
            }
        }
    }
}

// One block of the product: rows i to i + R - 1 and columns j to j + W - 1 of
// the result, each element accumulated in a local from 0.0 over k = 0, 1, ...
// (sum = a(i, k) x b(k, j) + sum). The block's sums stay in registers while
// each loaded stretch of a row of b serves all R rows.
template <int R, int W>
void MultiplyBlock(const CMatrix& a, const CMatrix& b, CMatrix& result, int i, int j) noexcept
{
    double sums[R][W] = {};
    const int nInner = a.m_nCols;
    for (int k = 0; k < nInner; ++k)
    {
        const double* const pRight = b.m_ppValues[k] + j;
        double right[W];
#pragma GCC unroll 8
        for (int t = 0; t < W; ++t)
        {
            right[t] = pRight[t];
        }
#pragma GCC unroll 2
        for (int r = 0; r < R; ++r)
        {
            const double dLeft = a.m_ppValues[i + r][k];
#pragma GCC unroll 8
            for (int t = 0; t < W; ++t)
            {
                sums[r][t] = dLeft * right[t] + sums[r][t];
            }
        }
    }
    for (int r = 0; r < R; ++r)
    {
#pragma GCC unroll 8
        for (int t = 0; t < W; ++t)
        {
            result.m_ppValues[i + r][j + t] = sums[r][t];
        }
    }
}

// Rows i to i + R - 1 of the product, in column blocks of 8, 4, 2 and 1.
template <int R>
void MultiplyRows(const CMatrix& a, const CMatrix& b, CMatrix& result, int i) noexcept
{
    const int nCols = b.m_nCols;
    int j = 0;
    for (; j + 8 <= nCols; j += 8)
    {
        MultiplyBlock<R, 8>(a, b, result, i, j);
    }
    if (j + 4 <= nCols)
    {
        MultiplyBlock<R, 4>(a, b, result, i, j);
        j += 4;
    }
    if (j + 2 <= nCols)
    {
        MultiplyBlock<R, 2>(a, b, result, i, j);
        j += 2;
    }
    if (j < nCols)
    {
        MultiplyBlock<R, 1>(a, b, result, i, j);
    }
}

// result = a x b, into a result of shape rows(a) x cols(b) whatever it held
// (it must be neither operand). Every element is the sum over k = 0, 1, ... of
// a(i, k) x b(k, j), accumulated from 0.0 one product at a time; the blocking
// only decides which elements are computed side by side.
void MultiplyInto(const CMatrix& a, const CMatrix& b, CMatrix& result) noexcept
{
    int i = 0;
    for (; i + 2 <= a.m_nRows; i += 2)
    {
        MultiplyRows<2>(a, b, result, i);
    }
    if (i < a.m_nRows)
    {
        MultiplyRows<1>(a, b, result, i);
    }
}

// Copies the values of a matrix into another of the same shape.
void CopyValues(const CMatrix& src, CMatrix& dst) noexcept
{
    for (int i = 0; i < src.m_nRows; ++i)
    {
        std::copy(src.m_ppValues[i], src.m_ppValues[i] + src.m_nCols, dst.m_ppValues[i]);
    }
}

// Whether two matrices of the same shape hold the same bits in every value:
// NaNs with the same payload are equal, 0.0 and -0.0 differ.
bool SameBits(const CMatrix& a, const CMatrix& b) noexcept
{
    const auto nRowBytes = static_cast<std::size_t>(a.m_nCols) * sizeof(double);
    for (int i = 0; i < a.m_nRows; ++i)
    {
        if (std::memcmp(a.m_ppValues[i], b.m_ppValues[i], nRowBytes) != 0)
        {
            return false;
        }
    }
    return true;
}

// The sign of the cofactor at (i, j): (-1) to the power i + j.
double CofactorSign(int i, int j) noexcept
{
    return (i + j) % 2 == 0 ? 1.0 : -1.0;
}

} // namespace

// ---------------------------------------------------------------------------
// Construction, copying, storage

CMatrix::CMatrix() : CMatrix(2, 2) {}

CMatrix::CMatrix(int nRows, int nCols)
    : m_ppAugment(nullptr), m_ppValues(nullptr), m_dDeterminant(1.0), m_nCols(0), m_nRows(0)
{
    Allocate(nRows, nCols);
    SetAugmentIdentity();
}

CMatrix::CMatrix(double** ppSource, int nRows, int nCols) : CMatrix(nRows, nCols)
{
    for (int i = 0; i < m_nRows; ++i)
    {
        std::copy(ppSource[i], ppSource[i] + m_nCols, m_ppValues[i]);
    }
}

CMatrix::CMatrix(const CMatrix& src)
    : m_ppAugment(nullptr), m_ppValues(nullptr), m_dDeterminant(1.0), m_nCols(0), m_nRows(0)
{
    Allocate(src.m_nRows, src.m_nCols);
    CopyBlocks(src);
}

CMatrix::CMatrix(CMatrix&& src) noexcept
    : m_ppAugment(src.m_ppAugment), m_ppValues(src.m_ppValues), m_dDeterminant(1.0),
      m_nCols(src.m_nCols), m_nRows(src.m_nRows), m_pRowTable(std::move(src.m_pRowTable)),
      m_pElements(std::move(src.m_pElements))
{
    src.m_ppAugment = nullptr;
    src.m_ppValues = nullptr;
    src.m_nCols = 0;
    src.m_nRows = 0;
    src.m_dDeterminant = 1.0;
}

CMatrix& CMatrix::operator=(const CMatrix& src)
{
    if (this == &src)
    {
        return *this;
    }
    if (m_nRows != src.m_nRows || m_nCols != src.m_nCols)
    {
        // Build the new shape completely before giving up the old one.
        *this = CMatrix(src);
    }
    else
    {
        CopyBlocks(src);
    }
    m_dDeterminant = 1.0;
    return *this;
}

CMatrix& CMatrix::operator=(CMatrix&& src) noexcept
{
    if (this == &src)
    {
        return *this;
    }
    m_pRowTable = std::move(src.m_pRowTable);
    m_pElements = std::move(src.m_pElements);
    m_ppAugment = src.m_ppAugment;
    m_ppValues = src.m_ppValues;
    m_nCols = src.m_nCols;
    m_nRows = src.m_nRows;
    m_dDeterminant = 1.0;
    src.m_ppAugment = nullptr;
    src.m_ppValues = nullptr;
    src.m_nCols = 0;
    src.m_nRows = 0;
    src.m_dDeterminant = 1.0;
    return *this;
}

CMatrix::~CMatrix() = default;

void CMatrix::Allocate(int nRows, int nCols)
{
    // Callers never pass negative sizes; should one slip through, it becomes
    // an empty dimension rather than a wild allocation.
    nRows = std::max(nRows, 0);
    nCols = std::max(nCols, 0);
    const auto nRowCount = static_cast<std::size_t>(nRows);
    const auto nColCount = static_cast<std::size_t>(nCols);

    auto pRowTable = std::make_unique<double*[]>(2 * nRowCount);
    auto pElements = std::make_unique<double[]>(2 * nRowCount * nColCount);
    for (std::size_t i = 0; i < 2 * nRowCount; ++i)
    {
        pRowTable[i] = pElements.get() + i * nColCount;
    }

    m_pRowTable = std::move(pRowTable);
    m_pElements = std::move(pElements);
    m_ppValues = m_pRowTable.get();
    m_ppAugment = m_pRowTable.get() + nRowCount;
    m_nRows = nRows;
    m_nCols = nCols;
}

void CMatrix::SetAugmentIdentity() noexcept
{
    FillIdentityPattern(m_ppAugment, m_nRows, m_nCols);
}

void CMatrix::CopyBlocks(const CMatrix& src) noexcept
{
    for (int i = 0; i < m_nRows; ++i)
    {
        std::copy(src.m_ppValues[i], src.m_ppValues[i] + m_nCols, m_ppValues[i]);
        std::copy(src.m_ppAugment[i], src.m_ppAugment[i] + m_nCols, m_ppAugment[i]);
    }
}

// ---------------------------------------------------------------------------
// Arithmetic

CMatrix operator+(const CMatrix& a, const CMatrix& b)
{
    if (a.m_nRows != b.m_nRows || a.m_nCols != b.m_nCols)
    {
        throw EngineText::kUnequalDimensions;
    }
    CMatrix result(a.m_nRows, a.m_nCols);
    for (int i = 0; i < a.m_nRows; ++i)
    {
        for (int j = 0; j < a.m_nCols; ++j)
        {
            result.m_ppValues[i][j] = a.m_ppValues[i][j] + b.m_ppValues[i][j];
        }
    }
    return result;
}

CMatrix operator-(const CMatrix& a, const CMatrix& b)
{
    if (a.m_nRows != b.m_nRows || a.m_nCols != b.m_nCols)
    {
        throw EngineText::kUnequalDimensions;
    }
    CMatrix result(a.m_nRows, a.m_nCols);
    for (int i = 0; i < a.m_nRows; ++i)
    {
        for (int j = 0; j < a.m_nCols; ++j)
        {
            result.m_ppValues[i][j] = a.m_ppValues[i][j] - b.m_ppValues[i][j];
        }
    }
    return result;
}

CMatrix operator*(const CMatrix& a, const CMatrix& b)
{
    if (a.m_nCols != b.m_nRows)
    {
        throw EngineText::kProductShape;
    }
    CMatrix result(a.m_nRows, b.m_nCols);
    MultiplyInto(a, b, result);
    return result;
}

CMatrix operator*(const CMatrix& m, double d)
{
    CMatrix result(m.m_nRows, m.m_nCols);
    for (int i = 0; i < m.m_nRows; ++i)
    {
        for (int j = 0; j < m.m_nCols; ++j)
        {
            result.m_ppValues[i][j] = m.m_ppValues[i][j] * d;
        }
    }
    return result;
}

CMatrix Power(const CMatrix& base, const CMatrix& exponent)
{
    if (base.m_nRows != base.m_nCols)
    {
        throw EngineText::kFirstNotSquare;
    }
    if (exponent.m_nRows != 1 || exponent.m_nCols != 1)
    {
        throw EngineText::kExponentNotInteger;
    }
    // A whole number from 0 to the largest int. The comparisons come before
    // any conversion, so NaN, infinities and values beyond int's range are
    // rejected without ever being converted; -0.0 passes as 0.
    const double dExponent = exponent.m_ppValues[0][0];
    if (!(dExponent >= 0.0 && dExponent <= 2147483647.0) || std::trunc(dExponent) != dExponent)
    {
        throw EngineText::kExponentNotInteger;
    }
    const int nExponent = static_cast<int>(dExponent);

    const int nOrder = base.m_nRows;
    CMatrix result(nOrder, nOrder);
    if (nExponent == 0)
    {
        for (int i = 0; i < nOrder; ++i)
        {
            result.m_ppValues[i][i] = 1.0;
        }
        return result;
    }
    result = base;
    if (nExponent > 1)
    {
        // The running result r(1) = base, r(t + 1) = r(t) x base, alternating
        // between two buffers instead of allocating a matrix per product;
        // r(k) is the answer.
        //
        // Each product depends on nothing but the bits of the running result
        // (the base being fixed), so once a running result comes back bit for bit, the sequence
        // repeats from there on. Brent's cycle search keeps one mark: a copy
        // of r(s) taken when the distance from the previous mark reached the
        // current span, which then doubles. When r(t) equals the mark, the
        // sequence has period t - s from s on, and r(k) = r(t + (k - t) mod
        // (t - s)): only those last products remain. Fixed points (identity,
        // zero, overflow to infinity or NaN, underflow to zero) and short
        // cycles (permutations) thus end after a handful of products;
        // everything else costs one comparison per product, which normally
        // stops at the first element.
        const long long nExponentLL = nExponent;
        long long nStep = 1;               // the running result is r(nStep)
        long long nLastStep = nExponentLL; // the last r that must be computed
        bool bCycleKnown = false;
        CMatrix next(nOrder, nOrder);
        CMatrix mark(nOrder, nOrder);
        long long nMarkStep = 1;
        long long nSpan = 1;
        CopyValues(result, mark);
        while (nStep < nLastStep)
        {
            MultiplyInto(result, base, next);
            std::swap(result, next);
            ++nStep;
            if (!bCycleKnown)
            {
                if (SameBits(result, mark))
                {
                    const long long nPeriod = nStep - nMarkStep;
                    nLastStep = nStep + (nExponentLL - nStep) % nPeriod;
                    bCycleKnown = true;
                }
                else if (nStep - nMarkStep == nSpan)
                {
                    CopyValues(result, mark);
                    nMarkStep = nStep;
                    nSpan *= 2;
                }
            }
            ReportProgress(nStep - 1, nLastStep - 1);
        }
    }
    return result;
}

CMatrix CMatrix::Transpose() const
{
    CMatrix result(m_nCols, m_nRows);
    for (int i = 0; i < m_nCols; ++i)
    {
        for (int j = 0; j < m_nRows; ++j)
        {
            result.m_ppValues[i][j] = m_ppValues[j][i];
        }
    }
    return result;
}

double CMatrix::DiagonalProduct() const
{
    if (m_nRows != m_nCols)
    {
        throw EngineText::kSelectedNotSquare;
    }
    double dProduct = 1.0;
    for (int i = 0; i < m_nRows; ++i)
    {
        dProduct = dProduct * m_ppValues[i][i];
    }
    return dProduct;
}

// ---------------------------------------------------------------------------
// Elimination steps, on working copies

void CMatrix::Eliminate(int nRow, int nCol)
{
    for (;;)
    {
        Pivot(nRow, nCol);
        NormalizeRow(nRow, nCol);
        EliminateBelow(nRow, nCol);
        if (nRow >= m_nRows - 1)
        {
            return;
        }
        ++nRow;
        ++nCol;
    }
}

void CMatrix::Pivot(int nRow, int nCol)
{
    const int nChosen = ChoosePivotRow(m_ppValues, nRow, nCol, m_nRows);
    if (nChosen < 0)
    {
        m_dDeterminant = 0.0;
        throw EngineText::kPivotTooSmall;
    }
    if (nChosen != nRow)
    {
        SwapRows(nChosen, nRow);
        m_dDeterminant = m_dDeterminant * -1.0;
    }
}

void CMatrix::SwapRows(int nRowA, int nRowB)
{
    // The rows' contents move by exchanging their pointers.
    std::swap(m_ppValues[nRowA], m_ppValues[nRowB]);
    std::swap(m_ppAugment[nRowA], m_ppAugment[nRowB]);
}

void CMatrix::NormalizeRow(int nRow, int nCol)
{
    const double dPivot = m_ppValues[nRow][nCol];
    if (dPivot == 1.0)
    {
        return;
    }
    for (int j = 0; j < m_nCols; ++j)
    {
        m_ppValues[nRow][j] = m_ppValues[nRow][j] / dPivot;
        m_ppAugment[nRow][j] = m_ppAugment[nRow][j] / dPivot;
    }
    m_dDeterminant = m_dDeterminant * dPivot;
}

void CMatrix::EliminateBelow(int nRow, int nCol)
{
    for (int i = nRow + 1; i < m_nRows; ++i)
    {
        if (m_ppValues[i][nCol] == 0.0)
        {
            continue;
        }
        const double dFactor = -1.0 * m_ppValues[i][nCol];
        AddScaledRow(m_ppValues[i], m_ppValues[nRow], dFactor, 0, m_nCols);
        AddScaledRow(m_ppAugment[i], m_ppAugment[nRow], dFactor, 0, m_nCols);
    }
}

void CMatrix::BackSubstitute()
{
    for (int i = 0; i + 1 < m_nRows; ++i)
    {
        for (int j = i + 1; j < m_nCols; ++j)
        {
            if (m_ppValues[i][j] != 0.0)
            {
                ClearAbove(i, j);
            }
        }
    }
}

void CMatrix::ClearAbove(int nRow, int nPivotRow)
{
    const double dFactor = -1.0 * m_ppValues[nRow][nPivotRow];
    AddScaledRow(m_ppValues[nRow], m_ppValues[nPivotRow], dFactor, 0, m_nCols);
    AddScaledRow(m_ppAugment[nRow], m_ppAugment[nPivotRow], dFactor, 0, m_nCols);
}

// ---------------------------------------------------------------------------
// Operations by elimination

double CMatrix::Determinant() const
{
    if (m_nRows != m_nCols)
    {
        throw EngineText::kSelectedNotSquare;
    }
    CSquareScratch scratch(m_nRows);
    double** const ppRows = scratch.ResetRows();
    for (int i = 0; i < m_nRows; ++i)
    {
        std::copy(m_ppValues[i], m_ppValues[i] + m_nCols, ppRows[i]);
    }
    return EliminationDeterminant(ppRows, m_nRows);
}

CMatrix CMatrix::Inverse() const
{
    if (m_nRows != m_nCols)
    {
        throw EngineText::kSelectedNotSquare;
    }
    CMatrix working(*this);
    EliminateForInverse(working.m_ppValues, working.m_ppAugment, m_nRows);
    return CMatrix(working.m_ppAugment, m_nRows, m_nCols);
}

CMatrix CMatrix::Cofactor() const
{
    if (m_nRows != m_nCols)
    {
        throw EngineText::kSelectedNotSquare;
    }
    const int nOrder = m_nRows;
    const int nMinor = nOrder > 0 ? nOrder - 1 : 0;
    CMatrix result(nOrder, nOrder);
    CSquareScratch scratch(nMinor);
    // One unit of progress per minor.
    const long long nTotal = static_cast<long long>(nOrder) * nOrder;
    for (int i = 0; i < nOrder; ++i)
    {
        const long long nDone = static_cast<long long>(i) * nOrder;
        for (int j = 0; j < nOrder; ++j)
        {
            double** const ppMinor = scratch.ResetRows();
            for (int r = 0; r < nMinor; ++r)
            {
                const double* const pSource = m_ppValues[r < i ? r : r + 1];
                std::copy(pSource, pSource + j, ppMinor[r]);
                std::copy(pSource + j + 1, pSource + nOrder, ppMinor[r] + j);
            }
            result.m_ppValues[i][j] = EliminationDeterminant(ppMinor, nMinor) * CofactorSign(i, j);
            ReportProgress(nDone + j + 1, nTotal);
        }
    }
    return result;
}

CMatrix CMatrix::Adjoint() const
{
    if (m_nRows != m_nCols)
    {
        throw EngineText::kSelectedNotSquare;
    }
    return Cofactor().Transpose();
}

// ---------------------------------------------------------------------------
// Vector operations

double CMatrix::Magnitude() const
{
    if (m_nRows != 1 && m_nCols != 1)
    {
        throw EngineText::kIllegalOperation;
    }
    double dSum = 0.0;
    if (m_nRows == 1)
    {
        for (int j = 0; j < m_nCols; ++j)
        {
            const double v = m_ppValues[0][j];
            dSum = v * v + dSum;
        }
    }
    else
    {
        for (int i = 0; i < m_nRows; ++i)
        {
            const double v = m_ppValues[i][0];
            dSum = v * v + dSum;
        }
    }
    return std::sqrt(dSum);
}

double Dot(const CMatrix& a, const CMatrix& b)
{
    double dSum = 0.0;
    if (a.m_nRows == 1 && b.m_nRows == 1 && a.m_nCols == b.m_nCols)
    {
        for (int k = 0; k < a.m_nCols; ++k)
        {
            dSum = a.m_ppValues[0][k] * b.m_ppValues[0][k] + dSum;
        }
    }
    else if (a.m_nCols == 1 && b.m_nCols == 1 && a.m_nRows == b.m_nRows)
    {
        for (int k = 0; k < a.m_nRows; ++k)
        {
            dSum = a.m_ppValues[k][0] * b.m_ppValues[k][0] + dSum;
        }
    }
    else
    {
        throw EngineText::kVectorPair;
    }
    return dSum;
}

CMatrix Cross(const CMatrix& a, const CMatrix& b)
{
    const bool bRows = a.m_nRows == 1 && a.m_nCols == 3 && b.m_nRows == 1 && b.m_nCols == 3;
    const bool bColumns = a.m_nRows == 3 && a.m_nCols == 1 && b.m_nRows == 3 && b.m_nCols == 1;
    if (!bRows && !bColumns)
    {
        throw EngineText::kVectorPair;
    }
    // Element k of a row vector is (0, k), of a column vector (k, 0).
    const auto element = [bRows](double** ppValues, int k) -> double&
    { return bRows ? ppValues[0][k] : ppValues[k][0]; };

    CMatrix result = bRows ? CMatrix(1, 3) : CMatrix(3, 1);
    const double a0 = element(a.m_ppValues, 0);
    const double a1 = element(a.m_ppValues, 1);
    const double a2 = element(a.m_ppValues, 2);
    const double b0 = element(b.m_ppValues, 0);
    const double b1 = element(b.m_ppValues, 1);
    const double b2 = element(b.m_ppValues, 2);
    element(result.m_ppValues, 0) = (a1 * b2) - (a2 * b1);
    element(result.m_ppValues, 1) = -1.0 * ((a0 * b2) - (a2 * b0));
    element(result.m_ppValues, 2) = (a0 * b1) - (a1 * b0);
    return result;
}

double Angle(const CMatrix& a, const CMatrix& b)
{
    const double dMagnitudeA = a.Magnitude();
    if (dMagnitudeA == 0.0)
    {
        throw EngineText::kZeroMagnitude;
    }
    const double dMagnitudeB = b.Magnitude();
    if (dMagnitudeB == 0.0)
    {
        throw EngineText::kZeroMagnitude;
    }
    const double dDot = Dot(a, b);
    // Rounding can put the cosine just outside [-1, 1] (a vector with itself
    // may give 1.0000000000000002); clamp it so that acos gives 0 or pi, not
    // NaN.
    const double dCosine = std::clamp(dDot / (dMagnitudeA * dMagnitudeB), -1.0, 1.0);
    return std::acos(dCosine);
}
