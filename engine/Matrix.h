// The matrix value type of the calculator and every numeric operation on it.
//
// Standard library only. Errors are thrown as the message text itself
// (type const char*); callers catch const char* and show the text.
#pragma once

#include <memory>

class CEntryControlView;

// The engine's message texts, each kept once so that code and tests agree.
namespace EngineText
{
inline constexpr char kSelectedNotSquare[] = "The selected object must be a square matrix.";
inline constexpr char kFirstNotSquare[] = "The first selected object must be a square matrix.";
inline constexpr char kExponentNotInteger[] =
    "The second selected object must be a positive integer scalar.";
inline constexpr char kUnequalDimensions[] = "The two selected objects must have equal dimensions.";
inline constexpr char kProductShape[] = "The number of columns in the first selected object muat "
                                        "equal the number of rows in the second.";
inline constexpr char kPivotTooSmall[] =
    "A pivot is too close to zero - the inverse will not be calculated.";
inline constexpr char kIllegalOperation[] = "Illegal operation.";
inline constexpr char kVectorPair[] = "Illegal operation. This function requires either two row "
                                      "vectors or two column vectors of equal dimension.";
inline constexpr char kZeroMagnitude[] = "Both vectors must have nonzero magnitude.";
} // namespace EngineText

// The pivot threshold of the elimination: a candidate is usable only when its
// absolute value is strictly greater.
inline constexpr double kPivotThreshold = 1.0e-8;

class CMatrix
{
public:
    // Right-hand half of the augmented matrix used by the elimination; the
    // identity pattern in every matrix an operation receives or returns.
    double** m_ppAugment;
    // The elements: element (i, j) is m_ppValues[i][j].
    double** m_ppValues;
    // The determinant accumulator of the elimination; 1.0 outside it.
    double m_dDeterminant;
    int m_nCols;
    int m_nRows;

    // A 2 x 2 zero matrix.
    CMatrix();
    // An nRows x nCols zero matrix.
    CMatrix(int nRows, int nCols);
    // Values copied from ppSource[i][j]; the source stays the caller's.
    CMatrix(double** ppSource, int nRows, int nCols);
    // Reads the view's cells (may throw the illegal-character text) and copies
    // its values. Defined with the view, so that the engine needs no GUI.
    explicit CMatrix(CEntryControlView* pView);
    CMatrix(const CMatrix& src);
    CMatrix(CMatrix&& src) noexcept;
    // Takes the source's shape (reallocating when it differs); the
    // accumulator becomes 1.0. Self-assignment changes nothing.
    CMatrix& operator=(const CMatrix& src);
    CMatrix& operator=(CMatrix&& src) noexcept;
    ~CMatrix();

    void SetElement(int nRow, int nCol, double dValue) { m_ppValues[nRow][nCol] = dValue; }
    double GetElement(int nRow, int nCol) const { return m_ppValues[nRow][nCol]; }

    CMatrix Transpose() const;
    double DiagonalProduct() const;
    double Determinant() const;
    CMatrix Inverse() const;
    // Reports progress (Progress.h) once per minor.
    CMatrix Cofactor() const;
    CMatrix Adjoint() const;
    double Magnitude() const;

    // Steps of the Gauss-Jordan elimination, one row operation at a time, on
    // a working copy. Determinant and Inverse run a faster elimination that
    // must give the same bits as these steps; the tests hold the two together,
    // so a change to one is a change to both.
    void Eliminate(int nRow, int nCol);
    void Pivot(int nRow, int nCol);
    void SwapRows(int nRowA, int nRowB);
    void NormalizeRow(int nRow, int nCol);
    void EliminateBelow(int nRow, int nCol);
    void BackSubstitute();
    void ClearAbove(int nRow, int nPivotRow);

private:
    // Gives the matrix fresh zeroed storage of the shape; the old storage, if
    // any, is released only after the new one exists.
    void Allocate(int nRows, int nCols);
    // Puts the identity pattern into the augment block.
    void SetAugmentIdentity() noexcept;
    // Copies the values and the augment block of a matrix of the same shape.
    void CopyBlocks(const CMatrix& src) noexcept;

    // The storage behind both blocks: one table of 2 x m_nRows row pointers
    // (values first, then augment) and one array holding all elements, the
    // values' rows followed by the augment's rows. The row pointers may be
    // exchanged freely; ownership stays with these two.
    std::unique_ptr<double*[]> m_pRowTable;
    std::unique_ptr<double[]> m_pElements;
};

CMatrix operator+(const CMatrix& a, const CMatrix& b);
CMatrix operator-(const CMatrix& a, const CMatrix& b);
CMatrix operator*(const CMatrix& a, const CMatrix& b);
CMatrix operator*(const CMatrix& m, double d);
// The running result times the base, exponent - 1 times, skipping the
// products whose result is known because the running result has repeated bit
// for bit. Reports progress (Progress.h) after every product it computes.
CMatrix Power(const CMatrix& base, const CMatrix& exponent);
double Dot(const CMatrix& a, const CMatrix& b);
CMatrix Cross(const CMatrix& a, const CMatrix& b);
double Angle(const CMatrix& a, const CMatrix& b);
