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

// The ten significant digits of a finite value and the decimal exponent of
// the first, as std::to_chars writes them in scientific form
// (d.ddddddddde±XX). std::to_chars is locale-free and correctly rounded
// (round-half-even on the exact binary value).
struct SignificantDigits
{
    bool bNegative = false;
    char digits[kSignificantDigits] = {};
    int nDigits = 0;
    int nExponent = 0;
};

SignificantDigits ToSignificantDigits(double dValue)
{
    char buf[64];
    const std::to_chars_result res = std::to_chars(
        buf, buf + sizeof buf, dValue, std::chars_format::scientific, kSignificantDigits - 1);
    const char* p = buf;
    const char* const pEnd = res.ptr;

    SignificantDigits sd;
    if (*p == '-')
    {
        sd.bNegative = true;
        ++p;
    }
    while (p != pEnd && *p != 'e')
    {
        if (IsDigit(*p) && sd.nDigits < kSignificantDigits)
            sd.digits[sd.nDigits++] = *p;
        ++p;
    }
    if (p != pEnd)
    {
        ++p; // 'e'
        const bool bNegative = (*p == '-');
        ++p; // the exponent's sign is always present
        for (; p != pEnd; ++p)
            sd.nExponent = sd.nExponent * 10 + (*p - '0');
        if (bNegative)
            sd.nExponent = -sd.nExponent;
    }
    return sd;
}

// d.ddde±XXX: the kept digits, then an exponent of at least three digits.
void AppendExponentForm(std::string& out, const SignificantDigits& sd, int nKept, char cExponent)
{
    out += sd.digits[0];
    if (nKept > 1)
    {
        out += '.';
        out.append(sd.digits + 1, sd.digits + nKept);
    }
    out += cExponent;
    out += sd.nExponent < 0 ? '-' : '+';
    const int nAbs = sd.nExponent < 0 ? -sd.nExponent : sd.nExponent;
    char exp[8];
    const std::to_chars_result er = std::to_chars(exp, exp + sizeof exp, nAbs);
    const std::size_t nExpLen = static_cast<std::size_t>(er.ptr - exp);
    if (nExpLen < 3)
        out.append(3 - nExpLen, '0');
    out.append(exp, er.ptr);
}

// ddd.ddd or 0.000ddd: the kept digits around a point, for exponents -4 to 9.
void AppendFixedForm(std::string& out, const SignificantDigits& sd, int nKept)
{
    if (sd.nExponent >= 0)
    {
        // Integer part: digits 0..nExponent (all ten digits exist, and
        // nExponent <= 9, so no padding is needed).
        out.append(sd.digits, sd.digits + sd.nExponent + 1);
        if (nKept > sd.nExponent + 1)
        {
            out += '.';
            out.append(sd.digits + sd.nExponent + 1, sd.digits + nKept);
        }
    }
    else
    {
        out += "0.";
        out.append(static_cast<std::size_t>(-sd.nExponent - 1), '0');
        out.append(sd.digits, sd.digits + nKept);
    }
}

// Formats like "%.10G" / "%.10g" with an exponent of at least three digits:
// the digits come from std::to_chars, only the choice between fixed and
// exponent form is made here.
std::string FormatGeneral(double dValue, char cExponent, const char* pszInf, const char* pszNan)
{
    if (std::isnan(dValue))
        return pszNan;
    if (std::isinf(dValue))
        return std::string(dValue < 0 ? "-" : "") + pszInf;

    const SignificantDigits sd = ToSignificantDigits(dValue);
    std::string out;
    out.reserve(24);
    if (sd.bNegative)
        out += '-';

    // Significant digits without trailing zeros (at least one remains).
    int nKept = sd.nDigits;
    while (nKept > 1 && sd.digits[nKept - 1] == '0')
        --nKept;

    if (sd.nExponent < -4 || sd.nExponent >= kSignificantDigits)
        AppendExponentForm(out, sd, nKept, cExponent);
    else
        AppendFixedForm(out, sd, nKept);
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

namespace
{
// Where the parts of a number text lie: [nMantissaStart, nMantissaEnd) holds
// the digits and the optional point, [nExpDigitsStart, nExpDigitsEnd) the
// exponent's digits (empty when there is no exponent), nEnd is one past the
// number.
struct NumberSpan
{
    bool bNegative = false;
    bool bAnyDigit = false;
    bool bNonZero = false;
    std::size_t nMantissaStart = 0;
    std::size_t nMantissaEnd = 0;
    bool bExpNegative = false;
    std::size_t nExpDigitsStart = 0;
    std::size_t nExpDigitsEnd = 0;
    std::size_t nEnd = 0;
};

// An optional sign, digits with an optional point; stops at the first other
// character.
void ScanMantissa(std::string_view text, NumberSpan& span)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    if (i < n && (text[i] == '+' || text[i] == '-'))
    {
        span.bNegative = (text[i] == '-');
        ++i;
    }
    span.nMantissaStart = i;
    const auto scanDigits = [&]
    {
        while (i < n && IsDigit(text[i]))
        {
            span.bAnyDigit = true;
            span.bNonZero = span.bNonZero || text[i] != '0';
            ++i;
        }
    };
    scanDigits();
    if (i < n && text[i] == '.')
    {
        ++i;
        scanDigits();
    }
    span.nMantissaEnd = i;
    span.nEnd = i;
}

// The exponent counts only when at least one digit follows the letter and its
// optional sign; otherwise the number ends before the letter.
void ScanExponent(std::string_view text, NumberSpan& span)
{
    const std::size_t n = text.size();
    std::size_t i = span.nMantissaEnd;
    span.nExpDigitsStart = i;
    span.nExpDigitsEnd = i;
    if (!(i < n && (text[i] == 'e' || text[i] == 'E')))
        return;
    std::size_t j = i + 1;
    bool bSignNegative = false;
    if (j < n && (text[j] == '+' || text[j] == '-'))
    {
        bSignNegative = (text[j] == '-');
        ++j;
    }
    if (!(j < n && IsDigit(text[j])))
        return;
    span.nExpDigitsStart = j;
    while (j < n && IsDigit(text[j]))
        ++j;
    span.nExpDigitsEnd = j;
    span.bExpNegative = bSignNegative;
    span.nEnd = j;
}

// The magnitude of a validated span that holds a non-zero digit; out of range
// it is infinity or zero.
double SpanMagnitude(std::string_view text, const NumberSpan& span)
{
    // from_chars takes no '+', so parse the unsigned span; the caller applies
    // the sign.
    const char* const pFirst = text.data() + span.nMantissaStart;
    const char* const pLast = text.data() + span.nEnd;
    double dMagnitude = 0.0;
    const std::from_chars_result res =
        std::from_chars(pFirst, pLast, dMagnitude, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range)
    {
        // The value is unchanged on a range error: decide between overflow
        // and underflow from the decimal exponent (far above 0 or far below).
        const long long nLead = LeadingExponent(
            text.substr(span.nMantissaStart, span.nMantissaEnd - span.nMantissaStart),
            text.substr(span.nExpDigitsStart, span.nExpDigitsEnd - span.nExpDigitsStart),
            span.bExpNegative);
        return nLead >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    if (res.ec != std::errc())
    {
        // Cannot happen for a validated span; be safe anyway.
        return 0.0;
    }
    return dMagnitude;
}
} // namespace

// Leading blanks are not skipped: callers pass texts that have none (cell
// texts hold only number characters; the file reader splits words itself).
double ParseNumberPrefix(std::string_view text, std::size_t* pnUsed)
{
    if (pnUsed)
        *pnUsed = 0;

    NumberSpan span;
    ScanMantissa(text, span);
    if (!span.bAnyDigit)
        return 0.0;
    ScanExponent(text, span);
    if (pnUsed)
        *pnUsed = span.nEnd;

    const double dSign = span.bNegative ? -1.0 : 1.0;
    if (!span.bNonZero)
        return std::copysign(0.0, dSign);
    return std::copysign(SpanMagnitude(text, span), dSign);
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
