// Decompositions, eigenvalues and solutions: the operations beyond the arithmetic
// of Matrix.h, computed with Eigen 3 (the header itself needs no Eigen).
//
// Every operation takes its operands unchanged and returns new matrices, each
// ready for a window of its own (at most 20 x 21 for operands up to 20 x 20).
// A refusal is thrown as one of the texts below (type const char*), never as
// a half-filled result. Operands holding an infinity or a NaN are refused
// before any computation; a result that would hold one is refused as well.
// No result holds -0: a zero always shows as 0.
//
// eps below is the spacing of doubles at 1, 2^-52. Before a decomposition an
// operand is scaled by a power of two (exactly) so that its largest magnitude
// lies in [1/4, 1), and the result is scaled back: huge or tiny entries
// neither overflow nor underflow on the way.
#pragma once

#include "engine/Matrix.h"

#include <array>
#include <span>
#include <vector>

// The message texts of these operations, each kept once so that code and
// tests agree. Non-square operands get EngineText::kSelectedNotSquare.
namespace MoreText
{
inline constexpr char kSelectedNotFinite[] =
    "The selected object must contain only finite numbers.";
inline constexpr char kFirstNotFinite[] =
    "The first selected object must contain only finite numbers.";
inline constexpr char kSecondNotFinite[] =
    "The second selected object must contain only finite numbers.";
inline constexpr char kResultNotFinite[] =
    "The result contains a value that is not a finite number - it will not be shown.";
inline constexpr char kNoConvergence[] =
    "The eigenvalue iteration did not converge - the result will not be calculated.";
inline constexpr char kComplexEigenvalues[] =
    "The selected matrix has complex eigenvalues - the eigenvectors will not be calculated.";
inline constexpr char kDependentEigenvectors[] =
    "The selected matrix does not have a full set of independent eigenvectors - the "
    "eigenvectors will not be calculated.";
inline constexpr char kNotFullRank[] =
    "The selected object does not have full rank - the condition number is infinite.";
inline constexpr char kTrivialNullSpace[] =
    "The null space of the selected object holds only the zero vector.";
inline constexpr char kLeastSquaresShape[] =
    "The second selected object must be a column vector with as many rows as the first.";
} // namespace MoreText

// An eigenvalue pair a +- bi counts as the real double eigenvalue a when
// |b| <= kRealEigenvalueTolerance * n * ||A||_F (Frobenius norm of the n x n A).
inline constexpr double kRealEigenvalueTolerance = 0x1p-52;
// Eigenvectors are refused as dependent when the smallest singular value of
// the matrix of unit eigenvectors is below this times its largest.
inline constexpr double kEigenvectorIndependence = 1.0e-8;
// The sign convention of eigenvectors and null-space vectors: the first
// component whose magnitude is at least (1 - kSignTieTolerance) times the
// largest magnitude of the column is positive.
inline constexpr double kSignTieTolerance = 1.0e-8;

// Eig: the eigenvalues of a square matrix. All real: an n x 1 column. Any
// complex: n x 2, column 0 the real parts, column 1 the imaginary parts
// (exactly 0 for a real eigenvalue). Order: descending real part; among equal
// real parts, complex pairs by descending |imaginary part| before the real
// eigenvalues; a pair a +- bi takes two consecutive rows, a + bi first. A
// symmetric matrix (a_ij == a_ji bit for bit) goes to a symmetric solver and
// always gives a real column; any other to the real Schur form.
CMatrix Eigenvalues(const CMatrix& a);
// Vec: n x n, column j a unit eigenvector of the eigenvalue in row j of Eig,
// with the sign convention above. A symmetric matrix gives an orthonormal set.
// Refused when any eigenvalue is complex, and when the unit eigenvectors are
// dependent by kEigenvectorIndependence (a defective matrix such as a Jordan
// block). For a pair counted as a real double eigenvalue, the two columns are
// the real and the imaginary part of the pair's complex eigenvector.
CMatrix Eigenvectors(const CMatrix& a);

// The singular-value tolerance of Rank, Cond, Pinv, Null and Lsq: of the
// singular values s_1 >= s_2 >= ... of an m x n matrix, those with
// s_i <= max(m, n) * eps * s_1 count as zero (so a zero matrix has rank 0).
// Rank: 1 x 1, the number of singular values above that tolerance.
CMatrix Rank(const CMatrix& a);
// Rref: the reduced row echelon form, same shape. Gauss-Jordan elimination,
// columns left to right, the pivot the candidate of largest magnitude (the
// topmost on ties), on the operand scaled by the power of two that brings its
// largest magnitude into [1/2, 1): 2^k A gives the result of A, bit for bit,
// whenever 2^k A holds A's values exactly (subnormal operands and those near
// the largest double included). With ||A||_inf the largest absolute row sum,
// candidates of magnitude <= max(m, n) * eps * ||A||_inf count as zero (the
// column gets no pivot and they become exactly 0). Pivots become exactly 1,
// the rest of a pivot column exactly 0. At the end a value of a pivot row
// becomes exactly 0 when its magnitude times that of the row's pivot is <=
// that tolerance: it would have counted as zero before the division.
CMatrix ReducedRowEchelon(const CMatrix& a);
// Tr: 1 x 1, the diagonal of a square matrix summed from 0.0 in increasing
// index.
CMatrix Trace(const CMatrix& a);
// Nrm: 1 x 1, the 2-norm, the largest singular value; for a row or column
// vector its Euclidean length.
CMatrix Norm2(const CMatrix& a);
// Cond: 1 x 1, s_1 / s_k of the k = min(m, n) singular values. Refused
// (kNotFullRank) when the rank is below k, the condition number being
// infinite or meaningless.
CMatrix ConditionNumber(const CMatrix& a);
// Svd: the k = min(m, n) singular values as a k x 1 column, descending.
CMatrix SingularValues(const CMatrix& a);
// Qr: {Q, R}, Q m x m orthogonal and R m x n upper triangular (exact zeros
// below the diagonal), A = Q R, by Householder reflections. Signs are chosen
// so that R's diagonal is non-negative.
std::vector<CMatrix> QrDecomposition(const CMatrix& a);
// Lu: {P, L, U} with P A = L U for a square A: P a permutation matrix, L unit
// lower triangular with multipliers of magnitude <= 1, U upper triangular;
// partial pivoting by the largest magnitude in the column. A singular matrix
// is factored as well: U then has a zero (or, after rounding, tiny) diagonal
// entry, and a column with nothing to eliminate leaves L's multipliers 0.
std::vector<CMatrix> LuDecomposition(const CMatrix& a);
// Pinv: the n x m Moore-Penrose pseudo-inverse, V diag(1 / s_i) U^T over the
// singular values above the tolerance.
CMatrix PseudoInverse(const CMatrix& a);
// Null: an orthonormal basis of the null space as the n x k columns,
// k = n - rank: the right singular vectors of the singular values counted as
// zero, with the sign convention above. Refused (kTrivialNullSpace) when k = 0.
CMatrix NullSpace(const CMatrix& a);
// Lsq: for A (m x n) and b (m x 1), the x (n x 1) minimising ||A x - b||,
// the one of least norm when several do: Pinv(A) b by the same tolerance.
CMatrix LeastSquares(const CMatrix& a, const CMatrix& b);
// Chp: the coefficients of det(lambda I - A) as a 1 x (n + 1) row, highest
// power first (so 1, -trace, ..., (-1)^n det). A triangular A, upper or lower,
// gives (lambda - a_11) ... (lambda - a_nn) multiplied out from its own
// diagonal, one factor at a time in increasing index: whole numbers on the
// diagonal give the exact whole numbers while the product of (1 + |a_ii|) is
// at most 2^53. Any other A is taken as it is when upper Hessenberg, as its
// transpose (the same polynomial) when lower Hessenberg, and else reduced to
// upper Hessenberg form by orthogonal similarity; det(lambda I - H) of that H
// is then expanded column by column. So a companion matrix (the coefficients
// in its first or last row or column, ones next to the diagonal) of whole
// numbers below 2^52 gives them exactly.
CMatrix CharacteristicPolynomial(const CMatrix& a);

// One button of these operations: its caption, how many selected objects it
// takes, what it computes, and the computation. pCompute takes exactly
// nOperands operands (any other count is refused with
// EngineText::kIllegalOperation) and returns the results, one window each.
struct SMoreOperation
{
    const char* pCaption;
    int nOperands;
    const char* pDescription;
    std::vector<CMatrix> (*pCompute)(std::span<const CMatrix> operands);
};

// In the order of the buttons.
extern const std::array<SMoreOperation, 14> kMoreOperations;
