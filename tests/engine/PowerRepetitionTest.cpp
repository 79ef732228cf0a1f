// The power's jump over repeating running results: bit-identical to the plain
// chain of products, and immediate for fixed points and short cycles.
#include "PowerTestSupport.h"

#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace
{

constexpr int kLargestExponent = 2147483647;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Block diagonal matrix of two square blocks.
CMatrix BlockDiagonal(const CMatrix& a, const CMatrix& b)
{
    const int n = a.m_nRows + b.m_nRows;
    CMatrix m(n, n);
    for (int i = 0; i < a.m_nRows; ++i)
    {
        for (int j = 0; j < a.m_nCols; ++j)
        {
            m.SetElement(i, j, a.GetElement(i, j));
        }
    }
    for (int i = 0; i < b.m_nRows; ++i)
    {
        for (int j = 0; j < b.m_nCols; ++j)
        {
            m.SetElement(a.m_nRows + i, a.m_nCols + j, b.GetElement(i, j));
        }
    }
    return m;
}

// Row i has its 1 in column (i + 1) mod n: a cycle of order n.
CMatrix CyclicShift(int n)
{
    CMatrix m(n, n);
    for (int i = 0; i < n; ++i)
    {
        m.SetElement(i, (i + 1) % n, 1.0);
    }
    return m;
}

const CMatrix kQuarterTurn = MakeMatrix({{0, -1}, {1, 0}});

struct SCase
{
    std::string strName;
    CMatrix base;
};

// Fixed points, cycles, cycles after a tail, and sequences that never
// repeat within reach.
std::vector<SCase> Cases()
{
    std::vector<SCase> cases;
    for (double d : {-1.0, 1.0, 0.5, 2.0, -2.0, 0.0, -0.0, kNaN, -kInf, 1e-300, 0.999})
    {
        cases.push_back({"scalar " + std::to_string(d), Scalar(d)});
    }
    for (int n : {2, 3, 5})
    {
        const std::string strSize = std::to_string(n);
        cases.push_back({"random " + strSize, RandomMatrix(n, 11U * n)});
        cases.push_back({"shrinking " + strSize, RandomMatrix(n, 13U * n, 0.01)});
        cases.push_back({"growing " + strSize, RandomMatrix(n, 17U * n, 10.0)});
        cases.push_back({"mixed signs " + strSize,
                         RandomMatrix(n, 19U * n, 10.0) * -1.0 + RandomMatrix(n, 23U * n, 10.0)});
        cases.push_back({"identity " + strSize, Identity(n)});
        cases.push_back({"zero " + strSize, CMatrix(n, n)});
        cases.push_back({"cyclic shift " + strSize, CyclicShift(n)});
    }
    cases.push_back({"quarter turn", kQuarterTurn});
    cases.push_back({"diagonal +-1", MakeMatrix({{1, 0, 0}, {0, -1, 0}, {0, 0, -1}})});
    // A 2-cycle and a 3-cycle: order 6.
    cases.push_back({"order 6", BlockDiagonal(CyclicShift(2), CyclicShift(3))});
    // Negative zeros occur only in the base; every product has +0.0 there,
    // so the base never comes back although it compares equal.
    cases.push_back({"signed zeros", MakeMatrix({{-0.0, 1}, {1, -0.0}})});
    cases.push_back({"nilpotent", MakeMatrix({{0, 1, 0}, {0, 0, 1}, {0, 0, 0}})});
    // A cycle of 3 that begins only when a scalar part has underflowed to
    // zero or overflowed to infinity: a long tail before the period.
    cases.push_back({"cycle after underflow", BlockDiagonal(CyclicShift(3), Scalar(0.5))});
    cases.push_back({"cycle after overflow", BlockDiagonal(CyclicShift(3), Scalar(-3.0))});
    cases.push_back({"quarter turn after underflow", BlockDiagonal(kQuarterTurn, Scalar(-0.25))});
    cases.push_back({"NaN inside", MakeMatrix({{0.5, kNaN}, {0.25, 0.125}})});
    return cases;
}

} // namespace

TEST(PowerRepetition, MatchesThePlainChainOfProducts)
{
    // Every exponent up to 200 against the plain running result, and a few
    // beyond the tails of the slow cases (an underflow of 0.5 takes 1075
    // products).
    std::vector<int> exponents;
    for (int k = 0; k <= 200; ++k)
    {
        exponents.push_back(k);
    }
    for (int k : {255, 256, 257, 1000, 1076, 1077, 1078, 1079, 1500, 2049, 2500})
    {
        exponents.push_back(k);
    }
    for (const SCase& c : Cases())
    {
        CMatrix running = c.base;
        int nStep = 1;
        for (int k : exponents)
        {
            if (k == 0)
            {
                EXPECT_TRUE(SameValues(Power(c.base, Scalar(0)), Identity(c.base.m_nRows)));
                continue;
            }
            for (; nStep < k; ++nStep)
            {
                running = running * c.base;
            }
            const CMatrix power = Power(c.base, Scalar(k));
            ASSERT_TRUE(SameValues(power, running)) << c.strName << ", exponent " << k;
            EXPECT_TRUE(HoldsInvariants(power));
        }
    }
}

TEST(PowerRepetition, LargerMatricesMatchThePlainLoop)
{
    const std::pair<const char*, CMatrix> bases[] = {
        {"random 20", RandomMatrix(20, 5U)},
        {"shrinking 20", RandomMatrix(20, 6U, 0.01)},
        {"growing 20", RandomMatrix(20, 7U, 10.0)},
        {"random 8", RandomMatrix(8, 8U)},
        {"shift 20", CyclicShift(20)},
        {"order 12", BlockDiagonal(CyclicShift(3), BlockDiagonal(CyclicShift(4), Identity(5)))},
    };
    for (const auto& [pName, base] : bases)
    {
        for (int k : {2, 3, 19, 20, 21, 64, 65, 333, 1024, 1025})
        {
            EXPECT_TRUE(SameValues(Power(base, Scalar(k)), PlainPower(base, k)))
                << pName << ", exponent " << k;
        }
    }
}

TEST(PowerRepetition, FixedPointsAndCyclesJumpToTheLargestExponent)
{
    struct SKnown
    {
        const char* pName;
        CMatrix base;
        double dExponent;
        CMatrix expected;
    };
    const CMatrix shift3 = CyclicShift(3);
    const SKnown known[] = {
        {"identity", Identity(4), kLargestExponent, Identity(4)},
        {"zero", CMatrix(3, 3), kLargestExponent, CMatrix(3, 3)},
        // 2147483647 = 3 x 715827882 + 1.
        {"shift 3", shift3, kLargestExponent, shift3},
        {"shift 3, one less", shift3, kLargestExponent - 1, Identity(3)},
        {"shift 3, two less", shift3, kLargestExponent - 2, PlainPower(shift3, 2)},
        // 2147483647 = 3 mod 4.
        {"quarter turn", kQuarterTurn, kLargestExponent, PlainPower(kQuarterTurn, 3)},
        {"[-1]", Scalar(-1), kLargestExponent, Scalar(-1)},
        {"[-1], even", Scalar(-1), kLargestExponent - 1, Scalar(1)},
        {"[1]", Scalar(1), kLargestExponent, Scalar(1)},
        {"[0.5]", Scalar(0.5), kLargestExponent, Scalar(0)},
        {"[2]", Scalar(2), kLargestExponent, Scalar(kInf)},
        {"[-2]", Scalar(-2), kLargestExponent, Scalar(-kInf)},
        {"[-0.0]", Scalar(-0.0), kLargestExponent, Scalar(0.0)},
        {"all infinite", MakeMatrix({{kInf, kInf}, {kInf, kInf}}), kLargestExponent,
         MakeMatrix({{kInf, kInf}, {kInf, kInf}})},
        {"diagonal +-1", MakeMatrix({{1, 0}, {0, -1}}), kLargestExponent,
         MakeMatrix({{1, 0}, {0, -1}})},
        {"nilpotent", MakeMatrix({{0, 1}, {0, 0}}), kLargestExponent, CMatrix(2, 2)},
        {"cycle after underflow", BlockDiagonal(shift3, Scalar(0.5)), kLargestExponent,
         BlockDiagonal(shift3, Scalar(0))},
    };
    for (const SKnown& c : known)
    {
        // The underflow of 0.5 is the longest tail here: 1075 products.
        const CMatrix power = LimitedPower(c.base, c.dExponent, 4000);
        EXPECT_TRUE(SameValues(power, c.expected)) << c.pName;
        EXPECT_TRUE(HoldsInvariants(power)) << c.pName;
    }
}

TEST(PowerRepetition, NaNStaysNaN)
{
    for (const CMatrix& base : {Scalar(kNaN), Scalar(-kNaN), MakeMatrix({{1, kNaN}, {2, 3}}),
                                MakeMatrix({{-3, 3}, {3, 3}}) * 1e300})
    {
        // NaN never equals itself; the comparison of bits must still see the
        // repetition.
        const CMatrix power = LimitedPower(base, kLargestExponent, 100);
        // Equal bits, NaN payloads and signs included, to the state the plain
        // chain has settled in.
        EXPECT_TRUE(SameValues(power, PlainPower(base, 257)));
        for (int i = 0; i < power.m_nRows; ++i)
        {
            for (int j = 0; j < power.m_nCols; ++j)
            {
                EXPECT_TRUE(std::isnan(power.GetElement(i, j)));
            }
        }
    }
}

TEST(PowerRepetition, OperandsAreLeftAlone)
{
    const CMatrix base = BlockDiagonal(CyclicShift(3), Scalar(0.5));
    const CMatrix exponent = Scalar(5000);
    const SMatrixSnapshot beforeBase(base);
    const SMatrixSnapshot beforeExponent(exponent);
    (void)Power(base, exponent);
    EXPECT_EQ(SMatrixSnapshot(base), beforeBase);
    EXPECT_EQ(SMatrixSnapshot(exponent), beforeExponent);
}
