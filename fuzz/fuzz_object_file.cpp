// Any bytes as an object file. The reader must agree with an independent
// reading of the format (accept or reject, dimensions, every value bit for
// bit, and where it stops); an accepted object must be written in the
// expected form, and that file must read back as the object rounded to 10
// significant digits, after which writing and reading change nothing.

#include "FuzzSupport.h"
#include "engine/Matrix.h"
#include "files/ObjectFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ios>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace
{
constexpr std::size_t kMaxNumberText = 1000;

// The format read straight from the whole text.
class CReferenceReader
{
public:
    explicit CReferenceReader(const std::string& text) : m_text(text) {}

    struct Result
    {
        bool bAccepted = false;
        int nRows = 0;
        int nCols = 0;
        std::vector<double> values;
        std::size_t nEnd = 0; // index just past the last "|"
    };

    Result Read()
    {
        Result r;
        long long nRows = 0;
        long long nCols = 0;
        if (!Int(nRows) || nRows < 1 || nRows > 20)
            return r;
        if (!Int(nCols) || nCols < 1 || nCols > 100)
            return r;
        if (!Bar())
            return r;
        for (long long i = 0; i < nRows; ++i)
        {
            for (long long j = 0; j < nCols; ++j)
            {
                double d = 0.0;
                if (!Number(d))
                    return r;
                r.values.push_back(d);
            }
            if (!Bar())
                return r;
        }
        r.bAccepted = true;
        r.nRows = static_cast<int>(nRows);
        r.nCols = static_cast<int>(nCols);
        r.nEnd = m_nPos;
        return r;
    }

private:
    static bool IsBlank(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    bool At(char c) const { return m_nPos < m_text.size() && m_text[m_nPos] == c; }
    bool AtDigit() const { return m_nPos < m_text.size() && IsDigit(m_text[m_nPos]); }
    bool AtSign() const { return At('+') || At('-'); }

    void SkipBlanks()
    {
        while (m_nPos < m_text.size() && IsBlank(m_text[m_nPos]))
            ++m_nPos;
    }

    // Sign and decimal digits; the value must fit an int (only small values
    // pass the callers' range checks anyway).
    bool Int(long long& nValue)
    {
        SkipBlanks();
        bool bNegative = false;
        if (AtSign())
            bNegative = m_text[m_nPos++] == '-';
        const std::size_t nStart = m_nPos;
        while (AtDigit())
            ++m_nPos;
        const std::size_t nDigits = m_nPos - nStart;
        if (nDigits == 0 || nDigits > kMaxNumberText)
            return false;
        std::size_t nFirst = nStart;
        while (nFirst + 1 < m_nPos && m_text[nFirst] == '0')
            ++nFirst;
        if (m_nPos - nFirst > 10)
            return false;
        nValue = std::stoll(m_text.substr(nFirst, m_nPos - nFirst));
        if (bNegative)
            nValue = -nValue;
        return nValue >= -2147483648LL && nValue <= 2147483647LL;
    }

    // A word that is exactly "|".
    bool Bar()
    {
        SkipBlanks();
        const std::size_t nStart = m_nPos;
        while (m_nPos < m_text.size() && !IsBlank(m_text[m_nPos]))
            ++m_nPos;
        return m_text.compare(nStart, m_nPos - nStart, "|") == 0;
    }

    // sign? (digits ('.' digits?)? | '.' digits) (e sign? digits)?, where an
    // exponent letter must be completed; converted by strtod, finite only.
    bool Number(double& dValue)
    {
        SkipBlanks();
        const std::size_t nStart = m_nPos;
        if (AtSign())
            ++m_nPos;
        std::size_t nDigits = 0;
        while (AtDigit())
            ++m_nPos, ++nDigits;
        if (At('.'))
        {
            ++m_nPos;
            while (AtDigit())
                ++m_nPos, ++nDigits;
        }
        if (nDigits == 0)
            return false;
        if (At('e') || At('E'))
        {
            ++m_nPos;
            if (AtSign())
                ++m_nPos;
            if (!AtDigit())
                return false;
            while (AtDigit())
                ++m_nPos;
        }
        if (m_nPos - nStart > kMaxNumberText)
            return false;
        std::size_t nUsed = 0;
        const std::string_view span(m_text.data() + nStart, m_nPos - nStart);
        dValue = ReferenceStrtod(span, &nUsed);
        FUZZ_CHECK(nUsed == span.size(), "strtod took %zu of %zu characters", nUsed, span.size());
        return std::isfinite(dValue);
    }

    const std::string& m_text;
    std::size_t m_nPos = 0;
};

std::string ReferenceFile(const CMatrix& m)
{
    std::string out = std::to_string(m.m_nRows) + " " + std::to_string(m.m_nCols) + " |\r\n";
    for (int i = 0; i < m.m_nRows; ++i)
    {
        for (int j = 0; j < m.m_nCols; ++j)
            out += ReferenceGeneral10(m.GetElement(i, j), false) + " ";
        out += "|\r\n";
    }
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string text(reinterpret_cast<const char*>(pData), nSize);
    std::istringstream in(text);
    const std::optional<CMatrix> m = ReadObjectFile(in);
    const CReferenceReader::Result ref = CReferenceReader(text).Read();

    FUZZ_CHECK(m.has_value() == ref.bAccepted, "reader %s, reference %s",
               m ? "accepted" : "rejected", ref.bAccepted ? "accepted" : "rejected");
    if (!m)
        return 0;

    FUZZ_CHECK(m->m_nRows == ref.nRows && m->m_nCols == ref.nCols, "%d x %d, expected %d x %d",
               m->m_nRows, m->m_nCols, ref.nRows, ref.nCols);
    for (int i = 0; i < m->m_nRows; ++i)
        for (int j = 0; j < m->m_nCols; ++j)
        {
            const double d = m->GetElement(i, j);
            const double e = ref.values[static_cast<std::size_t>(i * m->m_nCols + j)];
            FUZZ_CHECK(Bits(d) == Bits(e), "value (%d,%d) read as %.17g, expected %.17g", i, j, d,
                       e);
        }
    const std::streamoff nPos = in.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    FUZZ_CHECK(nPos == static_cast<std::streamoff>(ref.nEnd),
               "reading stopped at %lld, expected after the last bar at %zu",
               static_cast<long long>(nPos), ref.nEnd);

    // Written back in the expected form...
    const std::string written = FormatObjectFile(*m);
    const std::string expected = ReferenceFile(*m);
    FUZZ_CHECK(written == expected, "written:\n%s\nexpected:\n%s", written.c_str(),
               expected.c_str());

    // ...and read again: the values rounded to 10 significant digits. A value
    // just below the largest double rounds up past it; its file form reads as
    // an infinity, which the reader refuses.
    bool bAllFinite = true;
    for (int i = 0; i < m->m_nRows; ++i)
        for (int j = 0; j < m->m_nCols; ++j)
            bAllFinite = bAllFinite && std::isfinite(ReferenceRound10(m->GetElement(i, j)));
    std::istringstream in2(written);
    const std::optional<CMatrix> m2 = ReadObjectFile(in2);
    FUZZ_CHECK(m2.has_value() == bAllFinite, "written file %s:\n%s", m2 ? "accepted" : "rejected",
               written.c_str());
    if (!m2)
        return 0;
    FUZZ_CHECK(m2->m_nRows == m->m_nRows && m2->m_nCols == m->m_nCols, "dimensions changed");
    for (int i = 0; i < m->m_nRows; ++i)
        for (int j = 0; j < m->m_nCols; ++j)
        {
            const double d = m2->GetElement(i, j);
            const double e = ReferenceRound10(m->GetElement(i, j));
            FUZZ_CHECK(Bits(d) == Bits(e), "value (%d,%d) %.17g read back as %.17g, expected %.17g",
                       i, j, m->GetElement(i, j), d, e);
        }

    // The saved form is a fixed point: saving the reloaded object gives the
    // same bytes, and loading those the same matrix bit for bit.
    const std::string written2 = FormatObjectFile(*m2);
    FUZZ_CHECK(written2 == written, "second save differs:\n%s\nfirst:\n%s", written2.c_str(),
               written.c_str());
    std::istringstream in3(written2);
    const std::optional<CMatrix> m3 = ReadObjectFile(in3);
    FUZZ_CHECK(m3.has_value(), "second file rejected");
    for (int i = 0; i < m->m_nRows; ++i)
        for (int j = 0; j < m->m_nCols; ++j)
            FUZZ_CHECK(Bits(m3->GetElement(i, j)) == Bits(m2->GetElement(i, j)),
                       "value (%d,%d) changed on the second round trip", i, j);
    return 0;
}
