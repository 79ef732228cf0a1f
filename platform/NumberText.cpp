#include "platform/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace
{
constexpr int kSignificantDigits = 10;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Formats like "%.10G" / "%.10g" with an exponent of at least three digits.
// std::to_chars is locale-free and correctly rounded (round-half-even on the
// exact binary value), so the ten significant digits come from it and only
// the choice between fixed and exponent form is made here.
std::string FormatGeneral(double dValue, char cExponent, const char* pszInf, const char* pszNan)
{
    if (std::isnan(dValue))
        return pszNan;
    if (std::isinf(dValue))
        return std::string(dValue < 0 ? "-" : "") + pszInf;

    // d.ddddddddde±XX: one digit, the point, nine digits, the exponent.
    char buf[64];
    const std::to_chars_result res = std::to_chars(
        buf, buf + sizeof buf, dValue, std::chars_format::scientific, kSignificantDigits - 1);
    const char* p = buf;
    const char* const pEnd = res.ptr;

    std::string out;
    out.reserve(24);
    if (*p == '-')
    {
        out += '-';
        ++p;
    }

    char digits[kSignificantDigits];
    int nDigits = 0;
    while (p != pEnd && *p != 'e')
    {
        if (IsDigit(*p) && nDigits < kSignificantDigits)
            digits[nDigits++] = *p;
        ++p;
    }
    int nExponent = 0;
    if (p != pEnd)
    {
        ++p; // 'e'
        const bool bNegative = (*p == '-');
        ++p; // the exponent's sign is always present
        for (; p != pEnd; ++p)
            nExponent = nExponent * 10 + (*p - '0');
        if (bNegative)
            nExponent = -nExponent;
    }

    // Significant digits without trailing zeros (at least one remains).
    int nKept = nDigits;
    while (nKept > 1 && digits[nKept - 1] == '0')
        --nKept;

    if (nExponent < -4 || nExponent >= kSignificantDigits)
    {
        out += digits[0];
        if (nKept > 1)
        {
            out += '.';
            out.append(digits + 1, digits + nKept);
        }
        out += cExponent;
        out += nExponent < 0 ? '-' : '+';
        const int nAbs = nExponent < 0 ? -nExponent : nExponent;
        char exp[8];
        const std::to_chars_result er = std::to_chars(exp, exp + sizeof exp, nAbs);
        const std::size_t nExpLen = static_cast<std::size_t>(er.ptr - exp);
        if (nExpLen < 3)
            out.append(3 - nExpLen, '0');
        out.append(exp, er.ptr);
    }
    else if (nExponent >= 0)
    {
        // Integer part: digits 0..nExponent (all ten digits exist, and
        // nExponent <= 9, so no padding is needed).
        out.append(digits, digits + nExponent + 1);
        if (nKept > nExponent + 1)
        {
            out += '.';
            out.append(digits + nExponent + 1, digits + nKept);
        }
    }
    else
    {
        out += "0.";
        out.append(static_cast<std::size_t>(-nExponent - 1), '0');
        out.append(digits, digits + nKept);
    }
    return out;
}

// Decimal exponent of the leading significant digit of a validated number
// text (mantissa digits with an optional point, then an optional exponent);
// only its sign matters to the caller. The mantissa must hold a non-zero
// digit. Saturates instead of overflowing.
long long LeadingExponent(std::string_view mantissa, std::string_view exponentDigits,
                          bool bExponentNegative)
{
    constexpr long long kLimit = 1'000'000'000'000LL;
    long long nExp = 0;
    for (const char c : exponentDigits)
    {
        nExp = nExp * 10 + (c - '0');
        if (nExp > kLimit)
        {
            nExp = kLimit;
            break;
        }
    }
    if (bExponentNegative)
        nExp = -nExp;

    // Position of the first non-zero digit relative to the point.
    long long nIntDigits = 0;
    bool bSeenPoint = false;
    long long nPos = 0; // digits counted before the first non-zero one
    bool bFound = false;
    for (const char c : mantissa)
    {
        if (c == '.')
        {
            bSeenPoint = true;
            continue;
        }
        if (!bSeenPoint)
            ++nIntDigits;
        if (!bFound)
        {
            if (c != '0')
                bFound = true;
            else
                ++nPos;
        }
    }
    // Value is about 10^(nIntDigits - nPos - 1 + nExp).
    return nIntDigits - nPos - 1 + nExp;
}
} // namespace

std::string FormatCellNumber(double dValue)
{
    return FormatGeneral(dValue, 'E', "INF", "NAN");
}

std::string FormatFileNumber(double dValue)
{
    return FormatGeneral(dValue, 'e', "inf", "nan");
}

// Leading blanks are not skipped: callers pass texts that have none (cell
// texts hold only number characters; the file reader splits words itself).
double ParseNumberPrefix(std::string_view text, std::size_t* pnUsed)
{
    if (pnUsed)
        *pnUsed = 0;

    const std::size_t n = text.size();
    std::size_t i = 0;
    bool bNegative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
    {
        bNegative = (text[i] == '-');
        ++i;
    }
    const std::size_t nMantissaStart = i;
    bool bAnyDigit = false;
    bool bNonZero = false;
    while (i < n && IsDigit(text[i]))
    {
        bAnyDigit = true;
        bNonZero = bNonZero || text[i] != '0';
        ++i;
    }
    if (i < n && text[i] == '.')
    {
        ++i;
        while (i < n && IsDigit(text[i]))
        {
            bAnyDigit = true;
            bNonZero = bNonZero || text[i] != '0';
            ++i;
        }
    }
    if (!bAnyDigit)
        return 0.0;
    const std::size_t nMantissaEnd = i;

    // The exponent counts only when at least one digit follows the letter
    // and its optional sign; otherwise the number ends before the letter.
    std::size_t nExpDigitsStart = i;
    std::size_t nExpDigitsEnd = i;
    bool bExpNegative = false;
    if (i < n && (text[i] == 'e' || text[i] == 'E'))
    {
        std::size_t j = i + 1;
        bool bSignNegative = false;
        if (j < n && (text[j] == '+' || text[j] == '-'))
        {
            bSignNegative = (text[j] == '-');
            ++j;
        }
        if (j < n && IsDigit(text[j]))
        {
            nExpDigitsStart = j;
            while (j < n && IsDigit(text[j]))
                ++j;
            nExpDigitsEnd = j;
            bExpNegative = bSignNegative;
            i = j;
        }
    }
    if (pnUsed)
        *pnUsed = i;

    const double dSign = bNegative ? -1.0 : 1.0;
    if (!bNonZero)
        return std::copysign(0.0, dSign);

    // from_chars takes no '+', so parse the unsigned span and apply the sign.
    const char* const pFirst = text.data() + nMantissaStart;
    const char* const pLast = text.data() + i;
    double dMagnitude = 0.0;
    const std::from_chars_result res =
        std::from_chars(pFirst, pLast, dMagnitude, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range)
    {
        // The value is unchanged on a range error: decide between overflow
        // and underflow from the decimal exponent (far above 0 or far below).
        const long long nLead = LeadingExponent(
            text.substr(nMantissaStart, nMantissaEnd - nMantissaStart),
            text.substr(nExpDigitsStart, nExpDigitsEnd - nExpDigitsStart), bExpNegative);
        dMagnitude = nLead >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    else if (res.ec != std::errc())
    {
        // Cannot happen for a validated span; be safe anyway.
        dMagnitude = 0.0;
    }
    return std::copysign(dMagnitude, dSign);
}

bool IsLegalNumberText(std::string_view text)
{
    for (const char c : text)
    {
        if (!(IsDigit(c) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
            return false;
    }
    return true;
}
