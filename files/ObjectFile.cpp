#include "files/ObjectFile.h"

#include "platform/NumberText.h"

#include <charconv>
#include <cmath>
#include <streambuf>

namespace
{
constexpr int kMaxFileRows = 20;
constexpr int kMaxFileCols = 100;
// No number text in a valid file comes near this; longer ones are refused
// before they can make the reader hold more.
constexpr std::size_t kMaxNumberLength = 1000;

void AppendInt(std::string& out, int n)
{
    char buf[16];
    const std::to_chars_result res = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, res.ptr);
}

// Reads the stream character by character: the reader never holds more of
// the file than one number text, and never reads past the character after
// the last separator.
class CWordReader
{
public:
    explicit CWordReader(std::streambuf* pBuf) : m_pBuf(pBuf) {}

    // The next character without taking it; EOF at the end.
    int Peek() { return m_pBuf->sgetc(); }
    void Take() { m_pBuf->sbumpc(); }

    static bool IsBlank(int c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }
    static bool IsDigit(int c) { return c >= '0' && c <= '9'; }

    void SkipBlanks()
    {
        while (IsBlank(Peek()))
            Take();
    }

    // An integer as a stream's >> int reads it: optional sign and decimal
    // digits, ending at the first other character (left unread). Fails when
    // no digit follows, the text is overlong or the value does not fit an
    // int.
    bool ReadInt(int& nValue)
    {
        SkipBlanks();
        bool bNegative = false;
        int c = Peek();
        if (c == '+' || c == '-')
        {
            bNegative = (c == '-');
            Take();
            c = Peek();
        }
        if (!IsDigit(c))
            return false;
        long long nAcc = 0;
        bool bOverflow = false;
        std::size_t nLength = 0;
        while (IsDigit(c))
        {
            if (++nLength > kMaxNumberLength)
                return false;
            if (!bOverflow)
            {
                nAcc = nAcc * 10 + (c - '0');
                if (nAcc > 0x7FFFFFFFLL + 1)
                    bOverflow = true;
            }
            Take();
            c = Peek();
        }
        if (bOverflow)
            return false;
        if (bNegative)
            nAcc = -nAcc;
        if (nAcc > 0x7FFFFFFFLL || nAcc < -0x7FFFFFFFLL - 1)
            return false;
        nValue = static_cast<int>(nAcc);
        return true;
    }

    // A number: optional sign, digits with an optional point (at least one
    // digit), optional exponent letter with optional sign and at least one
    // digit. The number ends at the first character that cannot continue it;
    // a text that stops in the middle of this form (a sign alone, "1e",
    // "1e+") is not a number. Only finite values are accepted.
    bool ReadNumber(double& dValue)
    {
        SkipBlanks();
        std::string text;
        if (!TakeMantissa(text) || !TakeExponent(text))
            return false;

        std::size_t nUsed = 0;
        const double d = ParseNumberPrefix(text, &nUsed);
        if (nUsed != text.size() || !std::isfinite(d))
            return false;
        dValue = d;
        return true;
    }

    // The separator word: exactly "|", followed by a blank or the end of the
    // file. The character after it is looked at but not taken, and a longer
    // word is refused without reading the rest of it.
    bool ReadBar()
    {
        SkipBlanks();
        if (Peek() != '|')
            return false;
        Take();
        const int c = Peek();
        return c == std::char_traits<char>::eof() || IsBlank(c);
    }

private:
    // Takes c into the number text; false once the text is overlong.
    bool TakeInto(std::string& text, int c)
    {
        text += static_cast<char>(c);
        Take();
        return text.size() <= kMaxNumberLength;
    }

    // Takes the digits that follow into the number text, counting them.
    bool TakeDigits(std::string& text, int& nDigits)
    {
        for (int c = Peek(); IsDigit(c); c = Peek())
        {
            if (!TakeInto(text, c))
                return false;
            ++nDigits;
        }
        return true;
    }

    // An optional sign, digits with an optional point, at least one digit.
    bool TakeMantissa(std::string& text)
    {
        const int cSign = Peek();
        if ((cSign == '+' || cSign == '-') && !TakeInto(text, cSign))
            return false;
        int nDigits = 0;
        if (!TakeDigits(text, nDigits))
            return false;
        if (Peek() == '.' && !(TakeInto(text, '.') && TakeDigits(text, nDigits)))
            return false;
        return nDigits > 0;
    }

    // An optional exponent: the letter, an optional sign, at least one digit.
    bool TakeExponent(std::string& text)
    {
        const int cLetter = Peek();
        if (cLetter != 'e' && cLetter != 'E')
            return true;
        if (!TakeInto(text, cLetter))
            return false;
        const int cSign = Peek();
        if ((cSign == '+' || cSign == '-') && !TakeInto(text, cSign))
            return false;
        if (!IsDigit(Peek()))
            return false;
        int nDigits = 0;
        return TakeDigits(text, nDigits);
    }

    std::streambuf* m_pBuf;
};
} // namespace

std::string FormatObjectFile(const CMatrix& m)
{
    std::string out;
    AppendInt(out, m.m_nRows);
    out += ' ';
    AppendInt(out, m.m_nCols);
    out += " |\r\n";
    for (int i = 0; i < m.m_nRows; ++i)
    {
        for (int j = 0; j < m.m_nCols; ++j)
        {
            out += FormatFileNumber(m.GetElement(i, j));
            out += ' ';
        }
        out += "|\r\n";
    }
    return out;
}

std::optional<CMatrix> ReadObjectFile(std::istream& in)
{
    std::streambuf* const pBuf = in.rdbuf();
    if (pBuf == nullptr || !in.good())
        return std::nullopt;
    CWordReader reader(pBuf);

    int nRows = 0;
    int nCols = 0;
    if (!reader.ReadInt(nRows) || nRows < 1 || nRows > kMaxFileRows)
        return std::nullopt;
    if (!reader.ReadInt(nCols) || nCols < 1 || nCols > kMaxFileCols)
        return std::nullopt;
    if (!reader.ReadBar())
        return std::nullopt;

    CMatrix m(nRows, nCols);
    for (int i = 0; i < nRows; ++i)
    {
        for (int j = 0; j < nCols; ++j)
        {
            double d = 0.0;
            if (!reader.ReadNumber(d))
                return std::nullopt;
            m.SetElement(i, j, d);
        }
        if (!reader.ReadBar())
            return std::nullopt;
    }
    return m;
}
