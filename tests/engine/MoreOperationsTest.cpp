// The decompositions and eigenvalues of MoreOperations.h, checked by the
// properties that define them rather than by any library's digits.
#include "EngineTestSupport.h"
#include "engine/MoreOperations.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <span>
#include <string>

namespace
{

// Values in [-1, 1) from a fixed seed (splitmix64), the same on every platform.
CMatrix Random(int nRows, int nCols, std::uint64_t nSeed)
{
    CMatrix m(nRows, nCols);
    for (int i = 0; i < nRows; ++i)
    {
        for (int j = 0; j < nCols; ++j)
        {
            std::uint64_t z = (nSeed += 0x9e3779b97f4a7c15ULL);
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            m.SetElement(i, j, static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1p-52 - 1.0);
        }
    }
    return m;
}

// Every value times 2^k (rounded once where it leaves the normal range).
CMatrix TimesPowerOfTwo(const CMatrix& a, int k)
{
    CMatrix m(a.m_nRows, a.m_nCols);
    for (int i = 0; i < a.m_nRows; ++i)
    {
        for (int j = 0; j < a.m_nCols; ++j)
        {
            m.SetElement(i, j, std::ldexp(a.GetElement(i, j), k));
        }
    }
    return m;
}

// Equal shapes (operator- throws otherwise) and values within the tolerance.
::testing::AssertionResult Near(const CMatrix& actual, const CMatrix& expected, double dTolerance)
{
    const double dError = LargestMagnitude(actual - expected);
    if (dError <= dTolerance)
    {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "off by " << dError << " > " << dTolerance;
}

::testing::AssertionResult Orthonormal(const CMatrix& q)
{
    return Near(q.Transpose() * q, Identity(q.m_nCols), 1e-13);
}

// Column j of Vec is a unit vector v with A v = lambda v, lambda in row j of Eig.
void ExpectEigenpairs(const CMatrix& a)
{
    const CMatrix values = Eigenvalues(a);
    const CMatrix vectors = Eigenvectors(a);
    const CMatrix gram = vectors.Transpose() * vectors;
    CMatrix lambda(a.m_nRows, a.m_nRows);
    for (int j = 0; j < a.m_nRows; ++j)
    {
        lambda.SetElement(j, j, values.GetElement(j, 0));
        EXPECT_NEAR(gram.GetElement(j, j), 1.0, 1e-14);
        EXPECT_TRUE(j == 0 || values.GetElement(j - 1, 0) >= values.GetElement(j, 0));
    }
    EXPECT_TRUE(Near(a * vectors, vectors * lambda, 1e-12 * LargestMagnitude(a)));
}

} // namespace

TEST(MoreEigen, ValuesOfStructuredMatrices)
{
    EXPECT_TRUE(SameValues(Eigenvalues(MakeMatrix({{2, 0, 0}, {0, -7, 0}, {0, 0, 3}})),
                           MakeMatrix({{3}, {2}, {-7}})));
    EXPECT_TRUE(Near(Eigenvalues(MakeMatrix({{1, 5, 9}, {0, 4, 2}, {0, 0, -2}})),
                     MakeMatrix({{4}, {1}, {-2}}), 1e-14));
    // A Jordan block: a double eigenvalue although it has one eigenvector.
    EXPECT_TRUE(Near(Eigenvalues(MakeMatrix({{3, 1}, {0, 3}})), MakeMatrix({{3}, {3}}), 1e-14));
    EXPECT_TRUE(SameValues(Eigenvalues(MakeMatrix({{-4}})), MakeMatrix({{-4}})));
    EXPECT_TRUE(
        Near(Eigenvalues(MakeMatrix({{0, -1}, {1, 0}})), MakeMatrix({{0, 1}, {0, -1}}), 1e-15));
    // 1 +- 3e-23 i counts as a real double eigenvalue; its vectors are still
    // usable, with the largest component positive.
    const CMatrix nearlyReal = MakeMatrix({{1, -1e-30}, {1e-15, 1}});
    EXPECT_TRUE(SameValues(Eigenvalues(nearlyReal), MakeMatrix({{1}, {1}})));
    EXPECT_TRUE(Near(Eigenvectors(nearlyReal), Identity(2), 1e-7));
    // 2, 1 +- i and 1: among equal real parts the pair comes first, + before -.
    const CMatrix mixed = MakeMatrix({{1, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 1, -1}, {0, 0, 1, 1}});
    EXPECT_TRUE(Near(Eigenvalues(mixed), MakeMatrix({{2, 0}, {1, 1}, {1, -1}, {1, 0}}), 1e-14));
}

TEST(MoreEigen, VectorsSatisfyTheDefinition)
{
    // S diag(5, 4, 3, 2, 1) S^-1: real eigenvalues, not symmetric.
    const CMatrix s = Random(5, 5, 11) + Identity(5) * 2.0;
    ExpectEigenpairs(
        s *
        MakeMatrix(
            {{5, 0, 0, 0, 0}, {0, 4, 0, 0, 0}, {0, 0, 3, 0, 0}, {0, 0, 0, 2, 0}, {0, 0, 0, 0, 1}}) *
        s.Inverse());
    ExpectEigenpairs(MakeMatrix({{1, 5, 9}, {0, 4, 2}, {0, 0, -2}}));
    for (int n : {1, 8, 20})
    {
        const CMatrix r = Random(n, n, 5 + n);
        const CMatrix symmetric = r + r.Transpose();
        ExpectEigenpairs(symmetric);
        EXPECT_TRUE(Orthonormal(Eigenvectors(symmetric)));
    }
    // A repeated eigenvalue of a symmetric matrix still has a full orthonormal set.
    EXPECT_TRUE(Orthonormal(Eigenvectors(Identity(5) * 3.0)));
}

TEST(MoreFactor, QrAndLuReproduceTheMatrix)
{
    for (const auto& [m, n] : {std::pair{4, 4}, {6, 3}, {3, 6}, {1, 5}, {5, 1}, {20, 20}})
    {
        const CMatrix a = Random(m, n, 100 + m * n) * 37.0;
        const auto qr = QrDecomposition(a);
        ASSERT_EQ(qr.size(), 2U);
        EXPECT_TRUE(Orthonormal(qr[0]));
        EXPECT_TRUE(Near(qr[0] * qr[1], a, 1e-12 * m));
        for (int i = 0; i < m; ++i)
        {
            for (int j = 0; j <= std::min(i, n - 1); ++j)
            {
                const double d = qr[1].GetElement(i, j);
                EXPECT_TRUE(i == j ? d >= 0.0 : d == 0.0);
            }
        }
    }
    EXPECT_TRUE(SameValues(LuDecomposition(MakeMatrix({{-0.0}}))[2], MakeMatrix({{0}})));
    // Random and singular (a zero column, two equal rows).
    for (const CMatrix& a : {Random(5, 5, 7) * 1e-3, Random(20, 20, 8),
                             MakeMatrix({{0, 1, 2, 3}, {0, 4, 5, 6}, {0, 1, 2, 3}, {0, 7, 1, 2}})})
    {
        const auto plu = LuDecomposition(a);
        ASSERT_EQ(plu.size(), 3U);
        const int n = a.m_nRows;
        EXPECT_TRUE(SameValues(plu[0] * plu[0].Transpose(), Identity(n)));
        EXPECT_TRUE(Near(plu[0] * a, plu[1] * plu[2], 1e-14 * n));
        for (int i = 0; i < n; ++i)
        {
            EXPECT_EQ(plu[1].GetElement(i, i), 1.0);
            for (int j = 0; j < n; ++j)
            {
                EXPECT_TRUE(j > i ? plu[1].GetElement(i, j) == 0.0
                                  : std::fabs(plu[1].GetElement(i, j)) <= 1.0);
                EXPECT_TRUE(j >= i || plu[2].GetElement(i, j) == 0.0);
                EXPECT_TRUE(plu[0].GetElement(i, j) == 0.0 || plu[0].GetElement(i, j) == 1.0);
            }
        }
    }
}

TEST(MoreSvd, RankNormAndConditionOfConstructedMatrices)
{
    const CMatrix u = MakeMatrix({{1}, {-2}, {3}, {0.5}});
    const CMatrix v = MakeMatrix({{2}, {1}, {-1}});
    const CMatrix w = MakeMatrix({{0}, {1}, {4}});
    EXPECT_TRUE(SameValues(Rank(u * v.Transpose()), MakeMatrix({{1}})));
    EXPECT_TRUE(
        SameValues(Rank(u * v.Transpose() + Random(4, 1, 2) * w.Transpose()), MakeMatrix({{2}})));
    EXPECT_TRUE(SameValues(Rank(CMatrix(3, 5)), MakeMatrix({{0}})));
    // The tolerance is 2 eps for diag(1, d): 3 eps counts, eps does not.
    const CMatrix above = MakeMatrix({{0, 1}, {0x3p-52, 0}});
    const CMatrix below = MakeMatrix({{0, 1}, {0x1p-52, 0}});
    EXPECT_TRUE(SameValues(Rank(above), MakeMatrix({{2}})));
    EXPECT_TRUE(SameValues(Rank(below), MakeMatrix({{1}})));
    EXPECT_EQ(ThrownText([&] { ConditionNumber(below); }), MoreText::kNotFullRank);

    const CMatrix d = MakeMatrix({{3, 0, 0}, {0, -5, 0}, {0, 0, 4}, {0, 0, 0}});
    EXPECT_TRUE(Near(SingularValues(d), MakeMatrix({{5}, {4}, {3}}), 1e-15));
    EXPECT_NEAR(ConditionNumber(d).GetElement(0, 0), 5.0 / 3.0, 1e-15);
    EXPECT_NEAR(Norm2(MakeMatrix({{3, 4}})).GetElement(0, 0), 5.0, 1e-15);
    EXPECT_NEAR(Norm2(MakeMatrix({{3}, {4}})).GetElement(0, 0), 5.0, 1e-15);
    // Scaled inside, so neither overflow nor underflow on the way.
    EXPECT_NEAR(Norm2(MakeMatrix({{3e300, 0}, {0, 4e300}})).GetElement(0, 0), 4e300, 1e285);
    EXPECT_NEAR(Norm2(MakeMatrix({{3e-310, 4e-310}})).GetElement(0, 0), 5e-310, 1e-322);
}

TEST(MoreSvd, PseudoInverseMeetsThePenroseConditions)
{
    const CMatrix rankTwo = Random(5, 2, 21) * Random(2, 4, 22);
    for (const CMatrix& a : {Random(5, 3, 23) * 1e4, Random(3, 5, 24), rankTwo, CMatrix(2, 3)})
    {
        const CMatrix x = PseudoInverse(a);
        EXPECT_TRUE(Near(a * x * a, a, 1e-13 * LargestMagnitude(a)));
        EXPECT_TRUE(Near(x * a * x, x, 1e-13 * LargestMagnitude(x)));
        EXPECT_TRUE(Near((a * x).Transpose(), a * x, 1e-13));
        EXPECT_TRUE(Near((x * a).Transpose(), x * a, 1e-13));
    }
}

TEST(MoreSvd, NullSpaceAndLeastSquares)
{
    const CMatrix rankTwo = Random(5, 2, 31) * Random(2, 4, 32);
    for (const CMatrix& a : {rankTwo, Random(2, 5, 33), CMatrix(3, 3)})
    {
        const CMatrix basis = NullSpace(a);
        EXPECT_EQ(basis.m_nCols, a.m_nCols - Rank(a).GetElement(0, 0));
        EXPECT_TRUE(Orthonormal(basis));
        EXPECT_TRUE(Near(a * basis, CMatrix(a.m_nRows, basis.m_nCols), 1e-14));
    }
    // Consistent: the exact solution. Inconsistent: the residual is orthogonal
    // to A's columns. Rank-deficient: besides, x is the least-norm solution.
    const CMatrix a = Random(6, 3, 34) * 64.0;
    const CMatrix x0 = MakeMatrix({{1}, {-2}, {0.5}});
    EXPECT_TRUE(Near(LeastSquares(a, a * x0), x0, 1e-13));
    for (const CMatrix& m : {a, rankTwo})
    {
        const CMatrix b = Random(m.m_nRows, 1, 35) * 1e-2;
        const CMatrix x = LeastSquares(m, b);
        EXPECT_TRUE(Near(m.Transpose() * (m * x - b), CMatrix(m.m_nCols, 1), 1e-13));
        EXPECT_TRUE(Near(x, PseudoInverse(m) * b, 1e-13));
    }
}

TEST(MoreElimination, RrefAndTraceOnWorkedExamples)
{
    const CMatrix r = ReducedRowEchelon(MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}));
    EXPECT_TRUE(Near(r, MakeMatrix({{1, 0, -1}, {0, 1, 2}, {0, 0, 0}}), 1e-14));
    EXPECT_TRUE(r.GetElement(0, 0) == 1.0 && r.GetElement(1, 0) == 0.0 &&
                r.GetElement(2, 2) == 0.0);
    // The third column is 3 times the second: the residue 8e-17 left in row 0 is flushed.
    const CMatrix flushed = ReducedRowEchelon(MakeMatrix({{1, 0.1, 0.1 * 3}, {3, 0.2, 0.2 * 3}}));
    EXPECT_TRUE(Near(flushed, MakeMatrix({{1, 0, 0}, {0, 1, 3}}), 1e-15));
    EXPECT_EQ(flushed.GetElement(0, 2), 0.0);
    EXPECT_TRUE(SameValues(ReducedRowEchelon(MakeMatrix({{0, 2, 4}, {0, 1, 3}})),
                           MakeMatrix({{0, 1, 0}, {0, 0, 1}})));
    EXPECT_TRUE(SameValues(ReducedRowEchelon(MakeMatrix({{2, 4, 1}, {1, 2, 1}, {3, 6, 2}})),
                           MakeMatrix({{1, 2, 0}, {0, 0, 1}, {0, 0, 0}})));
    EXPECT_TRUE(SameValues(ReducedRowEchelon(MakeMatrix({{0, -3}})), MakeMatrix({{0, 1}})));
    EXPECT_TRUE(SameValues(ReducedRowEchelon(Random(4, 4, 41)), Identity(4)));
    EXPECT_TRUE(SameValues(Trace(MakeMatrix({{1, 2}, {3, 4.5}})), MakeMatrix({{5.5}})));
    // Without the row exchange the 1e-20 pivot would lose x = 1.
    EXPECT_TRUE(SameValues(ReducedRowEchelon(MakeMatrix({{1e-20, 1, 1}, {1, 1, 2}})),
                           MakeMatrix({{1, 0, 1}, {0, 1, 1}})));
}

// Large entries keep their pivots and small ones their values; an operand
// times 2^k, subnormal or near the largest double, gives the same Rref, with as
// many pivots as Rank counts singular values.
TEST(MoreElimination, RrefKeepsItsPivotsAtEveryScale)
{
    EXPECT_TRUE(SameValues(ReducedRowEchelon(MakeMatrix({{1e15, 1e14}})), MakeMatrix({{1, 0.1}})));
    EXPECT_TRUE(SameValues(ReducedRowEchelon(MakeMatrix({{4e15, 0}, {0, 4e15}})), Identity(2)));
    EXPECT_TRUE(
        SameValues(ReducedRowEchelon(MakeMatrix({{1e308, 1e308}, {1e308, -1e308}})), Identity(2)));
    const CMatrix ninths = MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    const CMatrix rankTwo = Random(5, 2, 81) * Random(2, 4, 82);
    for (const CMatrix& a : {ninths, rankTwo, rankTwo.Transpose(), Random(4, 6, 83), CMatrix(2, 3)})
    {
        // The rank of an echelon form with pivots of 1 is its count of nonzero rows.
        const CMatrix r = ReducedRowEchelon(a);
        for (int k : {-1068, -1000, -300, 0, 500, 1019})
        {
            const CMatrix scaled = TimesPowerOfTwo(a, k);
            if (SameValues(TimesPowerOfTwo(scaled, -k), a))
            {
                EXPECT_TRUE(SameValues(ReducedRowEchelon(scaled), r)) << k;
                EXPECT_TRUE(SameValues(Rank(scaled), Rank(r))) << k;
            }
        }
    }
}

TEST(MoreChp, CoefficientsOfKnownPolynomials)
{
    // Companions of x^3 - 6x^2 + 11x - 6 = (x - 1)(x - 2)(x - 3).
    const CMatrix companion = MakeMatrix({{6, -11, 6}, {1, 0, 0}, {0, 1, 0}});
    EXPECT_TRUE(SameValues(CharacteristicPolynomial(companion), MakeMatrix({{1, -6, 11, -6}})));
    EXPECT_TRUE(Near(CharacteristicPolynomial(companion.Transpose()), MakeMatrix({{1, -6, 11, -6}}),
                     1e-13));
    EXPECT_TRUE(SameValues(CharacteristicPolynomial(MakeMatrix(
                               {{1, 9, -3, 2}, {0, 2, 5, 7}, {0, 0, 3, -1}, {0, 0, 0, 4}})),
                           MakeMatrix({{1, -10, 35, -50, 24}})));
    EXPECT_TRUE(SameValues(CharacteristicPolynomial(MakeMatrix({{5}})), MakeMatrix({{1, -5}})));
    const CMatrix a = Random(7, 7, 51);
    const CMatrix p = CharacteristicPolynomial(a);
    EXPECT_NEAR(p.GetElement(0, 1), -Trace(a).GetElement(0, 0), 1e-14);
    EXPECT_NEAR(p.GetElement(0, 7), -a.Determinant(), 1e-14);
}

// Triangular, upper or lower: the product of (lambda - a_ii), whatever lies
// beside the diagonal. Companion matrices in all four forms are not reduced.
TEST(MoreChp, TriangularAndCompanionMatricesAreExact)
{
    const CMatrix lower = MakeMatrix({{2, 0, 0}, {3, -1, 0}, {4, 5, 7}});
    EXPECT_TRUE(SameValues(CharacteristicPolynomial(lower), MakeMatrix({{1, -8, 5, 14}})));
    const CMatrix wide =
        MakeMatrix({{-3, 0, 0, 0}, {1e300, 5, 0, 0}, {-7, 1e-300, 11, 0}, {2, 9, -6, 4}});
    EXPECT_TRUE(SameValues(CharacteristicPolynomial(wide), MakeMatrix({{1, -17, 59, 137, -660}})));
    EXPECT_TRUE(SameValues(CharacteristicPolynomial(wide.Transpose()),
                           MakeMatrix({{1, -17, 59, 137, -660}})));
    // x^3 - 6x^2 + 11x - 6, its coefficients in the first row or the last column.
    const CMatrix firstRow = MakeMatrix({{6, -11, 6}, {1, 0, 0}, {0, 1, 0}});
    const CMatrix lastColumn = MakeMatrix({{0, 0, 6}, {1, 0, -11}, {0, 1, 6}});
    for (const CMatrix& companion :
         {firstRow, firstRow.Transpose(), lastColumn, lastColumn.Transpose()})
    {
        EXPECT_TRUE(SameValues(CharacteristicPolynomial(companion), MakeMatrix({{1, -6, 11, -6}})));
    }
}

// Every button on 2^k times its operands (Lsq: the first), k over the whole
// range where they stay exact: each result scaled by its own power of 2^k, bit
// for bit, or the same refusal.
TEST(MoreScale, EveryOperationFollowsAPowerOfTwo)
{
    // The power of 2^k of each result; Chp's coefficients take their column's.
    const std::map<std::string, std::vector<int>> powers = {
        {"Eig", {1}},   {"Vec", {0}},  {"Rank", {0}}, {"Rref", {0}},  {"Tr", {1}},
        {"Nrm", {1}},   {"Cond", {0}}, {"Svd", {1}},  {"Qr", {0, 1}}, {"Lu", {0, 0, 1}},
        {"Pinv", {-1}}, {"Null", {0}}, {"Lsq", {-1}}, {"Chp", {}}};
    const CMatrix symmetric = Random(4, 4, 91) + Random(4, 4, 91).Transpose();
    for (const CMatrix& a :
         {Random(4, 4, 92), symmetric, MakeMatrix({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}),
          MakeMatrix({{1, 2}, {0, 3}}), Random(3, 5, 93)})
    {
        for (const SMoreOperation& operation : kMoreOperations)
        {
            CMatrix operands[] = {a, Random(a.m_nRows, 1, 94)};
            const auto given = std::span(operands).first(operation.nOperands);
            std::vector<CMatrix> expected;
            const std::string text = ThrownText([&] { expected = operation.pCompute(given); });
            const std::vector<int>& power = powers.at(operation.pCaption);
            for (int k = -1021; k <= 1021; k += 37)
            {
                // Beyond the largest double a result is refused; below the
                // normal range it loses digits and is not compared.
                std::vector<CMatrix> scaled = expected;
                bool bOverflow = false;
                bool bUnderflow = false;
                for (std::size_t r = 0; r < scaled.size(); ++r)
                {
                    for (int i = 0; i < scaled[r].m_nRows; ++i)
                    {
                        for (int j = 0; j < scaled[r].m_nCols; ++j)
                        {
                            const double d = scaled[r].GetElement(i, j);
                            const double dScaled =
                                std::ldexp(d, (power.empty() ? j : power[r]) * k);
                            bOverflow = bOverflow || std::isinf(dScaled);
                            bUnderflow = bUnderflow || (d != 0.0 && !std::isnormal(dScaled));
                            scaled[r].SetElement(i, j, dScaled);
                        }
                    }
                }
                operands[0] = TimesPowerOfTwo(a, k);
                std::vector<CMatrix> results;
                const std::string actual = ThrownText([&] { results = operation.pCompute(given); });
                if (!bUnderflow)
                {
                    EXPECT_EQ(actual, bOverflow ? MoreText::kResultNotFinite : text)
                        << operation.pCaption << " " << k;
                    for (std::size_t r = 0; r < results.size(); ++r)
                    {
                        EXPECT_TRUE(SameValues(results[r], scaled[r]))
                            << operation.pCaption << " " << k;
                    }
                }
            }
        }
    }
}

TEST(MoreText, EachRefusal)
{
    const CMatrix rotation = MakeMatrix({{0, -1}, {1, 0}});
    const CMatrix jordan = MakeMatrix({{3, 1}, {0, 3}});
    EXPECT_EQ(ThrownText([&] { Eigenvectors(rotation); }), MoreText::kComplexEigenvalues);
    EXPECT_EQ(ThrownText([&] { Eigenvectors(jordan); }), MoreText::kDependentEigenvectors);
    for (auto* operation : {Eigenvalues, Eigenvectors, Trace, CharacteristicPolynomial})
    {
        EXPECT_EQ(ThrownText([&] { operation(Random(2, 3, 61)); }), EngineText::kSelectedNotSquare);
    }
    EXPECT_EQ(ThrownText([] { LuDecomposition(Random(3, 2, 62)); }),
              EngineText::kSelectedNotSquare);
    EXPECT_EQ(ThrownText([] { NullSpace(Random(3, 3, 63)); }), MoreText::kTrivialNullSpace);
    EXPECT_EQ(ThrownText([] { LeastSquares(Random(3, 2, 64), Random(2, 1, 65)); }),
              MoreText::kLeastSquaresShape);
    EXPECT_EQ(ThrownText([] { LeastSquares(Random(3, 2, 64), Random(3, 2, 65)); }),
              MoreText::kLeastSquaresShape);
    const CMatrix huge = MakeMatrix({{1e308, 0}, {0, 1e308}});
    EXPECT_EQ(ThrownText([&] { Trace(huge); }), MoreText::kResultNotFinite);
    CMatrix operands[] = {Random(3, 3, 66), MakeMatrix({{1}, {INFINITY}, {0}})};
    EXPECT_EQ(ThrownText([&] { LeastSquares(operands[0], operands[1]); }),
              MoreText::kSecondNotFinite);
    operands[0].SetElement(1, 2, std::nan(""));
    for (const SMoreOperation& operation : kMoreOperations)
    {
        const auto given = std::span(operands).first(operation.nOperands);
        const std::string text = ThrownText([&] { operation.pCompute(given); });
        EXPECT_EQ(text, operation.nOperands == 1 ? MoreText::kSelectedNotFinite
                                                 : MoreText::kFirstNotFinite);
    }
}

// Every button on the extreme shapes: results that fit a window, or a refusal.
TEST(MoreText, TableResultsFitAWindow)
{
    for (const auto& [m, n] : {std::pair{20, 20}, {1, 1}, {1, 20}, {20, 1}})
    {
        for (const SMoreOperation& operation : kMoreOperations)
        {
            const std::vector<CMatrix> operands = {Random(m, n, 70), Random(m, 1, 71)};
            std::vector<CMatrix> results;
            const std::string text = ThrownText(
                [&]
                { results = operation.pCompute(std::span(operands).first(operation.nOperands)); });
            EXPECT_TRUE(text == "<nothing thrown>" || text == EngineText::kSelectedNotSquare ||
                        text == MoreText::kTrivialNullSpace ||
                        text == MoreText::kComplexEigenvalues)
                << operation.pCaption << ": " << text;
            for (const CMatrix& result : results)
            {
                EXPECT_TRUE(std::min(result.m_nRows, result.m_nCols) >= 1 && result.m_nRows <= 20 &&
                            result.m_nCols <= 100 && HoldsInvariants(result))
                    << operation.pCaption;
            }
        }
    }
}
