// Magnitude, dot product, cross product and angle.
#include "EngineTestSupport.h"

#include <cmath>
#include <numbers>

TEST(VectorMagnitude, RowsColumnsAndScalars)
{
    EXPECT_EQ(MakeMatrix({{3, 4}}).Magnitude(), 5.0);
    EXPECT_EQ(MakeMatrix({{3}, {4}}).Magnitude(), 5.0);
    EXPECT_EQ(MakeMatrix({{-2}}).Magnitude(), 2.0);
    EXPECT_EQ(ThrownText([] { (void)CMatrix(2, 2).Magnitude(); }), EngineText::kIllegalOperation);
    EXPECT_EQ(ThrownText([] { (void)CMatrix(0, 0).Magnitude(); }), EngineText::kIllegalOperation);
}

TEST(VectorDot, PairsOfEqualOrientationAndLength)
{
    const CMatrix a = MakeMatrix({{1, 2, 3}});
    const CMatrix b = MakeMatrix({{4, 5, 6}});
    EXPECT_EQ(Dot(a, b), 32.0);
    EXPECT_EQ(Dot(a.Transpose(), b.Transpose()), 32.0);
    EXPECT_EQ(Dot(MakeMatrix({{3}}), MakeMatrix({{-2}})), -6.0);
    // Summed in increasing k from 0.0.
    EXPECT_EQ(Dot(MakeMatrix({{1e16, -1e16, 1}}), MakeMatrix({{1, 1, 1}})), 1.0);

    EXPECT_EQ(ThrownText([&] { (void)Dot(a, b.Transpose()); }), EngineText::kVectorPair);
    EXPECT_EQ(ThrownText([&] { (void)Dot(MakeMatrix({{1, 2}}), a); }), EngineText::kVectorPair);
    EXPECT_EQ(ThrownText([] { (void)Dot(CMatrix(2, 2), CMatrix(2, 2)); }), EngineText::kVectorPair);
}

TEST(VectorCross, OrientationAndSigns)
{
    const CMatrix x = MakeMatrix({{1, 0, 0}});
    const CMatrix y = MakeMatrix({{0, 1, 0}});
    // The middle element is the negated difference: +0.0 becomes -0.0.
    EXPECT_TRUE(SameValues(Cross(x, y), MakeMatrix({{0, -0.0, 1}})));
    EXPECT_TRUE(SameValues(Cross(y, x), MakeMatrix({{0, -0.0, -1}})));
    EXPECT_TRUE(SameValues(Cross(x.Transpose(), y.Transpose()), MakeMatrix({{0}, {-0.0}, {1}})));
    EXPECT_TRUE(HoldsInvariants(Cross(x, y)));
    EXPECT_TRUE(SameValues(Cross(MakeMatrix({{1, 2, 3}}), MakeMatrix({{2, 4, 6}})),
                           MakeMatrix({{0, -0.0, 0}})));

    EXPECT_EQ(ThrownText([] { (void)Cross(CMatrix(1, 2), CMatrix(1, 2)); }),
              EngineText::kVectorPair);
    EXPECT_EQ(ThrownText([&] { (void)Cross(x, y.Transpose()); }), EngineText::kVectorPair);
    EXPECT_EQ(ThrownText([] { (void)Cross(CMatrix(3, 3), CMatrix(3, 3)); }),
              EngineText::kVectorPair);
}

TEST(VectorAngle, Values)
{
    EXPECT_EQ(Angle(MakeMatrix({{1, 0}}), MakeMatrix({{0, 1}})), 1.5707963267948966);
    EXPECT_EQ(Angle(MakeMatrix({{1, 0}}), MakeMatrix({{-1, 0}})), 3.141592653589793);
    EXPECT_EQ(Angle(MakeMatrix({{3, 4}}), MakeMatrix({{4, 3}})), std::acos(0.96));
    EXPECT_EQ(Angle(MakeMatrix({{1, 2, 3}}), MakeMatrix({{2, 4, 6}})), 0.0);
}

TEST(VectorAngle, RoundingOutsideTheCosineRangeIsClamped)
{
    // The cosine rounds to 1.0000000000000002 and to its negation here.
    const CMatrix ones = MakeMatrix({{1, 1, 1}});
    EXPECT_EQ(Angle(ones, ones), 0.0);
    EXPECT_EQ(Angle(ones, ones * -1.0), std::numbers::pi);
    EXPECT_EQ(Angle(ones.Transpose(), ones.Transpose()), 0.0);
}

TEST(VectorAngle, ChecksInStepOrder)
{
    const CMatrix zero(1, 2);
    const CMatrix v = MakeMatrix({{1, 2}});
    EXPECT_EQ(ThrownText([&] { (void)Angle(zero, v); }), EngineText::kZeroMagnitude);
    EXPECT_EQ(ThrownText([&] { (void)Angle(v, zero); }), EngineText::kZeroMagnitude);
    // The first operand's magnitude is looked at before the second operand.
    EXPECT_EQ(ThrownText([&] { (void)Angle(zero, CMatrix(2, 2)); }), EngineText::kZeroMagnitude);
    EXPECT_EQ(ThrownText([&] { (void)Angle(CMatrix(2, 2), zero); }), EngineText::kIllegalOperation);
    EXPECT_EQ(ThrownText([&] { (void)Angle(v, CMatrix(2, 2)); }), EngineText::kIllegalOperation);
    // Both magnitudes pass; the pairing fails in Dot.
    EXPECT_EQ(ThrownText([&] { (void)Angle(v, v.Transpose()); }), EngineText::kVectorPair);
}
