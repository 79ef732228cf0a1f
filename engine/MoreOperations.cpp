// The operations of MoreOperations.h on Eigen's dynamic-size matrices.
//
// Each operation copies its operands into Eigen (refusing non-finite values
// there), works on the copies, and copies the result back only after checking
// that every value is finite.
#include "engine/MoreOperations.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

namespace
{

using Eigen::Index;
using Eigen::MatrixXd;
using Eigen::VectorXd;

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

// An operand's values divided by 2^nExponent, the exponent bringing the
// largest magnitude into [1/4, 1) (even, so that square roots scale exactly
// too) or, on request, into [1/2, 1); it is 0 for a zero matrix.
struct SScaled
{
    MatrixXd values;
    int nExponent;
};

enum class EExponent
{
    Even,
    Any,
};

// The largest magnitude of the values; throws pNotFinite for a non-finite one.
double LargestMagnitude(const CMatrix& a, const char* pNotFinite)
{
    double dLargest = 0.0;
    for (int i = 0; i < a.m_nRows; ++i)
    {
        for (int j = 0; j < a.m_nCols; ++j)
        {
            const double d = a.GetElement(i, j);
            if (!std::isfinite(d))
            {
                throw pNotFinite;
            }
            dLargest = std::max(dLargest, std::fabs(d));
        }
    }
    return dLargest;
}

SScaled ToEigen(const CMatrix& a, const char* pNotFinite, EExponent exponent = EExponent::Even)
{
    const double dLargest = LargestMagnitude(a, pNotFinite);
    int nExponent = 0;
    if (dLargest > 0.0)
    {
        std::frexp(dLargest, &nExponent);
        if (exponent == EExponent::Even)
        {
            nExponent += nExponent & 1;
        }
    }
    SScaled scaled{MatrixXd(a.m_nRows, a.m_nCols), nExponent};
    for (int i = 0; i < a.m_nRows; ++i)
    {
        for (int j = 0; j < a.m_nCols; ++j)
        {
            scaled.values(i, j) = std::ldexp(a.GetElement(i, j), -nExponent);
        }
    }
    return scaled;
}

SScaled ToEigenSquare(const CMatrix& a)
{
    if (a.m_nRows != a.m_nCols)
    {
        throw EngineText::kSelectedNotSquare;
    }
    return ToEigen(a, MoreText::kSelectedNotFinite);
}

// The values times 2^nExponent, refused when any is not finite; -0 becomes 0.
CMatrix ToResult(const MatrixXd& m, int nExponent = 0)
{
    CMatrix result(static_cast<int>(m.rows()), static_cast<int>(m.cols()));
    for (int i = 0; i < result.m_nRows; ++i)
    {
        for (int j = 0; j < result.m_nCols; ++j)
        {
            const double d = std::ldexp(m(i, j), nExponent);
            if (!std::isfinite(d))
            {
                throw MoreText::kResultNotFinite;
            }
            result.SetElement(i, j, d + 0.0);
        }
    }
    return result;
}

CMatrix ScalarResult(double d, int nExponent = 0)
{
    return ToResult(MatrixXd::Constant(1, 1, d), nExponent);
}

// Flips the column so that its first component of (nearly) the largest
// magnitude is positive.
void NormalizeSign(MatrixXd& m, Index nCol)
{
    const double dLargest = m.col(nCol).cwiseAbs().maxCoeff();
    for (Index i = 0; i < m.rows(); ++i)
    {
        if (std::fabs(m(i, nCol)) >= (1.0 - kSignTieTolerance) * dLargest)
        {
            if (m(i, nCol) < 0.0)
            {
                m.col(nCol) = -m.col(nCol);
            }
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Singular values

struct SSvd
{
    Eigen::JacobiSVD<MatrixXd> solver;
    Index nRank;
};

SSvd Decompose(const MatrixXd& a, unsigned nOptions)
{
    SSvd svd{Eigen::JacobiSVD<MatrixXd>(a, nOptions), 0};
    const VectorXd& sigma = svd.solver.singularValues();
    const double dTolerance =
        static_cast<double>(std::max(a.rows(), a.cols())) * kEpsilon * sigma(0);
    while (svd.nRank < sigma.size() && sigma(svd.nRank) > dTolerance)
    {
        ++svd.nRank;
    }
    return svd;
}

// ---------------------------------------------------------------------------
// Eigenvalues

// One real eigenvalue or conjugate pair of the sorted list, and where
// its eigenvector comes from in the solver's output.
enum class ESource
{
    RealVector,    // the real eigenvector in column nIndex
    RealPart,      // the real part of the eigenvector of the pair at nIndex
    ImaginaryPart, // its imaginary part
    ComplexPair,   // a pair dReal +- i dImag; no real eigenvector
};

struct SEigenvalue
{
    double dReal;
    double dImag; // >= 0; the pair's lower row holds -dImag
    Index nIndex;
    ESource source;
};

struct SEigenSystem
{
    std::vector<SEigenvalue> values; // in the documented order
    MatrixXd vectors;                // the real eigenvectors when requested
    int nExponent;                   // of the operand's scaling
    bool bComplex;
};

bool IsSymmetric(const MatrixXd& a)
{
    for (Index i = 0; i < a.rows(); ++i)
    {
        for (Index j = 0; j < i; ++j)
        {
            if (a(i, j) != a(j, i))
            {
                return false;
            }
        }
    }
    return true;
}

SEigenSystem SymmetricEigenSystem(const MatrixXd& a, bool bVectors)
{
    Eigen::SelfAdjointEigenSolver<MatrixXd> solver(a, bVectors ? Eigen::ComputeEigenvectors
                                                               : Eigen::EigenvaluesOnly);
    if (solver.info() != Eigen::Success)
    {
        throw MoreText::kNoConvergence;
    }
    // Ascending from the solver; reversed here.
    const Index n = a.rows();
    SEigenSystem solved{{}, MatrixXd(), 0, false};
    for (Index k = n - 1; k >= 0; --k)
    {
        solved.values.push_back({solver.eigenvalues()(k), 0.0, k, ESource::RealVector});
    }
    if (bVectors)
    {
        solved.vectors = solver.eigenvectors().rowwise().reverse();
    }
    return solved;
}

SEigenSystem GeneralEigenSystem(const MatrixXd& a, bool bVectors)
{
    Eigen::EigenSolver<MatrixXd> solver(a, bVectors);
    if (solver.info() != Eigen::Success)
    {
        throw MoreText::kNoConvergence;
    }
    const Eigen::VectorXcd& lambda = solver.eigenvalues();
    const Index n = a.rows();
    const double dTolerance = kRealEigenvalueTolerance * static_cast<double>(n) * a.norm();
    SEigenSystem solved{{}, MatrixXd(), 0, false};
    // The solver keeps the two members of a pair in consecutive places.
    for (Index k = 0; k < n; ++k)
    {
        const double dImag = std::fabs(lambda(k).imag());
        if (dImag == 0.0)
        {
            solved.values.push_back({lambda(k).real(), 0.0, k, ESource::RealVector});
            continue;
        }
        if (dImag <= dTolerance)
        {
            solved.values.push_back({lambda(k).real(), 0.0, k, ESource::RealPart});
            solved.values.push_back({lambda(k).real(), 0.0, k, ESource::ImaginaryPart});
        }
        else
        {
            solved.values.push_back({lambda(k).real(), dImag, k, ESource::ComplexPair});
            solved.bComplex = true;
        }
        ++k;
    }
    std::stable_sort(solved.values.begin(), solved.values.end(),
                     [](const SEigenvalue& x, const SEigenvalue& y)
                     { return x.dReal > y.dReal || (x.dReal == y.dReal && x.dImag > y.dImag); });
    if (bVectors && !solved.bComplex)
    {
        // Real eigenvectors as they are; for a pair a +- bi the real and the
        // imaginary part of the eigenvector of a + bi, in consecutive columns.
        const MatrixXd& pseudoVectors = solver.pseudoEigenvectors();
        solved.vectors.resize(n, n);
        for (Index j = 0; j < n; ++j)
        {
            const SEigenvalue& value = solved.values[static_cast<std::size_t>(j)];
            const Index nOffset = value.source == ESource::ImaginaryPart ? 1 : 0;
            solved.vectors.col(j) = pseudoVectors.col(value.nIndex + nOffset);
            const double dLength = solved.vectors.col(j).norm();
            if (dLength > 0.0)
            {
                solved.vectors.col(j) /= dLength;
            }
        }
    }
    return solved;
}

SEigenSystem EigenSystem(const CMatrix& a, bool bVectors)
{
    const SScaled scaled = ToEigenSquare(a);
    SEigenSystem solved = IsSymmetric(scaled.values) ? SymmetricEigenSystem(scaled.values, bVectors)
                                                     : GeneralEigenSystem(scaled.values, bVectors);
    solved.nExponent = scaled.nExponent;
    return solved;
}

// ---------------------------------------------------------------------------
// Characteristic polynomial

// The coefficients of det(lambda I - H) for an upper Hessenberg H, lowest
// power first, by the recurrence over the leading k x k blocks:
//   p_k = (lambda - h_kk) p_(k-1)
//         - sum over i < k of h_ik (h_(i+1)i ... h_k(k-1)) p_(i-1)
// (indices from 1, p_0 = 1).
VectorXd HessenbergPolynomial(const MatrixXd& h)
{
    const Index n = h.rows();
    std::vector<VectorXd> p(static_cast<std::size_t>(n + 1));
    p[0] = VectorXd::Ones(1);
    for (Index k = 1; k <= n; ++k)
    {
        const VectorXd& previous = p[static_cast<std::size_t>(k - 1)];
        VectorXd current = VectorXd::Zero(k + 1);
        for (Index d = 0; d <= k; ++d)
        {
            const double dShifted = d > 0 ? previous(d - 1) : 0.0;
            const double dTimesDiagonal = d < k ? h(k - 1, k - 1) * previous(d) : 0.0;
            current(d) = dShifted - dTimesDiagonal;
        }
        double dSubdiagonal = 1.0;
        for (Index i = k - 1; i >= 1; --i)
        {
            dSubdiagonal *= h(i, i - 1);
            const double dFactor = h(i - 1, k - 1) * dSubdiagonal;
            const VectorXd& earlier = p[static_cast<std::size_t>(i - 1)];
            for (Index d = 0; d < i; ++d)
            {
                current(d) -= dFactor * earlier(d);
            }
        }
        p[static_cast<std::size_t>(k)] = std::move(current);
    }
    return p[static_cast<std::size_t>(n)];
}

// Whether every value more than nBand places below the diagonal (bBelow) or
// above it is zero: nBand 0 below for an upper triangular matrix, 1 for an
// upper Hessenberg one.
bool IsZeroBeyond(const CMatrix& a, int nBand, bool bBelow)
{
    for (int i = 0; i < a.m_nRows; ++i)
    {
        for (int j = 0; j < a.m_nCols; ++j)
        {
            if ((bBelow ? i - j : j - i) > nBand && a.GetElement(i, j) != 0.0)
            {
                return false;
            }
        }
    }
    return true;
}

// The coefficients of (lambda - a_11) ... (lambda - a_nn) from the operand's
// own diagonal, lowest power first, multiplied out one factor at a time in
// increasing index. Every value on the way is at most the corresponding
// coefficient of (lambda + |a_11|) ... (lambda + |a_nn|) in magnitude, so whole
// numbers stay exact while the product of (1 + |a_ii|) is at most 2^53.
VectorXd DiagonalPolynomial(const CMatrix& a)
{
    const Index n = a.m_nRows;
    VectorXd p = VectorXd::Zero(n + 1);
    p(0) = 1.0;
    for (Index k = 0; k < n; ++k)
    {
        const double dDiagonal = a.GetElement(static_cast<int>(k), static_cast<int>(k));
        for (Index d = k + 1; d >= 1; --d)
        {
            p(d) = p(d - 1) - dDiagonal * p(d);
        }
        p(0) = -dDiagonal * p(0);
    }
    return p;
}

// ---------------------------------------------------------------------------
// The table's adapters

void RequireOperands(std::span<const CMatrix> operands, std::size_t nCount)
{
    if (operands.size() != nCount)
    {
        throw EngineText::kIllegalOperation;
    }
}

template <CMatrix (*Operation)(const CMatrix&)>
std::vector<CMatrix> Single(std::span<const CMatrix> operands)
{
    RequireOperands(operands, 1);
    std::vector<CMatrix> results;
    results.push_back(Operation(operands[0]));
    return results;
}

template <std::vector<CMatrix> (*Operation)(const CMatrix&)>
std::vector<CMatrix> Several(std::span<const CMatrix> operands)
{
    RequireOperands(operands, 1);
    return Operation(operands[0]);
}

std::vector<CMatrix> LeastSquaresOfPair(std::span<const CMatrix> operands)
{
    RequireOperands(operands, 2);
    std::vector<CMatrix> results;
    results.push_back(LeastSquares(operands[0], operands[1]));
    return results;
}

} // namespace

// ---------------------------------------------------------------------------
// The operations

CMatrix Eigenvalues(const CMatrix& a)
{
    const SEigenSystem solved = EigenSystem(a, false);
    MatrixXd result = MatrixXd::Zero(a.m_nRows, solved.bComplex ? 2 : 1);
    Index nRow = 0;
    for (const SEigenvalue& value : solved.values)
    {
        result(nRow, 0) = value.dReal;
        if (value.source == ESource::ComplexPair)
        {
            result(nRow, 1) = value.dImag;
            result(nRow + 1, 0) = value.dReal;
            result(nRow + 1, 1) = -value.dImag;
            ++nRow;
        }
        ++nRow;
    }
    return ToResult(result, solved.nExponent);
}

CMatrix Eigenvectors(const CMatrix& a)
{
    SEigenSystem solved = EigenSystem(a, true);
    if (solved.bComplex)
    {
        throw MoreText::kComplexEigenvalues;
    }
    MatrixXd& vectors = solved.vectors;
    for (Index j = 0; j < vectors.cols(); ++j)
    {
        NormalizeSign(vectors, j);
    }
    const VectorXd sigma = Eigen::JacobiSVD<MatrixXd>(vectors).singularValues();
    if (!(sigma(sigma.size() - 1) >= kEigenvectorIndependence * sigma(0)))
    {
        throw MoreText::kDependentEigenvectors;
    }
    return ToResult(vectors);
}

CMatrix Rank(const CMatrix& a)
{
    const SScaled scaled = ToEigen(a, MoreText::kSelectedNotFinite);
    return ScalarResult(static_cast<double>(Decompose(scaled.values, 0).nRank));
}

CMatrix ReducedRowEchelon(const CMatrix& a)
{
    // Scaled by the power of two of its largest magnitude, any exponent: the
    // operand times 2^k gives these very values, and so the same result, as
    // long as it holds the operand's values exactly.
    MatrixXd r = ToEigen(a, MoreText::kSelectedNotFinite, EExponent::Any).values;
    const Index m = r.rows();
    const Index n = r.cols();
    const double dTolerance =
        static_cast<double>(std::max(m, n)) * kEpsilon * r.cwiseAbs().rowwise().sum().maxCoeff();
    // The magnitude of each pivot row's pivot, to take its values back to the
    // operand's units.
    std::vector<double> pivots;
    Index nPivotRow = 0;
    for (Index j = 0; j < n && nPivotRow < m; ++j)
    {
        Index nBest = nPivotRow;
        for (Index i = nPivotRow + 1; i < m; ++i)
        {
            if (std::fabs(r(i, j)) > std::fabs(r(nBest, j)))
            {
                nBest = i;
            }
        }
        if (std::fabs(r(nBest, j)) <= dTolerance)
        {
            r.col(j).tail(m - nPivotRow).setZero();
            continue;
        }
        r.row(nPivotRow).swap(r.row(nBest));
        const double dPivot = r(nPivotRow, j);
        pivots.push_back(std::fabs(dPivot));
        for (Index k = j + 1; k < n; ++k)
        {
            r(nPivotRow, k) /= dPivot;
        }
        r(nPivotRow, j) = 1.0;
        for (Index i = 0; i < m; ++i)
        {
            const double dFactor = r(i, j);
            if (i == nPivotRow || dFactor == 0.0)
            {
                continue;
            }
            for (Index k = j + 1; k < n; ++k)
            {
                r(i, k) -= dFactor * r(nPivotRow, k);
            }
            r(i, j) = 0.0;
        }
        ++nPivotRow;
    }
    // The rows below the last pivot row are zero already. In a pivot row, a
    // value that would count as zero before the division by the pivot
    // (|value| * |pivot| <= the tolerance) is flushed to 0.
    for (Index i = 0; i < nPivotRow; ++i)
    {
        const double dPivot = pivots[static_cast<std::size_t>(i)];
        for (Index k = 0; k < n; ++k)
        {
            if (std::fabs(r(i, k)) * dPivot <= dTolerance)
            {
                r(i, k) = 0.0;
            }
        }
    }
    return ToResult(r);
}

CMatrix Trace(const CMatrix& a)
{
    if (a.m_nRows != a.m_nCols)
    {
        throw EngineText::kSelectedNotSquare;
    }
    LargestMagnitude(a, MoreText::kSelectedNotFinite);
    double dSum = 0.0;
    for (int i = 0; i < a.m_nRows; ++i)
    {
        dSum += a.GetElement(i, i);
    }
    return ScalarResult(dSum);
}

CMatrix Norm2(const CMatrix& a)
{
    const SScaled scaled = ToEigen(a, MoreText::kSelectedNotFinite);
    const Eigen::JacobiSVD<MatrixXd> svd(scaled.values);
    return ScalarResult(svd.singularValues()(0), scaled.nExponent);
}

CMatrix ConditionNumber(const CMatrix& a)
{
    const SScaled scaled = ToEigen(a, MoreText::kSelectedNotFinite);
    const SSvd svd = Decompose(scaled.values, 0);
    const VectorXd& sigma = svd.solver.singularValues();
    if (svd.nRank < sigma.size())
    {
        throw MoreText::kNotFullRank;
    }
    return ScalarResult(sigma(0) / sigma(sigma.size() - 1));
}

CMatrix SingularValues(const CMatrix& a)
{
    const SScaled scaled = ToEigen(a, MoreText::kSelectedNotFinite);
    const Eigen::JacobiSVD<MatrixXd> svd(scaled.values);
    return ToResult(svd.singularValues(), scaled.nExponent);
}

std::vector<CMatrix> QrDecomposition(const CMatrix& a)
{
    const SScaled scaled = ToEigen(a, MoreText::kSelectedNotFinite);
    const Eigen::HouseholderQR<MatrixXd> qr(scaled.values);
    MatrixXd q = qr.householderQ();
    MatrixXd r = qr.matrixQR().triangularView<Eigen::Upper>();
    for (Index k = 0; k < std::min(r.rows(), r.cols()); ++k)
    {
        if (r(k, k) < 0.0)
        {
            r.row(k) = -r.row(k);
            q.col(k) = -q.col(k);
        }
    }
    std::vector<CMatrix> results;
    results.push_back(ToResult(q));
    results.push_back(ToResult(r, scaled.nExponent));
    return results;
}

std::vector<CMatrix> LuDecomposition(const CMatrix& a)
{
    const SScaled scaled = ToEigenSquare(a);
    const Eigen::PartialPivLU<MatrixXd> lu(scaled.values);
    const Index n = scaled.values.rows();
    MatrixXd l = MatrixXd::Identity(n, n);
    l.triangularView<Eigen::StrictlyLower>() = lu.matrixLU();
    const MatrixXd u = lu.matrixLU().triangularView<Eigen::Upper>();
    const MatrixXd p = lu.permutationP().toDenseMatrix().cast<double>();
    std::vector<CMatrix> results;
    results.push_back(ToResult(p));
    results.push_back(ToResult(l));
    results.push_back(ToResult(u, scaled.nExponent));
    return results;
}

CMatrix PseudoInverse(const CMatrix& a)
{
    const SScaled scaled = ToEigen(a, MoreText::kSelectedNotFinite);
    const SSvd svd = Decompose(scaled.values, Eigen::ComputeThinU | Eigen::ComputeThinV);
    const Index r = svd.nRank;
    const MatrixXd inverse = svd.solver.matrixV().leftCols(r) *
                             svd.solver.singularValues().head(r).cwiseInverse().asDiagonal() *
                             svd.solver.matrixU().leftCols(r).transpose();
    return ToResult(inverse, -scaled.nExponent);
}

CMatrix NullSpace(const CMatrix& a)
{
    const SScaled scaled = ToEigen(a, MoreText::kSelectedNotFinite);
    const SSvd svd = Decompose(scaled.values, Eigen::ComputeFullV);
    const Index n = scaled.values.cols();
    if (svd.nRank == n)
    {
        throw MoreText::kTrivialNullSpace;
    }
    MatrixXd basis = svd.solver.matrixV().rightCols(n - svd.nRank);
    for (Index j = 0; j < basis.cols(); ++j)
    {
        NormalizeSign(basis, j);
    }
    return ToResult(basis);
}

CMatrix LeastSquares(const CMatrix& a, const CMatrix& b)
{
    const SScaled scaledA = ToEigen(a, MoreText::kFirstNotFinite);
    if (b.m_nCols != 1 || b.m_nRows != a.m_nRows)
    {
        throw MoreText::kLeastSquaresShape;
    }
    const SScaled scaledB = ToEigen(b, MoreText::kSecondNotFinite);
    const SSvd svd = Decompose(scaledA.values, Eigen::ComputeThinU | Eigen::ComputeThinV);
    const Index r = svd.nRank;
    const VectorXd coefficients = (svd.solver.matrixU().leftCols(r).transpose() * scaledB.values)
                                      .cwiseQuotient(svd.solver.singularValues().head(r));
    const VectorXd x = svd.solver.matrixV().leftCols(r) * coefficients;
    return ToResult(x, scaledB.nExponent - scaledA.nExponent);
}

CMatrix CharacteristicPolynomial(const CMatrix& a)
{
    const SScaled scaled = ToEigenSquare(a);
    const Index n = scaled.values.rows();
    if (IsZeroBeyond(a, 0, true) || IsZeroBeyond(a, 0, false))
    {
        return ToResult(DiagonalPolynomial(a).reverse().transpose());
    }
    // An upper Hessenberg matrix is taken as it is; a lower Hessenberg one is
    // transposed (the same polynomial); any other is reduced first.
    MatrixXd h = scaled.values;
    if (!IsZeroBeyond(a, 1, true))
    {
        if (IsZeroBeyond(a, 1, false))
        {
            h.transposeInPlace();
        }
        else
        {
            h = Eigen::HessenbergDecomposition<MatrixXd>(scaled.values).matrixH();
        }
    }
    const VectorXd ascending = HessenbergPolynomial(h);
    // The coefficient of lambda^(n - j) scales with the j-th power of A's scale.
    MatrixXd row(1, n + 1);
    for (Index j = 0; j <= n; ++j)
    {
        row(0, j) = std::ldexp(ascending(n - j), static_cast<int>(j) * scaled.nExponent);
    }
    return ToResult(row);
}

const std::array<SMoreOperation, 14> kMoreOperations = {{
    {"Eig", 1, "Eigenvalues", Single<Eigenvalues>},
    {"Vec", 1, "Eigenvectors", Single<Eigenvectors>},
    {"Rank", 1, "Rank", Single<Rank>},
    {"Rref", 1, "Reduced row echelon form", Single<ReducedRowEchelon>},
    {"Tr", 1, "Trace", Single<Trace>},
    {"Nrm", 1, "2-norm (largest singular value)", Single<Norm2>},
    {"Cond", 1, "Condition number in the 2-norm", Single<ConditionNumber>},
    {"Svd", 1, "Singular values", Single<SingularValues>},
    {"Qr", 1, "QR decomposition A = Q R", Several<QrDecomposition>},
    {"Lu", 1, "LU decomposition P A = L U", Several<LuDecomposition>},
    {"Pinv", 1, "Moore-Penrose pseudo-inverse", Single<PseudoInverse>},
    {"Null", 1, "Orthonormal basis of the null space", Single<NullSpace>},
    {"Lsq", 2, "Least-squares solution of A x = b", LeastSquaresOfPair},
    {"Chp", 1, "Characteristic polynomial det(lambda I - A)", Single<CharacteristicPolynomial>},
}};
