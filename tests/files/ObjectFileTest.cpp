#include "files/ObjectFile.h"
#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>

namespace
{
std::optional<CMatrix> Read(const std::string& text)
{
    std::istringstream in(text);
    return ReadObjectFile(in);
}

CMatrix Example()
{
    CMatrix m(2, 3);
    m.SetElement(0, 0, 1.0);
    m.SetElement(0, 1, 2.5);
    m.SetElement(0, 2, -3.0);
    m.SetElement(1, 0, 0.333333333333);
    m.SetElement(1, 1, 12345678901.0);
    m.SetElement(1, 2, 0.00001);
    return m;
}

const char kExampleFile[] = "2 3 |\r\n1 2.5 -3 |\r\n0.3333333333 1.23456789e+010 1e-005 |\r\n";

// A valid file of the given shape whose values are 1, 2, 3, ...
std::string CountingFile(int nRows, int nCols)
{
    std::string s = std::to_string(nRows) + " " + std::to_string(nCols) + " |\r\n";
    int k = 0;
    for (int i = 0; i < nRows; ++i)
    {
        for (int j = 0; j < nCols; ++j)
            s += std::to_string(++k) + " ";
        s += "|\r\n";
    }
    return s;
}
} // namespace

TEST(ObjectFileWrite, ExampleByteForByte)
{
    EXPECT_EQ(FormatObjectFile(Example()), kExampleFile);

    CMatrix one(1, 1);
    one.SetElement(0, 0, -0.0);
    EXPECT_EQ(FormatObjectFile(one), "1 1 |\r\n-0 |\r\n");
}

TEST(ObjectFileWrite, TallMatrixIsWrittenButRefusedOnReading)
{
    CMatrix m(100, 1);
    for (int i = 0; i < 100; ++i)
        m.SetElement(i, 0, i * 0.5);
    const std::string text = FormatObjectFile(m);
    EXPECT_EQ(text.substr(0, 9), "100 1 |\r\n");
    EXPECT_EQ(text.substr(text.size() - 8), "49.5 |\r\n");
    EXPECT_FALSE(Read(text).has_value());
}

TEST(ObjectFileRead, ExampleLoadsBack)
{
    const std::optional<CMatrix> m = Read(kExampleFile);
    ASSERT_TRUE(m.has_value());
    ASSERT_EQ(m->m_nRows, 2);
    ASSERT_EQ(m->m_nCols, 3);
    EXPECT_EQ(m->GetElement(0, 0), 1.0);
    EXPECT_EQ(m->GetElement(0, 1), 2.5);
    EXPECT_EQ(m->GetElement(0, 2), -3.0);
    EXPECT_EQ(m->GetElement(1, 0), 0.3333333333);
    EXPECT_EQ(m->GetElement(1, 1), 12345678900.0);
    EXPECT_EQ(m->GetElement(1, 2), 0.00001);
}

TEST(ObjectFileRead, LayoutIsFree)
{
    for (const char* psz :
         {"2 2 | 1 2 | 3 4 |", "2 2 |\n1 2 |\n3 4 |\n", "2\t2\t|\r\n1\t2\t|\r\n3 4|",
          "\r\n  2 2 |\v1 2 |\f3 4 |", "+2 +2 | +1 2.0| 3e0 0.4E+1 |"})
    {
        const std::optional<CMatrix> m = Read(psz);
        ASSERT_TRUE(m.has_value()) << psz;
        ASSERT_EQ(m->m_nRows, 2);
        ASSERT_EQ(m->m_nCols, 2);
        EXPECT_EQ(m->GetElement(0, 0), 1.0);
        EXPECT_EQ(m->GetElement(0, 1), 2.0);
        EXPECT_EQ(m->GetElement(1, 0), 3.0);
        EXPECT_EQ(m->GetElement(1, 1), 4.0);
    }
}

TEST(ObjectFileRead, NumberForms)
{
    const std::optional<CMatrix> m = Read("1 6 | 1.5 -.5 5. +7 1E-2 -0|");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->GetElement(0, 0), 1.5);
    EXPECT_EQ(m->GetElement(0, 1), -0.5);
    EXPECT_EQ(m->GetElement(0, 2), 5.0);
    EXPECT_EQ(m->GetElement(0, 3), 7.0);
    EXPECT_EQ(m->GetElement(0, 4), 0.01);
    EXPECT_TRUE(std::signbit(m->GetElement(0, 5)));
}

TEST(ObjectFileRead, LargestShapeAccepted)
{
    const std::optional<CMatrix> m = Read(CountingFile(20, 100));
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->m_nRows, 20);
    EXPECT_EQ(m->m_nCols, 100);
    EXPECT_EQ(m->GetElement(19, 99), 2000.0);
}

TEST(ObjectFileRead, StopsAfterTheLastBar)
{
    std::istringstream in("1 2 | 3 4 |\r\nthis is a comment 5 6 |");
    const std::optional<CMatrix> m = ReadObjectFile(in);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->GetElement(0, 1), 4.0);
    // Only the character after the bar has been looked at.
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, "\r");

    EXPECT_TRUE(Read("1 1 | 7 |").has_value()); // the file may end at the bar
    EXPECT_TRUE(Read("1 1 | 7 | 8 9 | ||").has_value());
}

TEST(ObjectFileRead, ShapeRejected)
{
    for (const char* psz : {"0 3 |", "21 3 |", "2 101 |", "-1 2 |", "2 -1 |", "2 0 |",
                            "4294967297 1 | 1 |", "1 4294967297 | 1 |", "99999999999999999999 1 |",
                            "2.5 1 | 1 |", "1 1.0 | 1 |", "a 1 |", "- 1 | 1 |", "", "   \r\n"})
    {
        EXPECT_FALSE(Read(std::string(psz) + " 1 | 1 | 1 | 1 |").has_value()) << psz;
    }
    // Zero columns with rows that are nothing but their bars: the count
    // alone must refuse it.
    EXPECT_FALSE(Read("2 0 |\r\n|\r\n|\r\n").has_value());
}

TEST(ObjectFileRead, SeparatorsMustBeExactlyOneBar)
{
    for (const char* psz :
         {"2 2 1 2 | 3 4 |", "2 2 || 1 2 | 3 4 |", "2 2 |a 1 2 | 3 4 |", "2 2 I 1 2 | 3 4 |",
          "2 2 | 1 2 || 3 4 |", "2 2 | 1 2 3 4 |", "2 2 | 1 2 | 3 4 |x", "2 2 | 1 2 | 3 4 I"})
    {
        EXPECT_FALSE(Read(psz).has_value()) << psz;
    }
}

TEST(ObjectFileRead, RowLengthMustMatch)
{
    EXPECT_FALSE(Read("2 3 | 1 2 | 3 4 5 |").has_value()); // one too few
    EXPECT_FALSE(Read("2 2 | 1 2 3 | 4 5 |").has_value()); // one too many
}

TEST(ObjectFileRead, EarlyEndRejected)
{
    const std::string full = "2 2 | 1 2 | 3 4 |";
    for (std::size_t n = 0; n < full.size(); ++n)
        EXPECT_FALSE(Read(full.substr(0, n)).has_value()) << n;
    EXPECT_TRUE(Read(full).has_value());
}

TEST(ObjectFileRead, BadNumbersRejected)
{
    for (const char* psz : {"1e400", "-1e400", "nan", "inf", "-inf", "0x10", "1,5", "1e", "1e+",
                            "1E-", "+", "-", ".", "-.", "e5", "1.5.2", "1-2", "1..2", "1x"})
    {
        EXPECT_FALSE(Read(std::string("1 1 | ") + psz + " |").has_value()) << psz;
    }
    // A NUL byte inside a number ends it; the rest is neither number nor bar.
    EXPECT_FALSE(Read(std::string("1 1 | 1\0"
                                  "5 |",
                                  11))
                     .has_value());
    EXPECT_FALSE(Read(std::string("1 2 | 1 \0 |", 11)).has_value());
    // Underflow is a finite value.
    const std::optional<CMatrix> m = Read("1 1 | 1e-400 |");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->GetElement(0, 0), 0.0);
}

TEST(ObjectFileRead, HostileInput)
{
    // A huge single word, a huge number and a huge size fail without
    // reading (or holding) them whole.
    EXPECT_FALSE(Read("1 1 | 1 " + std::string(5'000'000, '|')).has_value());
    EXPECT_FALSE(Read("1 1 | " + std::string(5'000'000, '7') + " |").has_value());
    EXPECT_FALSE(Read(std::string(5'000'000, '1') + " 1 | 1 |").has_value());
    EXPECT_FALSE(Read(std::string(5'000'000, 'x')).has_value());

    // A long but acceptable number text (1000 characters) still reads.
    std::string digits = "0." + std::string(997, '0') + "1";
    ASSERT_EQ(digits.size(), 1000u);
    EXPECT_TRUE(Read("1 1 | " + digits + " |").has_value());
    EXPECT_FALSE(Read("1 1 | " + digits + "0 |").has_value());

    // Binary garbage never crashes, and without a bar it can never load.
    std::mt19937 rng(99);
    for (int k = 0; k < 2000; ++k)
    {
        std::string s = "1 2 | ";
        const int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i)
        {
            const char c = static_cast<char>(rng() % 256);
            s += c == '|' ? '\0' : c;
        }
        EXPECT_FALSE(Read(s).has_value());
    }
}

TEST(ObjectFileRoundTrip, RandomMatrices)
{
    std::mt19937_64 rng(42);
    std::uniform_int_distribution<int> rows(1, 20);
    std::uniform_int_distribution<int> cols(1, 100);
    for (int k = 0; k < 50; ++k)
    {
        CMatrix m(rows(rng), cols(rng));
        for (int i = 0; i < m.m_nRows; ++i)
        {
            for (int j = 0; j < m.m_nCols; ++j)
            {
                double d = 0.0;
                if (k % 2 == 0)
                {
                    // Any finite bit pattern: every magnitude.
                    do
                    {
                        const std::uint64_t bits = rng();
                        std::memcpy(&d, &bits, sizeof d);
                    } while (!std::isfinite(d));
                }
                else
                {
                    // Ordinary values around the fixed/exponent boundaries.
                    std::uniform_real_distribution<double> u(-1.0, 1.0);
                    d = u(rng) * std::pow(10.0, static_cast<int>(rng() % 21) - 8);
                }
                m.SetElement(i, j, d);
            }
        }
        const std::string text = FormatObjectFile(m);
        const std::optional<CMatrix> back = Read(text);
        ASSERT_TRUE(back.has_value());
        ASSERT_EQ(back->m_nRows, m.m_nRows);
        ASSERT_EQ(back->m_nCols, m.m_nCols);
        for (int i = 0; i < m.m_nRows; ++i)
        {
            for (int j = 0; j < m.m_nCols; ++j)
            {
                // The value read is the ten-digit form that was written, and
                // writing it again gives the same text.
                const std::string written = FormatFileNumber(m.GetElement(i, j));
                ASSERT_EQ(back->GetElement(i, j), ParseNumberPrefix(written)) << written;
                ASSERT_EQ(FormatFileNumber(back->GetElement(i, j)), written);
            }
        }
        EXPECT_EQ(FormatObjectFile(*back), text);
    }
}
