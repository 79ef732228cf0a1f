// Any text typed into a cell, read the way the object view reads it: the
// first 99 characters, the legality test, then the number conversion. The
// legality test is the program's IsLegalNumberText, applied as the view
// applies it (to the text as a C string, so up to the first NUL) and checked
// against the list of the 15 characters; the conversion is the program's
// ParseNumberPrefix, checked against the C library's strtod.

#include "FuzzSupport.h"
#include "platform/NumberText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace
{
constexpr std::size_t kMaxCellText = 99;
constexpr std::string_view kNumberCharacters = "0123456789.+-eE";

// The length of the leading run of characters that the cell rule allows.
std::size_t LegalPrefixLength(std::string_view text)
{
    std::size_t n = 0;
    while (n < text.size() && IsLegalNumberText(text.substr(n, 1)))
        ++n;
    return n;
}

// The text as the view hands it to the rule: up to its first NUL.
std::string_view AsCString(std::string_view text)
{
    return text.substr(0, text.find('\0'));
}

// The rule against its definition: every character one of the 15.
bool CheckedLegality(std::string_view text)
{
    const bool bLegal = IsLegalNumberText(text);
    bool bExpected = true;
    for (const char c : text)
        bExpected = bExpected && kNumberCharacters.find(c) != std::string_view::npos;
    FUZZ_CHECK(bLegal == bExpected, "\"%.*s\" judged %s", static_cast<int>(text.size()),
               text.data(), bLegal ? "legal" : "illegal");
    return bLegal;
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
    if (!CheckedLegality(AsCString(cell)))
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
    FUZZ_CHECK(!std::isfinite(dCell) || IsLegalNumberText(shown), "shown as \"%s\"", shown.c_str());
    return 0;
}
