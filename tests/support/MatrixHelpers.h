// What the tests and the benchmarks share to make matrices and compare
// numbers: scalars, identities, seeded random values, rotations whose powers
// never repeat, and the comparison bit for bit. The standard library and the
// engine only, so that every test and benchmark can use it.
#pragma once

#include "engine/Matrix.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

inline std::uint64_t Bits(double d)
{
    return std::bit_cast<std::uint64_t>(d);
}

// The same double to the bit: -0 is not 0, and a NaN equals only a NaN with
// the same bits.
inline bool SameBits(double a, double b)
{
    return Bits(a) == Bits(b);
}

inline bool SameBitsOrBothNaN(double a, double b)
{
    return SameBits(a, b) || (std::isnan(a) && std::isnan(b));
}

// The 1 x 1 matrix of d (an exponent, for Power).
inline CMatrix Scalar(double d)
{
    CMatrix m(1, 1);
    m.SetElement(0, 0, d);
    return m;
}

inline CMatrix Identity(int n)
{
    CMatrix m(n, n);
    for (int i = 0; i < n; ++i)
        m.SetElement(i, i, 1.0);
    return m;
}

// An nRows x nCols matrix of the values draw() gives, row by row.
template <class Draw> CMatrix FilledMatrix(int nRows, int nCols, Draw&& draw)
{
    CMatrix m(nRows, nCols);
    for (int i = 0; i < nRows; ++i)
        for (int j = 0; j < nCols; ++j)
            m.SetElement(i, j, draw());
    return m;
}

// An n x n matrix of values k / 32767 with k from 0 to 32767, as the random
// objects have them, scaled.
inline CMatrix RandomMatrix(int n, unsigned nSeed, double dScale = 1.0)
{
    std::mt19937 generator(nSeed);
    std::uniform_int_distribution<int> draw(0, 32767);
    return FilledMatrix(n, n, [&] { return draw(generator) / 32767.0 * dScale; });
}

// Values uniform in [-10, 10) from the generator.
inline CMatrix RandomMatrix(std::mt19937& generator, int nRows, int nCols)
{
    std::uniform_real_distribution<double> value(-10.0, 10.0);
    return FilledMatrix(nRows, nCols, [&] { return value(generator); });
}

// Plane rotations down the diagonal, block b (from 0) by the angle
// pAngle(b) in radians, and a 1 in the last place of an odd order. At angles
// that are not rational multiples of pi (whole radians, square roots) the
// powers never come back bit for bit.
inline CMatrix RotationMatrix(int n, double (*pAngle)(int nBlock))
{
    CMatrix m(n, n);
    for (int b = 0; 2 * b + 1 < n; ++b)
    {
        const double dAngle = pAngle(b);
        const int i = 2 * b;
        m.SetElement(i, i, std::cos(dAngle));
        m.SetElement(i, i + 1, -std::sin(dAngle));
        m.SetElement(i + 1, i, std::sin(dAngle));
        m.SetElement(i + 1, i + 1, std::cos(dAngle));
    }
    if (n % 2 == 1)
        m.SetElement(n - 1, n - 1, 1.0);
    return m;
}
