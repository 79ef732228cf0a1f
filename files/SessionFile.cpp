#include "files/SessionFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>
#include <set>

namespace
{
constexpr char kHeader[] = "quindle-session";
constexpr std::size_t kMaxTextBytes = 65536;
constexpr int kMaxRows = 20;
constexpr int kMaxCols = 100;
// Window positions beyond this are nobody's screen.
constexpr int kMaxCoordinate = 1000000;

bool NeedsEscape(unsigned char c)
{
    return c < 0x21 || c == 0x7F || c == '"' || c == '%';
}

void AppendText(std::string& out, const std::string& text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (const char ch : text)
    {
        const auto c = static_cast<unsigned char>(ch);
        if (NeedsEscape(c))
        {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
        else
        {
            out += ch;
        }
    }
    out += '"';
}

// Reads the text word by word; words are separated by blanks, tabs and line
// ends.
class CWords
{
public:
    explicit CWords(std::string_view text) : m_text(text) {}

    // The next word, or nothing at the end of the text.
    std::optional<std::string_view> Next()
    {
        while (m_nPos < m_text.size() && IsSpace(m_text[m_nPos]))
            ++m_nPos;
        if (m_nPos == m_text.size())
            return std::nullopt;
        const std::size_t nStart = m_nPos;
        while (m_nPos < m_text.size() && !IsSpace(m_text[m_nPos]))
            ++m_nPos;
        return m_text.substr(nStart, m_nPos - nStart);
    }

private:
    static bool IsSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    }

    std::string_view m_text;
    std::size_t m_nPos = 0;
};

std::optional<int> ReadInt(CWords& words, int nMin, int nMax)
{
    const std::optional<std::string_view> word = words.Next();
    if (!word)
        return std::nullopt;
    int nValue = 0;
    const char* pEnd = word->data() + word->size();
    const auto [ptr, ec] = std::from_chars(word->data(), pEnd, nValue);
    if (ec != std::errc() || ptr != pEnd || nValue < nMin || nValue > nMax)
        return std::nullopt;
    return nValue;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> ReadText(CWords& words)
{
    const std::optional<std::string_view> word = words.Next();
    if (!word || word->size() < 2 || word->front() != '"' || word->back() != '"')
        return std::nullopt;
    const std::string_view inner = word->substr(1, word->size() - 2);
    std::string text;
    for (std::size_t k = 0; k < inner.size(); ++k)
    {
        if (inner[k] == '"')
            return std::nullopt;
        if (inner[k] != '%')
        {
            text += inner[k];
            continue;
        }
        if (k + 2 >= inner.size())
            return std::nullopt;
        const int nHigh = HexDigit(inner[k + 1]);
        const int nLow = HexDigit(inner[k + 2]);
        if (nHigh < 0 || nLow < 0)
            return std::nullopt;
        text += static_cast<char>(nHigh * 16 + nLow);
        k += 2;
    }
    if (text.size() > kMaxTextBytes)
        return std::nullopt;
    return text;
}

// Reads one object after its keyword; fails as a whole.
bool ReadObject(CWords& words, int nCellsSoFar, KeptObject& object, std::string& strError)
{
    const std::optional<int> nNumber = ReadInt(words, 1, INT_MAX - 1);
    const std::optional<int> nRows = ReadInt(words, 1, kMaxRows);
    const std::optional<int> nCols = ReadInt(words, 1, kMaxCols);
    const std::optional<int> nX = ReadInt(words, -kMaxCoordinate, kMaxCoordinate);
    const std::optional<int> nY = ReadInt(words, -kMaxCoordinate, kMaxCoordinate);
    if (!nNumber || !nRows || !nCols || !nX || !nY)
    {
        strError = "an object's number, size or position is missing or out of range";
        return false;
    }
    if (nCellsSoFar + *nRows * *nCols > kMaxKeptCells)
    {
        strError = "the objects hold more cells than can be open at once";
        return false;
    }
    std::optional<std::string> name = ReadText(words);
    std::optional<std::string> suffix = name ? ReadText(words) : std::nullopt;
    if (!name || !suffix)
    {
        strError = "an object's name is damaged";
        return false;
    }
    object =
        KeptObject{*nNumber, *nRows, *nCols, *nX, *nY, std::move(*name), std::move(*suffix), {}};
    const int nCells = *nRows * *nCols;
    object.cells.reserve(static_cast<std::size_t>(nCells));
    for (int k = 0; k < nCells; ++k)
    {
        std::optional<std::string> cell = ReadText(words);
        if (!cell)
        {
            strError =
                "the cells of object " + std::to_string(*nNumber) + " are damaged or cut short";
            return false;
        }
        object.cells.push_back(std::move(*cell));
    }
    return true;
}

// The next number after a partial read: above every object read.
void MendNextNumber(KeptSession& session)
{
    for (const KeptObject& object : session.objects)
        session.nNextObjectNumber = std::max(session.nNextObjectNumber, object.nNumber + 1);
}

// The first line: the format's name and a version this program reads.
bool ReadHeader(CWords& words, std::string& strError)
{
    const std::optional<std::string_view> header = words.Next();
    if (header != std::string_view(kHeader))
    {
        strError = "it is not a kept session";
        return false;
    }
    const std::optional<int> nVersion = ReadInt(words, 1, INT_MAX);
    if (!nVersion)
    {
        strError = "its version is damaged";
        return false;
    }
    if (*nVersion > kSessionFormatVersion)
    {
        strError = "it was written by a newer version of Quindle (format " +
                   std::to_string(*nVersion) + ")";
        return false;
    }
    return true;
}

// The count, then the numbers of objects already read, in order of
// selection, none twice.
bool ReadSelection(CWords& words, const std::set<int>& numbers, KeptSession& session,
                   std::string& strError)
{
    session.selection.clear();
    const std::optional<int> nCount = ReadInt(words, 0, 2);
    for (int k = 0; nCount && k < *nCount; ++k)
    {
        const std::optional<int> nNumber = ReadInt(words, 1, INT_MAX - 1);
        if (!nNumber || !numbers.contains(*nNumber) ||
            std::find(session.selection.begin(), session.selection.end(), *nNumber) !=
                session.selection.end())
            break;
        session.selection.push_back(*nNumber);
    }
    if (!nCount || int(session.selection.size()) != *nCount)
    {
        strError = "its selection names an object it does not hold";
        session.selection.clear();
        return false;
    }
    return true;
}

bool ReadBody(CWords& words, KeptSession& session, std::string& strError)
{
    if (!ReadHeader(words, strError))
        return false;
    std::set<int> numbers;
    int nCells = 0;
    for (;;)
    {
        const std::optional<std::string_view> keyword = words.Next();
        if (!keyword)
        {
            strError = "it is cut short";
            return false;
        }
        if (*keyword == "end")
            return true;
        if (*keyword == "next")
        {
            const std::optional<int> nNext = ReadInt(words, 1, INT_MAX);
            if (!nNext)
            {
                strError = "its next object number is damaged";
                return false;
            }
            session.nNextObjectNumber = *nNext;
        }
        else if (*keyword == "object")
        {
            KeptObject object;
            if (!ReadObject(words, nCells, object, strError))
                return false;
            if (!numbers.insert(object.nNumber).second)
            {
                strError = "object " + std::to_string(object.nNumber) + " is listed twice";
                return false;
            }
            nCells += object.nRows * object.nCols;
            session.objects.push_back(std::move(object));
        }
        else if (*keyword == "selection")
        {
            if (!ReadSelection(words, numbers, session, strError))
                return false;
        }
        else
        {
            strError = "it holds an unknown entry";
            return false;
        }
    }
}
} // namespace

std::string FormatSession(const KeptSession& session)
{
    std::string out = std::string(kHeader) + ' ' + std::to_string(kSessionFormatVersion) + '\n';
    out += "next " + std::to_string(session.nNextObjectNumber) + '\n';
    for (const KeptObject& object : session.objects)
    {
        out += "object " + std::to_string(object.nNumber) + ' ' + std::to_string(object.nRows) +
               ' ' + std::to_string(object.nCols) + ' ' + std::to_string(object.nX) + ' ' +
               std::to_string(object.nY) + ' ';
        AppendText(out, object.strName);
        out += ' ';
        AppendText(out, object.strSuffix);
        out += '\n';
        // The cells row by row, a line each (missing ones written empty).
        const std::size_t nCells = std::size_t(object.nRows) * std::size_t(object.nCols);
        for (std::size_t k = 0; k < nCells; ++k)
        {
            AppendText(out, k < object.cells.size() ? object.cells[k] : std::string());
            out += (k + 1) % std::size_t(object.nCols) == 0 ? '\n' : ' ';
        }
    }
    if (!session.selection.empty())
    {
        out += "selection " + std::to_string(session.selection.size());
        for (const int nNumber : session.selection)
            out += ' ' + std::to_string(nNumber);
        out += '\n';
    }
    out += "end\n";
    return out;
}

bool ReadSession(std::string_view text, KeptSession& session, std::string& strError)
{
    session = KeptSession();
    CWords words(text);
    const bool bRead = ReadBody(words, session, strError);
    MendNextNumber(session);
    return bRead;
}
