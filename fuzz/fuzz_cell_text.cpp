// Any text typed into a cell, read the way the object view reads it: the
// first 99 characters, the legality test, then the number conversion. The
// legality test below is the cell rule itself (every character one of the
// ten digits, '.', '+', '-', 'e', 'E'; checked as a C string, so up to the
// first NUL); the conversion is the program's ParseNumberPrefix, checked
// against the C library's strtod.

#include "FuzzSupport.h"
#include "NumberText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace
{
constexpr std::size_t kMaxCellText = 99;

bool IsNumberCharacter(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
}

// The length of the leading run of number characters.
std::size_t LegalPrefixLength(std::string_view text)
{
    std::size_t n = 0;
    while (n < text.size() && IsNumberCharacter(text[n]))
        ++n;
    return n;
}

// The cell legality rule on a C string.
bool IsLegalCellText(std::string_view text)
{
    const std::size_t nLength = LegalPrefixLength(text);
    return nLength == text.size() || text[nLength] == '\0';
}

// ParseNumberPrefix's own guarantees on any text.
double CheckedParse(std::string_view text, std::size_t* pnUsed)
{
    std::size_t nUsed = 12345;
    const double d = ParseNumberPrefix(text, &nUsed);
    FUZZ_CHECK(nUsed <= text.size(), "took %zu of %zu characters", nUsed, text.size());
    FUZZ_CHECK(!std::isnan(d), "NaN from a text of %zu characters", text.size());
    FUZZ_CHECK(Bits(ParseNumberPrefix(text)) == Bits(d), "value depends on pnUsed");
    if (nUsed == 0)
        FUZZ_CHECK(Bits(d) == Bits(0.0), "no number taken but the value is %.17g", d);
    *pnUsed = nUsed;
    return d;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view whole(reinterpret_cast<const char*>(pData), nSize);
    std::size_t nWholeUsed = 0;
    const double dWhole = CheckedParse(whole, &nWholeUsed);

    // A number consists of number characters only, so it is read the same
    // from the text and from the text's leading run of number characters.
    const std::string_view legalPart = whole.substr(0, LegalPrefixLength(whole));
    std::size_t nLegalUsed = 0;
    const double dLegal = CheckedParse(legalPart, &nLegalUsed);
    FUZZ_CHECK(nLegalUsed == nWholeUsed && Bits(dLegal) == Bits(dWhole),
               "text reads %.17g (%zu), its number characters %.17g (%zu)", dWhole, nWholeUsed,
               dLegal, nLegalUsed);

    // The leading run holds no blank, no NUL and none of the letters of hex,
    // inf or nan forms, where strtod would read more than a cell number.
    std::size_t nRefUsed = 0;
    const double dRef = ReferenceStrtod(legalPart, &nRefUsed);
    FUZZ_CHECK(nRefUsed == nLegalUsed && Bits(dRef) == Bits(dLegal),
               "\"%.*s\": ParseNumberPrefix %.17g (%zu characters), strtod %.17g (%zu)",
               static_cast<int>(legalPart.size()), legalPart.data(), dLegal, nLegalUsed, dRef,
               nRefUsed);

    // The cell: its first 99 characters; a legal one is converted.
    const std::string_view cell = whole.substr(0, kMaxCellText);
    if (!IsLegalCellText(cell))
        return 0;
    std::size_t nCellUsed = 0;
    const double dCell = CheckedParse(cell, &nCellUsed);
    // The conversion of a legal cell is that of its text up to the NUL.
    const std::string_view cString = cell.substr(0, LegalPrefixLength(cell));
    std::size_t nCUsed = 0;
    const double dC = ReferenceStrtod(cString, &nCUsed);
    FUZZ_CHECK(Bits(dCell) == Bits(dC) && nCellUsed == nCUsed,
               "cell \"%.*s\" reads %.17g (%zu characters), strtod %.17g (%zu)",
               static_cast<int>(cString.size()), cString.data(), dCell, nCellUsed, dC, nCUsed);
    // Whatever the cell holds, its value prints in the cell form and that
    // text is legal.
    const std::string shown = FormatCellNumber(dCell);
    FUZZ_CHECK(!std::isfinite(dCell) || IsLegalCellText(shown), "shown as \"%s\"", shown.c_str());
    return 0;
}
