// Helpers shared by the fuzz targets: the check that ends a run with a
// report, bit-exact comparison of doubles, and reference conversions through
// the C library (the fuzz processes never call setlocale, so the C library
// works in the "C" locale here).
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// Stops the run with the failed condition; libFuzzer saves the input.
#define FUZZ_CHECK(cond, ...)                                                                      \
    do                                                                                             \
    {                                                                                              \
        if (!(cond))                                                                               \
        {                                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #cond);        \
            std::fprintf(stderr, __VA_ARGS__);                                                     \
            std::fprintf(stderr, "\n");                                                            \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

inline std::uint64_t Bits(double d)
{
    std::uint64_t n = 0;
    std::memcpy(&n, &d, sizeof n);
    return n;
}

inline double FromBits(std::uint64_t n)
{
    double d = 0.0;
    std::memcpy(&d, &n, sizeof d);
    return d;
}

// The C library's reading of a NUL-free text: the value and the number of
// characters taken.
inline double ReferenceStrtod(std::string_view text, std::size_t* pnUsed)
{
    const std::string copy(text);
    char* pEnd = nullptr;
    errno = 0;
    const double d = std::strtod(copy.c_str(), &pEnd);
    *pnUsed = static_cast<std::size_t>(pEnd - copy.c_str());
    return d;
}

// dValue (finite) rounded to 10 significant digits, through the C library:
// "%.9e" then strtod. Both are correctly rounded in glibc.
inline double ReferenceRound10(double dValue)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9e", dValue);
    return std::strtod(buf, nullptr);
}

// The C library's "%.10g" (or "%.10G") with the exponent widened to at least
// three digits: the form the program writes into cells and files.
inline std::string ReferenceGeneral10(double dValue, bool bUpper)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, bUpper ? "%.10G" : "%.10g", dValue);
    std::string s(buf);
    const std::size_t nExp = s.find(bUpper ? 'E' : 'e');
    if (nExp != std::string::npos)
    {
        // s[nExp + 1] is the sign; glibc writes at least two digits.
        const std::size_t nDigits = s.size() - (nExp + 2);
        if (nDigits < 3)
            s.insert(nExp + 2, 3 - nDigits, '0');
    }
    return s;
}
