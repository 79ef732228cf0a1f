#include "platform/NumberText.h"
#include "tests/support/MatrixHelpers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>

namespace
{
constexpr double kInf = std::numeric_limits<double>::infinity();

// The reference: the C library's "%.10G" in the C locale, with the exponent
// widened to three digits.
std::string Oracle(double d, bool bUpper)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, bUpper ? "%.10G" : "%.10g", d);
    std::string s = buf;
    const std::size_t e = s.find_first_of("eE");
    if (e != std::string::npos && s.size() - (e + 2) < 3)
        s.insert(e + 2, 3 - (s.size() - (e + 2)), '0');
    return s;
}

class CLocaleGuard
{
public:
    CLocaleGuard() { std::setlocale(LC_ALL, "C"); }
    ~CLocaleGuard() { std::setlocale(LC_ALL, "C"); }
};

double Parse(const char* psz, std::size_t* pnUsed = nullptr)
{
    return ParseNumberPrefix(psz, pnUsed);
}

} // namespace

TEST(FormatNumber, DocumentedCellExamples)
{
    EXPECT_EQ(FormatCellNumber(0.0), "0");
    EXPECT_EQ(FormatCellNumber(1.0 / 3.0), "0.3333333333");
    EXPECT_EQ(FormatCellNumber(2.0 / 3.0), "0.6666666667");
    EXPECT_EQ(FormatCellNumber(-2.5), "-2.5");
    EXPECT_EQ(FormatCellNumber(1234567890.0), "1234567890");
    EXPECT_EQ(FormatCellNumber(12345678901.0), "1.23456789E+010");
    EXPECT_EQ(FormatCellNumber(0.0001), "0.0001");
    EXPECT_EQ(FormatCellNumber(0.00001), "1E-005");
    EXPECT_EQ(FormatCellNumber(1e100), "1E+100");
    EXPECT_EQ(FormatCellNumber(DBL_MAX), "1.797693135E+308");
    EXPECT_EQ(FormatCellNumber(5e-324), "4.940656458E-324");
    EXPECT_EQ(FormatCellNumber(-0.0), "-0");
}

TEST(FormatNumber, FileFormUsesLowerCase)
{
    EXPECT_EQ(FormatFileNumber(0.00001), "1e-005");
    EXPECT_EQ(FormatFileNumber(12345678901.0), "1.23456789e+010");
    EXPECT_EQ(FormatFileNumber(-3.0), "-3");
    EXPECT_EQ(FormatFileNumber(-0.0), "-0");
    EXPECT_EQ(FormatFileNumber(0.333333333333), "0.3333333333");
}

TEST(FormatNumber, NonFiniteValues)
{
    EXPECT_EQ(FormatCellNumber(kInf), "INF");
    EXPECT_EQ(FormatCellNumber(-kInf), "-INF");
    EXPECT_EQ(FormatCellNumber(std::nan("")), "NAN");
    EXPECT_EQ(FormatCellNumber(-std::nan("")), "NAN");
    EXPECT_EQ(FormatFileNumber(kInf), "inf");
    EXPECT_EQ(FormatFileNumber(-kInf), "-inf");
    EXPECT_EQ(FormatFileNumber(-std::nan("")), "nan");
}

TEST(FormatNumber, RoundingDecidesTheForm)
{
    // Rounding to ten digits can carry into a new decade and change the form.
    EXPECT_EQ(FormatCellNumber(9999999999.5), "1E+010");
    EXPECT_EQ(FormatCellNumber(9999999999.4), "9999999999");
    EXPECT_EQ(FormatCellNumber(0.00009999999999), "9.999999999E-005");
    EXPECT_EQ(FormatCellNumber(0.000099999999999), "0.0001");
    EXPECT_EQ(FormatCellNumber(1e10 - 1), "9999999999");
    EXPECT_EQ(FormatCellNumber(1e10), "1E+010");
    // Exact ties in binary round to even.
    EXPECT_EQ(FormatCellNumber(12345678905.0), "1.23456789E+010");
    EXPECT_EQ(FormatCellNumber(12345678915.0), "1.234567892E+010");
    EXPECT_EQ(FormatCellNumber(0.5), "0.5");
}

TEST(FormatNumber, BoundaryValuesMatchTheCLibrary)
{
    CLocaleGuard guard;
    const double values[] = {9999999999.5,
                             9999999999.499999,
                             0.00009999999999,
                             0.000099999999995,
                             1e-5,
                             1e-4,
                             1e10 - 1,
                             1e10,
                             5e-324,
                             DBL_MIN,
                             DBL_MAX,
                             -DBL_MAX,
                             -0.0,
                             0.1,
                             0.15,
                             1.0 / 3.0,
                             123456789.01234,
                             -1e-300,
                             1e300,
                             0.000123456789012,
                             2.5e-5,
                             1e15 + 5,
                             4503599627370497.0};
    for (const double d : values)
    {
        EXPECT_EQ(FormatCellNumber(d), Oracle(d, true)) << d;
        EXPECT_EQ(FormatFileNumber(d), Oracle(d, false)) << d;
    }
}

TEST(FormatNumber, RandomSweepMatchesTheCLibrary)
{
    CLocaleGuard guard;
    std::mt19937_64 rng(20240601);
    int nFailures = 0;
    for (int i = 0; i < 200000 && nFailures < 10; ++i)
    {
        double d = 0.0;
        if (i % 2 == 0)
        {
            // Any bit pattern: every magnitude, denormals included.
            const std::uint64_t bits = rng();
            std::memcpy(&d, &bits, sizeof d);
            if (!std::isfinite(d))
                continue;
        }
        else
        {
            // Short decimals near the form boundaries and ties.
            const int nExp = static_cast<int>(rng() % 30) - 15;
            d = static_cast<double>(rng() % 100000000000ULL) * std::pow(10.0, nExp);
        }
        const std::string got = FormatCellNumber(d);
        const std::string want = Oracle(d, true);
        if (got != want)
        {
            ++nFailures;
            ADD_FAILURE() << "value " << want << " formatted as " << got;
        }
    }
}

TEST(ParseNumber, LeadingNumberRule)
{
    // The text, its value, and how many characters the number takes.
    const struct
    {
        const char* pText;
        double dValue;
        std::size_t nUsed;
    } cases[] = {
        {"1e3", 1000.0, 3}, {"-.5x", -0.5, 3}, {"+7", 7.0, 2},   {"2E-2", 0.02, 4},
        {"1-2", 1.0, 1},    {"1.2.3", 1.2, 3}, {"1e", 1.0, 1},   {"1e+", 1.0, 1},
        {"1E-x", 1.0, 1},   {"5.", 5.0, 2},    {"0x10", 0.0, 1},
    };
    for (const auto& c : cases)
    {
        std::size_t n = 99;
        EXPECT_EQ(Parse(c.pText, &n), c.dValue) << c.pText;
        EXPECT_EQ(n, c.nUsed) << c.pText;
    }
}

TEST(ParseNumber, NoNumberGivesZeroAndNothingUsed)
{
    for (const char* psz : {"", "-", "+", "e", "E5", ".", "-.", "+e1", "inf", "nan", " 1", ",5"})
    {
        std::size_t n = 99;
        EXPECT_EQ(Parse(psz, &n), 0.0) << psz;
        EXPECT_EQ(n, 0u) << psz;
    }
}

TEST(ParseNumber, SignedZero)
{
    EXPECT_TRUE(std::signbit(Parse("-0")));
    EXPECT_TRUE(std::signbit(Parse("-0.000e-999")));
    EXPECT_FALSE(std::signbit(Parse("0e99999")));
}

TEST(ParseNumber, OverflowAndUnderflow)
{
    EXPECT_EQ(Parse("1e400"), kInf);
    EXPECT_EQ(Parse("-1e400"), -kInf);
    EXPECT_EQ(Parse("1e99999999999999999999999999"), kInf);
    EXPECT_EQ(Parse("0.00000000000000000001e330"), kInf);
    EXPECT_EQ(Parse("1.7976931348623159e308"), kInf);
    EXPECT_EQ(Parse("1.7976931348623157e308"), DBL_MAX);

    EXPECT_EQ(Parse("1e-400"), 0.0);
    EXPECT_FALSE(std::signbit(Parse("1e-400")));
    EXPECT_TRUE(std::signbit(Parse("-1e-400")));
    EXPECT_EQ(Parse("100000000000000000000e-345"), 0.0);
    EXPECT_EQ(Parse("1e-99999999999999999999999999"), 0.0);
    // Denormals are rounded correctly, also just above and below half the
    // smallest one.
    EXPECT_EQ(Parse("4.9406564584124654e-324"), 5e-324);
    EXPECT_EQ(Parse("3e-324"), 5e-324);
    EXPECT_EQ(Parse("2.4703282292062328e-324"), 5e-324);
    EXPECT_EQ(Parse("2.4703282292062327e-324"), 0.0);
    EXPECT_EQ(Parse("1e-320"), std::strtod("1e-320", nullptr));
}

TEST(ParseNumber, AgreesWithStrtodOnRandomTexts)
{
    CLocaleGuard guard;
    std::mt19937_64 rng(7);
    for (int i = 0; i < 50000; ++i)
    {
        std::string s;
        if (rng() % 3 == 0)
            s += (rng() % 2) ? '-' : '+';
        const int nInt = static_cast<int>(rng() % 25);
        for (int k = 0; k < nInt; ++k)
            s += static_cast<char>('0' + rng() % 10);
        if (rng() % 2)
        {
            s += '.';
            const int nFrac = static_cast<int>(rng() % 25);
            for (int k = 0; k < nFrac; ++k)
                s += static_cast<char>('0' + rng() % 10);
        }
        if (rng() % 2)
        {
            s += (rng() % 2) ? 'e' : 'E';
            if (rng() % 2)
                s += (rng() % 2) ? '-' : '+';
            s += std::to_string(rng() % 700);
        }
        char* pEnd = nullptr;
        const double want = std::strtod(s.c_str(), &pEnd);
        std::size_t n = 0;
        const double got = ParseNumberPrefix(s, &n);
        ASSERT_TRUE(SameBits(got, want) || (got == 0.0 && want == 0.0 && pEnd == s.c_str()))
            << s << " gave " << got;
        ASSERT_EQ(n, static_cast<std::size_t>(pEnd - s.c_str())) << s;
    }
}

TEST(ParseNumber, VeryLongDigitStrings)
{
    // The halfway point between 1 and the next double, followed by thousands
    // of digits: only the last non-zero digit decides the rounding.
    std::string s = "1.00000000000000011102230246251565404236316680908203125";
    std::string exact = s + std::string(5000, '0');
    EXPECT_EQ(ParseNumberPrefix(exact), 1.0); // tie, rounds to even
    exact += "1";
    EXPECT_EQ(ParseNumberPrefix(exact), 1.0000000000000002);

    std::string ones(100000, '1');
    ones += "e-99990";
    EXPECT_EQ(ParseNumberPrefix(ones), std::strtod(ones.c_str(), nullptr));
}

// The cell rule looks at characters only: each of the 256 byte values alone,
// then texts that are legal in meaningless order or hold one bad character.
TEST(LegalNumberText, ExactlyFifteenCharacters)
{
    const std::string_view allowed = "0123456789.+-eE";
    int nLegal = 0;
    for (int c = 0; c < 256; ++c)
    {
        const char ch = static_cast<char>(c);
        const bool bLegal = IsLegalNumberText(std::string_view(&ch, 1));
        EXPECT_EQ(bLegal, allowed.find(ch) != std::string_view::npos) << c;
        nLegal += bLegal ? 1 : 0;
    }
    EXPECT_EQ(nLegal, 15);

    for (const char* psz : {"", "0123456789.+-eE", "1-2", "1.2.3", "e", "-", "+e-E.", "1e400"})
        EXPECT_TRUE(IsLegalNumberText(psz)) << psz;
    for (const char* psz : {" 1", "1 ", "1,5", "0x10", "inf", "nan", "1d5", "\xc2\xb2", "12a"})
        EXPECT_FALSE(IsLegalNumberText(psz)) << psz;
    // Inside a text of known length, a NUL is just another bad character.
    EXPECT_FALSE(IsLegalNumberText(std::string_view("1\0"
                                                    "5",
                                                    3)));
    // Long texts are judged whole: the bad character may come last.
    EXPECT_TRUE(IsLegalNumberText(std::string(100000, '7')));
    EXPECT_FALSE(IsLegalNumberText(std::string(100000, '7') + "x"));
}

TEST(NumberTextLocale, IndependentOfTheProcessLocale)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "de_DE.UTF-8 locale not available";
    // A decimal comma locale must not change either direction.
    EXPECT_EQ(ParseNumberPrefix("1.5"), 1.5);
    EXPECT_EQ(ParseNumberPrefix("1,5"), 1.0);
    EXPECT_EQ(FormatCellNumber(0.5), "0.5");
    EXPECT_EQ(FormatFileNumber(1234.25), "1234.25");
    EXPECT_EQ(FormatFileNumber(12345678901.0), "1.23456789e+010");
    std::setlocale(LC_ALL, "C");
}
