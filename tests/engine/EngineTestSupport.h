// Helpers shared by the engine tests: building matrices from literals,
// comparing them bit for bit, and checking the thrown message texts (the
// sample matrices and Bits come from tests/support/MatrixHelpers.h).
#pragma once

#include "engine/Matrix.h"
#include "tests/support/MatrixHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

// A matrix with the given rows; every row must have the same length.
inline CMatrix MakeMatrix(std::initializer_list<std::initializer_list<double>> rows)
{
    const int nRows = static_cast<int>(rows.size());
    const int nCols = nRows > 0 ? static_cast<int>(rows.begin()->size()) : 0;
    CMatrix m(nRows, nCols);
    int i = 0;
    for (const auto& row : rows)
    {
        int j = 0;
        for (double d : row)
        {
            m.SetElement(i, j++, d);
        }
        ++i;
    }
    return m;
}

// The largest magnitude among the elements (0 for none).
inline double LargestMagnitude(const CMatrix& m)
{
    double dLargest = 0.0;
    for (int i = 0; i < m.m_nRows; ++i)
        for (int j = 0; j < m.m_nCols; ++j)
            dLargest = std::max(dLargest, std::fabs(m.GetElement(i, j)));
    return dLargest;
}

// A plain copy of everything a matrix holds, to check later that an
// operation left its operand alone.
struct SMatrixSnapshot
{
    int nRows;
    int nCols;
    std::vector<std::uint64_t> values;
    std::vector<std::uint64_t> augment;
    std::uint64_t accumulator;

    explicit SMatrixSnapshot(const CMatrix& m)
        : nRows(m.m_nRows), nCols(m.m_nCols), accumulator(Bits(m.m_dDeterminant))
    {
        for (int i = 0; i < m.m_nRows; ++i)
        {
            for (int j = 0; j < m.m_nCols; ++j)
            {
                values.push_back(Bits(m.m_ppValues[i][j]));
                augment.push_back(Bits(m.m_ppAugment[i][j]));
            }
        }
    }
    bool operator==(const SMatrixSnapshot&) const = default;
};

// Same shape and the same bits in every value.
inline ::testing::AssertionResult SameValues(const CMatrix& actual, const CMatrix& expected)
{
    if (actual.m_nRows != expected.m_nRows || actual.m_nCols != expected.m_nCols)
    {
        return ::testing::AssertionFailure()
               << "shape " << actual.m_nRows << "x" << actual.m_nCols << ", expected "
               << expected.m_nRows << "x" << expected.m_nCols;
    }
    for (int i = 0; i < actual.m_nRows; ++i)
    {
        for (int j = 0; j < actual.m_nCols; ++j)
        {
            if (Bits(actual.GetElement(i, j)) != Bits(expected.GetElement(i, j)))
            {
                return ::testing::AssertionFailure()
                       << "element (" << i << ", " << j << ") is " << actual.GetElement(i, j)
                       << ", expected " << expected.GetElement(i, j);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The invariants of every matrix an operation returns: identity pattern in
// the augment block and accumulator 1.0.
inline ::testing::AssertionResult HoldsInvariants(const CMatrix& m)
{
    if (Bits(m.m_dDeterminant) != Bits(1.0))
    {
        return ::testing::AssertionFailure() << "accumulator " << m.m_dDeterminant;
    }
    for (int i = 0; i < m.m_nRows; ++i)
    {
        for (int j = 0; j < m.m_nCols; ++j)
        {
            if (Bits(m.m_ppAugment[i][j]) != Bits(i == j ? 1.0 : 0.0))
            {
                return ::testing::AssertionFailure() << "augment (" << i << ", " << j << ")";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Runs the operation and reports which message text it threw, if any.
template <typename F> std::string ThrownText(F&& operation)
{
    try
    {
        operation();
    }
    catch (const char* pText)
    {
        return pText;
    }
    return "<nothing thrown>";
}
