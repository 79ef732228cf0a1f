// Construction, copying, moving and element access of CMatrix.
#include "EngineTestSupport.h"

#include <utility>

TEST(MatrixConstruction, DefaultIsTwoByTwoZero)
{
    const CMatrix m;
    ASSERT_EQ(m.m_nRows, 2);
    ASSERT_EQ(m.m_nCols, 2);
    EXPECT_TRUE(SameValues(m, MakeMatrix({{0, 0}, {0, 0}})));
    EXPECT_TRUE(HoldsInvariants(m));
}

TEST(MatrixConstruction, NonSquareAugmentRunsDownTheLeadingDiagonal)
{
    const CMatrix tall(3, 2);
    EXPECT_TRUE(SameValues(tall, MakeMatrix({{0, 0}, {0, 0}, {0, 0}})));
    EXPECT_TRUE(HoldsInvariants(tall));
    EXPECT_EQ(tall.m_ppAugment[2][0], 0.0);
    EXPECT_EQ(tall.m_ppAugment[2][1], 0.0);

    const CMatrix wide(2, 3);
    EXPECT_TRUE(HoldsInvariants(wide));
    EXPECT_EQ(wide.m_ppAugment[1][1], 1.0);
    EXPECT_EQ(wide.m_ppAugment[1][2], 0.0);

    const CMatrix one(1, 1);
    EXPECT_EQ(one.m_ppAugment[0][0], 1.0);
    EXPECT_EQ(one.GetElement(0, 0), 0.0);
}

TEST(MatrixConstruction, EmptyShapesConstructCopyAssignAndDestroy)
{
    for (const auto& [nRows, nCols] : {std::pair{0, 0}, std::pair{0, 3}, std::pair{3, 0}})
    {
        CMatrix empty(nRows, nCols);
        EXPECT_EQ(empty.m_nRows, nRows);
        EXPECT_EQ(empty.m_nCols, nCols);
        CMatrix copy(empty);
        EXPECT_EQ(copy.m_nRows, nRows);
        EXPECT_EQ(copy.m_nCols, nCols);
        CMatrix assigned(2, 2);
        assigned = empty;
        EXPECT_EQ(assigned.m_nRows, nRows);
        EXPECT_EQ(assigned.m_nCols, nCols);
        CMatrix moved(std::move(copy));
        EXPECT_EQ(moved.m_nRows, nRows);
    }
}

TEST(MatrixConstruction, ArrayConstructorCopiesItsSource)
{
    double row0[] = {1.5, -2.0, 3.0};
    double row1[] = {4.0, 5.0, -0.0};
    double* rows[] = {row0, row1};
    const CMatrix m(rows, 2, 3);
    row0[0] = 99.0;
    row1[2] = 99.0;
    EXPECT_TRUE(SameValues(m, MakeMatrix({{1.5, -2.0, 3.0}, {4.0, 5.0, -0.0}})));
    EXPECT_TRUE(HoldsInvariants(m));
}

TEST(MatrixCopy, CopyIsDeepAndResetsTheAccumulator)
{
    CMatrix source = MakeMatrix({{1, 2}, {3, 4}});
    source.m_dDeterminant = -7.0;
    source.m_ppAugment[0][1] = 5.0;

    CMatrix copy(source);
    EXPECT_EQ(copy.m_dDeterminant, 1.0);
    EXPECT_EQ(copy.m_ppAugment[0][1], 5.0);
    EXPECT_TRUE(SameValues(copy, source));

    source.SetElement(0, 0, 100.0);
    EXPECT_EQ(copy.GetElement(0, 0), 1.0);
    EXPECT_EQ(source.m_dDeterminant, -7.0);
}

TEST(MatrixCopy, CopyFollowsExchangedRows)
{
    CMatrix m = MakeMatrix({{1, 2}, {3, 4}});
    m.SwapRows(0, 1);
    EXPECT_TRUE(SameValues(m, MakeMatrix({{3, 4}, {1, 2}})));
    EXPECT_EQ(m.m_ppAugment[0][1], 1.0);
    const CMatrix copy(m);
    EXPECT_TRUE(SameValues(copy, MakeMatrix({{3, 4}, {1, 2}})));
    EXPECT_EQ(copy.m_ppAugment[0][1], 1.0);
    EXPECT_EQ(copy.m_ppAugment[0][0], 0.0);
}

TEST(MatrixAssignment, SelfAssignmentChangesNothing)
{
    CMatrix m = MakeMatrix({{1, 2}, {3, 4}});
    m.m_dDeterminant = 3.5;
    const SMatrixSnapshot before(m);
    CMatrix& alias = m;
    m = alias;
    EXPECT_EQ(SMatrixSnapshot(m), before);
}

TEST(MatrixAssignment, SameShapeCopiesBlocksAndResetsAccumulator)
{
    CMatrix source = MakeMatrix({{1, 2}, {3, 4}});
    source.m_ppAugment[1][0] = 9.0;
    CMatrix target(2, 2);
    target.m_dDeterminant = 0.0;
    target = source;
    EXPECT_TRUE(SameValues(target, source));
    EXPECT_EQ(target.m_ppAugment[1][0], 9.0);
    EXPECT_EQ(target.m_dDeterminant, 1.0);
}

TEST(MatrixAssignment, DifferentShapeTakesTheSourceShape)
{
    const CMatrix source = MakeMatrix({{1}, {2}, {3}, {4}});
    CMatrix target = MakeMatrix({{7, 8, 9}, {10, 11, 12}});
    target = source;
    EXPECT_TRUE(SameValues(target, source));
    EXPECT_TRUE(HoldsInvariants(target));

    CMatrix grow(0, 0);
    grow = MakeMatrix({{5, 6}, {7, 8}});
    EXPECT_TRUE(SameValues(grow, MakeMatrix({{5, 6}, {7, 8}})));
}

TEST(MatrixMove, MovedFromMatrixIsEmptyAndReusable)
{
    CMatrix source = MakeMatrix({{1, 2, 3}});
    source.m_dDeterminant = 4.0;
    CMatrix target(std::move(source));
    EXPECT_TRUE(SameValues(target, MakeMatrix({{1, 2, 3}})));
    EXPECT_EQ(target.m_dDeterminant, 1.0);
    EXPECT_EQ(source.m_nRows, 0); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(source.m_nCols, 0);
    EXPECT_EQ(source.m_ppValues, nullptr);
    EXPECT_EQ(source.m_ppAugment, nullptr);

    source = MakeMatrix({{5}});
    EXPECT_TRUE(SameValues(source, MakeMatrix({{5}})));

    CMatrix other(3, 3);
    other.m_dDeterminant = 2.0;
    other = std::move(target);
    EXPECT_TRUE(SameValues(other, MakeMatrix({{1, 2, 3}})));
    EXPECT_EQ(other.m_dDeterminant, 1.0);
    CMatrix copyOfEmpty(target); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(copyOfEmpty.m_nRows, 0);
    target = other;
    EXPECT_TRUE(SameValues(target, other));
}

TEST(MatrixElements, SetElementLeavesTheAugmentBlockAlone)
{
    CMatrix m(2, 2);
    m.SetElement(0, 1, -3.25);
    m.SetElement(1, 1, 8.0);
    EXPECT_EQ(m.GetElement(0, 1), -3.25);
    EXPECT_EQ(m.m_ppValues[1][1], 8.0);
    EXPECT_TRUE(HoldsInvariants(m));
}
