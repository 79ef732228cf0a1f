// Determinant, inverse, cofactors, adjoint and the elimination steps.
#include "EngineTestSupport.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <string>

namespace
{

// The determinant and the inverse done with the public elimination steps on a
// working copy, one whole row operation at a time: the reference for the
// faster routes of Determinant and Inverse.
double StepwiseDeterminant(const CMatrix& a)
{
    CMatrix working(a.m_nRows, a.m_nCols);
    working = a;
    try
    {
        working.Eliminate(0, 0);
    }
    catch (const char*)
    {
    }
    return working.m_dDeterminant;
}

CMatrix StepwiseInverse(const CMatrix& a)
{
    CMatrix working(a.m_nRows, a.m_nCols);
    working = a;
    working.Eliminate(0, 0);
    working.BackSubstitute();
    return CMatrix(working.m_ppAugment, a.m_nRows, a.m_nCols);
}

} // namespace

TEST(MatrixDeterminant, ExactResults)
{
    EXPECT_EQ(Bits(MakeMatrix({{1, 2}, {3, 4}}).Determinant()), Bits(-2.0));
    EXPECT_EQ(Bits(MakeMatrix({{0, 1}, {1, 0}}).Determinant()), Bits(-1.0));
    EXPECT_EQ(Bits(MakeMatrix({{1, 2}, {2, 4}}).Determinant()), Bits(0.0));
    EXPECT_EQ(Bits(MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}).Determinant()), Bits(0.0));
    EXPECT_EQ(Bits(MakeMatrix({{1.0e-8}}).Determinant()), Bits(0.0));
    EXPECT_EQ(Bits(MakeMatrix({{-1.0e-8}}).Determinant()), Bits(0.0));
    EXPECT_EQ(Bits(MakeMatrix({{2.0e-8}}).Determinant()), Bits(2.0e-8));
    EXPECT_EQ(Bits(MakeMatrix({{-3.0}}).Determinant()), Bits(-3.0));
    // The empty product.
    EXPECT_EQ(CMatrix(0, 0).Determinant(), 1.0);
}

TEST(MatrixDeterminant, NonSquareIsRefused)
{
    EXPECT_EQ(ThrownText([] { (void)CMatrix(2, 3).Determinant(); }),
              EngineText::kSelectedNotSquare);
    EXPECT_EQ(ThrownText([] { (void)CMatrix(2, 3).Inverse(); }), EngineText::kSelectedNotSquare);
    EXPECT_EQ(ThrownText([] { (void)CMatrix(3, 2).Cofactor(); }), EngineText::kSelectedNotSquare);
    EXPECT_EQ(ThrownText([] { (void)CMatrix(1, 0).Adjoint(); }), EngineText::kSelectedNotSquare);
}

TEST(MatrixInverse, ExactResults)
{
    EXPECT_TRUE(SameValues(MakeMatrix({{2}}).Inverse(), MakeMatrix({{0.5}})));
    EXPECT_TRUE(SameValues(MakeMatrix({{2, 0, 0}, {0, 3, 0}, {0, 0, 4}}).Inverse(),
                           MakeMatrix({{0.5, 0, 0}, {0, 1.0 / 3.0, 0}, {0, 0, 0.25}})));
    EXPECT_TRUE(SameValues(MakeMatrix({{4, 7}, {2, 6}}).Inverse(),
                           MakeMatrix({{0.6000000000000001, -0.7000000000000001}, {-0.2, 0.4}})));
    // Rows are divided by the pivot: 5 / 3 is 1.6666666666666667, while
    // 5 x (1 / 3) would be 1.6666666666666665.
    EXPECT_TRUE(SameValues(MakeMatrix({{3, 5}, {0, 1}}).Inverse(),
                           MakeMatrix({{1.0 / 3.0, -1.6666666666666667}, {0, 1}})));
    EXPECT_TRUE(HoldsInvariants(MakeMatrix({{4, 7}, {2, 6}}).Inverse()));
    EXPECT_EQ(CMatrix(0, 0).Inverse().m_nRows, 0);
}

TEST(MatrixInverse, NoUsablePivotIsRefused)
{
    for (const CMatrix& singular :
         {MakeMatrix({{1, 2}, {2, 4}}), MakeMatrix({{1.0e-9}}), MakeMatrix({{1.0e-8}}),
          MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}})})
    {
        const SMatrixSnapshot before(singular);
        EXPECT_EQ(ThrownText([&] { (void)singular.Inverse(); }), EngineText::kPivotTooSmall);
        EXPECT_EQ(SMatrixSnapshot(singular), before);
    }
}

TEST(MatrixCofactor, TwoByTwoAndAdjoint)
{
    const CMatrix m = MakeMatrix({{1, 2}, {3, 4}});
    const SMatrixSnapshot before(m);
    EXPECT_TRUE(SameValues(m.Cofactor(), MakeMatrix({{4, -3}, {-2, 1}})));
    EXPECT_TRUE(SameValues(m.Adjoint(), MakeMatrix({{4, -2}, {-3, 1}})));
    EXPECT_TRUE(HoldsInvariants(m.Adjoint()));
    EXPECT_EQ(SMatrixSnapshot(m), before);
}

TEST(MatrixCofactor, ZeroMinorsKeepTheSign)
{
    // Minors without a usable pivot are 0.0; a negative sign makes them -0.0.
    EXPECT_TRUE(SameValues(CMatrix(2, 2).Cofactor(), MakeMatrix({{0, -0.0}, {-0.0, 0}})));
}

TEST(MatrixCofactor, OneByOneHasTheEmptyMinor)
{
    // The minor of a 1 x 1 matrix is empty and its determinant is 1, so that
    // A x adj(A) = det(A) x I holds here too.
    for (double d : {0.0, 1.0, -2.5, 3.0e-8})
    {
        const CMatrix m = MakeMatrix({{d}});
        EXPECT_TRUE(SameValues(m.Cofactor(), MakeMatrix({{1}})));
        EXPECT_TRUE(SameValues(m.Adjoint(), MakeMatrix({{1}})));
        EXPECT_TRUE(SameValues(m * m.Adjoint(), MakeMatrix({{m.Determinant()}})));
    }
    EXPECT_EQ(CMatrix(0, 0).Cofactor().m_nRows, 0);
}

TEST(MatrixCofactor, EachElementIsTheSignedMinorDeterminant)
{
    const CMatrix m =
        MakeMatrix({{2, -1, 0.5, 3}, {1e-9, 4, 1, -2}, {7, 0, 0, 1}, {-3, 2, 6, 0.25}});
    const CMatrix cofactors = m.Cofactor();
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
        {
            CMatrix minor(3, 3);
            for (int r = 0; r < 3; ++r)
            {
                for (int c = 0; c < 3; ++c)
                {
                    minor.SetElement(r, c, m.GetElement(r < i ? r : r + 1, c < j ? c : c + 1));
                }
            }
            EXPECT_EQ(Bits(cofactors.GetElement(i, j)),
                      Bits(minor.Determinant() * std::pow(-1.0, i + j)));
        }
    }
    EXPECT_TRUE(SameValues(m.Adjoint(), cofactors.Transpose()));
}

TEST(EliminationSteps, PivotChoiceAndAccumulator)
{
    // Equal magnitudes: the upper row wins, nothing is exchanged.
    CMatrix tie = MakeMatrix({{2, 1}, {-2, 3}});
    tie.Pivot(0, 0);
    EXPECT_TRUE(SameValues(tie, MakeMatrix({{2, 1}, {-2, 3}})));
    EXPECT_EQ(tie.m_dDeterminant, 1.0);

    // The larger candidate below is moved up, both blocks, and the sign flips.
    CMatrix lower = MakeMatrix({{1, 2}, {3, 4}});
    lower.Pivot(0, 0);
    EXPECT_TRUE(SameValues(lower, MakeMatrix({{3, 4}, {1, 2}})));
    EXPECT_EQ(lower.m_ppAugment[0][1], 1.0);
    EXPECT_EQ(lower.m_dDeterminant, -1.0);

    // The threshold itself is not usable.
    CMatrix tiny = MakeMatrix({{1.0e-8, 1}, {-1.0e-8, 2}});
    EXPECT_EQ(ThrownText([&] { tiny.Pivot(0, 0); }), EngineText::kPivotTooSmall);
    EXPECT_EQ(tiny.m_dDeterminant, 0.0);
}

TEST(EliminationSteps, FullEliminationLeavesIdentityAndInverse)
{
    CMatrix working = MakeMatrix({{4, 7}, {2, 6}});
    working.Eliminate(0, 0);
    EXPECT_EQ(working.m_dDeterminant, MakeMatrix({{4, 7}, {2, 6}}).Determinant());
    working.BackSubstitute();
    EXPECT_TRUE(SameValues(working, MakeMatrix({{1, 0}, {0, 1}})));
    EXPECT_EQ(working.m_ppAugment[0][1], -0.7000000000000001);
}

// A zero below the pivot is skipped, not eliminated: -0 x inf would put a NaN
// into the row and leave no usable pivot.
TEST(EliminationSteps, ZeroBelowThePivotIsSkipped)
{
    const CMatrix m = MakeMatrix({{1, std::numeric_limits<double>::infinity()}, {0, 1}});
    EXPECT_EQ(Bits(m.Determinant()), Bits(1.0));
    EXPECT_TRUE(SameValues(m.Inverse(), StepwiseInverse(m)));
}

// The determinant and the inverse skip work whose result is never read; they
// must give exactly what the step-by-step elimination gives, also for pivots
// of exactly 1.0, ties, zero columns, values at the threshold, infinities and
// NaN.
TEST(EliminationSteps, FastRoutesMatchTheStepwiseElimination)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double pool[] = {0.0, -0.0, 1.0, -1.0, 2.0, 3.0, 0.5, 1.0e-8, 2.0e-8, -7.0, 0.1, 1e300};
    std::mt19937 generator(20240607);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(pool)) + 3);
    std::uniform_real_distribution<double> real(-5.0, 5.0);
    for (int nTrial = 0; nTrial < 3000; ++nTrial)
    {
        const int n = 1 + nTrial % 7;
        CMatrix m(n, n);
        for (int i = 0; i < n; ++i)
        {
            for (int j = 0; j < n; ++j)
            {
                const int nChoice = pick(generator);
                double d =
                    nChoice < static_cast<int>(std::size(pool)) ? pool[nChoice] : real(generator);
                if (nTrial % 50 == 49 && nChoice == 0)
                {
                    d = (i + j) % 2 == 0 ? inf : nan;
                }
                m.SetElement(i, j, d);
            }
        }
        const double dExpected = StepwiseDeterminant(m);
        ASSERT_TRUE(SameBitsOrBothNaN(m.Determinant(), dExpected)) << "trial " << nTrial;

        std::string strExpectedText;
        CMatrix expected(0, 0);
        try
        {
            expected = StepwiseInverse(m);
        }
        catch (const char* pText)
        {
            strExpectedText = pText;
        }
        if (!strExpectedText.empty())
        {
            ASSERT_EQ(ThrownText([&] { (void)m.Inverse(); }), strExpectedText);
            continue;
        }
        const CMatrix inverse = m.Inverse();
        for (int i = 0; i < n; ++i)
        {
            for (int j = 0; j < n; ++j)
            {
                ASSERT_TRUE(SameBitsOrBothNaN(inverse.GetElement(i, j), expected.GetElement(i, j)))
                    << "trial " << nTrial << " element (" << i << ", " << j << ")";
            }
        }
    }
}

// Orders beyond the small working buffers take the heap-allocated route.
TEST(EliminationSteps, LargeOrdersMatchTheStepwiseElimination)
{
    std::mt19937 generator(99);
    std::uniform_real_distribution<double> real(-1.0, 1.0);
    for (int n : {24, 25, 31})
    {
        CMatrix m(n, n);
        for (int i = 0; i < n; ++i)
        {
            for (int j = 0; j < n; ++j)
            {
                m.SetElement(i, j, real(generator));
            }
        }
        EXPECT_EQ(Bits(m.Determinant()), Bits(StepwiseDeterminant(m))) << "order " << n;
        EXPECT_TRUE(SameValues(m.Inverse(), StepwiseInverse(m))) << "order " << n;

        // One cofactor of the largest order, against its minor's determinant.
        const CMatrix cofactors = m.Cofactor();
        CMatrix minor(n - 1, n - 1);
        for (int r = 0; r < n - 1; ++r)
        {
            for (int c = 0; c < n - 1; ++c)
            {
                minor.SetElement(r, c, m.GetElement(r + 1, c < 2 ? c : c + 1));
            }
        }
        EXPECT_EQ(Bits(cofactors.GetElement(0, 2)), Bits(StepwiseDeterminant(minor)))
            << "order " << n;
    }
}
