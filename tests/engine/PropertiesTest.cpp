// Algebraic identities over many random matrices from 1 x 1 to 8 x 8.
#include "EngineTestSupport.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace
{

// The product of the rows' Euclidean lengths, which bounds |det|.
double HadamardBound(const CMatrix& m)
{
    double dBound = 1.0;
    for (int i = 0; i < m.m_nRows; ++i)
    {
        double dSum = 0.0;
        for (int j = 0; j < m.m_nCols; ++j)
        {
            dSum += m.GetElement(i, j) * m.GetElement(i, j);
        }
        dBound *= std::sqrt(dSum);
    }
    return dBound;
}

// Largest deviation of m from d x I.
double DistanceFromScaledIdentity(const CMatrix& m, double d)
{
    double dDistance = 0.0;
    for (int i = 0; i < m.m_nRows; ++i)
    {
        for (int j = 0; j < m.m_nCols; ++j)
        {
            dDistance = std::max(dDistance, std::fabs(m.GetElement(i, j) - (i == j ? d : 0.0)));
        }
    }
    return dDistance;
}

// The product as the plain triple loop writes it.
CMatrix ReferenceProduct(const CMatrix& a, const CMatrix& b)
{
    CMatrix result(a.m_nRows, b.m_nCols);
    for (int i = 0; i < a.m_nRows; ++i)
    {
        for (int j = 0; j < b.m_nCols; ++j)
        {
            for (int k = 0; k < a.m_nCols; ++k)
            {
                result.m_ppValues[i][j] =
                    a.m_ppValues[i][k] * b.m_ppValues[k][j] + result.m_ppValues[i][j];
            }
        }
    }
    return result;
}

} // namespace

TEST(MatrixProperties, SquareIdentities)
{
    std::mt19937 generator(12345);
    int nInverted = 0;
    for (int nTrial = 0; nTrial < 400; ++nTrial)
    {
        const int n = 1 + nTrial % 8;
        const CMatrix a = RandomMatrix(generator, n, n);
        const CMatrix b = RandomMatrix(generator, n, n);
        const SMatrixSnapshot beforeA(a);
        const SMatrixSnapshot beforeB(b);

        const double dDetA = a.Determinant();
        const double dDetB = b.Determinant();
        const double dDetAB = (a * b).Determinant();
        EXPECT_LE(std::fabs(dDetAB - dDetA * dDetB), 1e-11 * HadamardBound(a) * HadamardBound(b))
            << "trial " << nTrial;

        const CMatrix adjoint = a.Adjoint();
        EXPECT_LE(DistanceFromScaledIdentity(a * adjoint, dDetA),
                  1e-12 * n * LargestMagnitude(a) * std::max(LargestMagnitude(adjoint), 1.0))
            << "trial " << nTrial;
        EXPECT_TRUE(SameValues(adjoint, a.Cofactor().Transpose()));

        if (dDetA != 0.0)
        {
            const CMatrix inverse = a.Inverse();
            EXPECT_LE(DistanceFromScaledIdentity(a * inverse, 1.0),
                      1e-12 * n * LargestMagnitude(a) * LargestMagnitude(inverse))
                << "trial " << nTrial;
            EXPECT_TRUE(HoldsInvariants(inverse));
            ++nInverted;
        }

        EXPECT_EQ(SMatrixSnapshot(a), beforeA);
        EXPECT_EQ(SMatrixSnapshot(b), beforeB);
    }
    EXPECT_GT(nInverted, 300);
}

TEST(MatrixProperties, ShapesAndExactIdentities)
{
    std::mt19937 generator(777);
    std::uniform_int_distribution<int> size(1, 8);
    for (int nTrial = 0; nTrial < 400; ++nTrial)
    {
        const int nRows = size(generator);
        const int nInner = size(generator);
        const int nCols = size(generator);
        const CMatrix a = RandomMatrix(generator, nRows, nInner);
        const CMatrix b = RandomMatrix(generator, nInner, nCols);
        const SMatrixSnapshot beforeA(a);
        const SMatrixSnapshot beforeB(b);

        EXPECT_TRUE(SameValues(a.Transpose().Transpose(), a));
        EXPECT_TRUE(SameValues(a * b, ReferenceProduct(a, b)));
        EXPECT_TRUE(HoldsInvariants(a * b));
        EXPECT_TRUE(SameValues((a + a) - a, a));
        EXPECT_TRUE(SameValues(a * 2.0, a + a));

        EXPECT_EQ(SMatrixSnapshot(a), beforeA);
        EXPECT_EQ(SMatrixSnapshot(b), beforeB);
    }
}
