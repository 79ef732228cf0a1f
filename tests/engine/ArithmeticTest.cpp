// Sum, difference, products, power, transpose and diagonal product.
#include "EngineTestSupport.h"

#include <cmath>
#include <limits>

TEST(MatrixSum, ElementWiseInOperandOrder)
{
    const CMatrix a = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
    const CMatrix b = MakeMatrix({{0.5, -2, 10}, {1, 1, -6}});
    const SMatrixSnapshot beforeA(a);
    const SMatrixSnapshot beforeB(b);
    const CMatrix sum = a + b;
    const CMatrix difference = a - b;
    EXPECT_TRUE(SameValues(sum, MakeMatrix({{1.5, 0, 13}, {5, 6, 0}})));
    EXPECT_TRUE(SameValues(difference, MakeMatrix({{0.5, 4, -7}, {3, 4, 12}})));
    EXPECT_TRUE(HoldsInvariants(sum));
    EXPECT_EQ(SMatrixSnapshot(a), beforeA);
    EXPECT_EQ(SMatrixSnapshot(b), beforeB);
}

TEST(MatrixSum, UnequalShapesAreRefused)
{
    const CMatrix a(2, 3);
    const CMatrix b(3, 2);
    EXPECT_EQ(ThrownText([&] { (void)(a + b); }), EngineText::kUnequalDimensions);
    EXPECT_EQ(ThrownText([&] { (void)(a - b); }), EngineText::kUnequalDimensions);
    EXPECT_EQ(ThrownText([&] { (void)(a + CMatrix(2, 2)); }), EngineText::kUnequalDimensions);
}

TEST(MatrixProduct, ShapesAndRefusal)
{
    const CMatrix product = CMatrix(2, 3) * CMatrix(3, 4);
    EXPECT_EQ(product.m_nRows, 2);
    EXPECT_EQ(product.m_nCols, 4);
    EXPECT_EQ(ThrownText([] { (void)(CMatrix(2, 3) * CMatrix(2, 3)); }), EngineText::kProductShape);

    const CMatrix row = MakeMatrix({{1, 2, 3}});
    const CMatrix column = MakeMatrix({{4}, {5}, {6}});
    EXPECT_TRUE(SameValues(row * column, MakeMatrix({{32}})));
    EXPECT_TRUE(SameValues(column * row, MakeMatrix({{4, 8, 12}, {5, 10, 15}, {6, 12, 18}})));
}

TEST(MatrixProduct, AccumulatesInIncreasingInnerIndex)
{
    // In increasing k the two large terms cancel before 1 is added; any other
    // order loses the 1.
    const CMatrix a = MakeMatrix({{1e16, -1e16, 1}, {1, -1e16, 1e16}});
    const CMatrix b = MakeMatrix({{1}, {1}, {1}});
    EXPECT_TRUE(SameValues(a * b, MakeMatrix({{1}, {0}})));
    // Each element starts from +0.0: a single product of -0.0 gives +0.0.
    EXPECT_EQ(Bits((MakeMatrix({{-0.0}}) * MakeMatrix({{5}})).GetElement(0, 0)), Bits(0.0));
}

TEST(MatrixScalarProduct, ScalesEveryElementKeepingSignsOfZero)
{
    const CMatrix m = MakeMatrix({{1, -2}, {0, 3.5}});
    EXPECT_TRUE(SameValues(m * 2.0, MakeMatrix({{2, -4}, {0, 7}})));
    EXPECT_TRUE(SameValues(m * 0.0, MakeMatrix({{0, -0.0}, {0, 0}})));
}

TEST(MatrixPower, SmallExponents)
{
    const CMatrix shear = MakeMatrix({{1, 1}, {0, 1}});
    EXPECT_TRUE(SameValues(Power(shear, Scalar(3)), MakeMatrix({{1, 3}, {0, 1}})));
    EXPECT_TRUE(SameValues(Power(shear, Scalar(1)), shear));
    const CMatrix any = MakeMatrix({{5, 7, 1}, {2, 0, 3}, {1, 1, 1}});
    EXPECT_TRUE(SameValues(Power(any, Scalar(0)), MakeMatrix({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}})));
    EXPECT_TRUE(
        SameValues(Power(any, Scalar(-0.0)), MakeMatrix({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}})));
    EXPECT_TRUE(HoldsInvariants(Power(any, Scalar(4))));
    EXPECT_EQ(Power(CMatrix(0, 0), Scalar(5)).m_nRows, 0);
}

TEST(MatrixPower, MatchesRepeatedProductsBitForBit)
{
    const CMatrix base = MakeMatrix({{0.3, 1.7, -0.2}, {0.11, 0.9, 0.5}, {-1.3, 0.01, 0.77}});
    const SMatrixSnapshot before(base);
    CMatrix expected = base;
    for (int k = 2; k <= 9; ++k)
    {
        expected = expected * base;
        EXPECT_TRUE(SameValues(Power(base, Scalar(k)), expected)) << "exponent " << k;
    }
    EXPECT_EQ(SMatrixSnapshot(base), before);
}

TEST(MatrixPower, BaseIsCheckedBeforeTheExponent)
{
    const CMatrix wide(2, 3);
    EXPECT_EQ(ThrownText([&] { (void)Power(wide, Scalar(2.5)); }), EngineText::kFirstNotSquare);
    EXPECT_EQ(ThrownText([&] { (void)Power(wide, CMatrix(1, 2)); }), EngineText::kFirstNotSquare);
    EXPECT_EQ(ThrownText([&] { (void)Power(wide, Scalar(2147483647.0)); }),
              EngineText::kFirstNotSquare);
    EXPECT_EQ(ThrownText([&] { (void)Power(wide, CMatrix(0, 0)); }), EngineText::kFirstNotSquare);
}

TEST(MatrixPower, ExponentMustBeAWholeNumberInRange)
{
    const CMatrix base = MakeMatrix({{2}});
    const double inf = std::numeric_limits<double>::infinity();
    for (double e :
         {2.5, 0.5, -0.5, -1.0, -3.0, 2147483647.5, 2147483648.0, 4294967296.0, 1e300, inf, -inf,
          std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::denorm_min()})
    {
        EXPECT_EQ(ThrownText([&] { (void)Power(base, Scalar(e)); }),
                  EngineText::kExponentNotInteger)
            << "exponent " << e;
    }
    EXPECT_EQ(ThrownText([&] { (void)Power(base, CMatrix(1, 2)); }),
              EngineText::kExponentNotInteger);
    EXPECT_EQ(ThrownText([&] { (void)Power(base, CMatrix(2, 1)); }),
              EngineText::kExponentNotInteger);
    EXPECT_EQ(ThrownText([&] { (void)Power(base, CMatrix(0, 0)); }),
              EngineText::kExponentNotInteger);
    EXPECT_TRUE(SameValues(Power(base, Scalar(10)), MakeMatrix({{1024}})));
}

TEST(MatrixTranspose, ExchangesRowsAndColumns)
{
    const CMatrix row = MakeMatrix({{1, 2, 3, 4}});
    EXPECT_TRUE(SameValues(row.Transpose(), MakeMatrix({{1}, {2}, {3}, {4}})));
    const CMatrix m = MakeMatrix({{1, 2, 3}, {4, 5, 6}});
    EXPECT_TRUE(SameValues(m.Transpose(), MakeMatrix({{1, 4}, {2, 5}, {3, 6}})));
    EXPECT_TRUE(HoldsInvariants(m.Transpose()));
    EXPECT_EQ(CMatrix(0, 3).Transpose().m_nRows, 3);
}

TEST(MatrixDiagonalProduct, MultipliesTheDiagonal)
{
    EXPECT_EQ(MakeMatrix({{2, 5}, {7, 3}}).DiagonalProduct(), 6.0);
    EXPECT_EQ(MakeMatrix({{-4.5}}).DiagonalProduct(), -4.5);
    EXPECT_EQ(CMatrix(0, 0).DiagonalProduct(), 1.0);
    EXPECT_EQ(ThrownText([] { (void)CMatrix(2, 3).DiagonalProduct(); }),
              EngineText::kSelectedNotSquare);
}
