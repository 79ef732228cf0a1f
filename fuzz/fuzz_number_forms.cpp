// Any double, given by its bits (each 8 bytes of the input are one value),
// through the cell form and the file form and back: both texts are the C
// library's "%.10G" / "%.10g" with three exponent digits, are read back
// whole by ParseNumberPrefix, and give the value rounded to 10 significant
// digits (an infinity when that rounding passes the largest double).

#include "FuzzSupport.h"
#include "platform/NumberText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace
{
void CheckValue(double d)
{
    const std::string cell = FormatCellNumber(d);
    const std::string file = FormatFileNumber(d);

    if (!std::isfinite(d))
    {
        // Non-finite values have a form of their own, which reads as no
        // number at all.
        const bool bNegative = std::signbit(d);
        if (std::isinf(d))
        {
            FUZZ_CHECK(cell == (bNegative ? "-INF" : "INF"), "cell form \"%s\"", cell.c_str());
            FUZZ_CHECK(file == (bNegative ? "-inf" : "inf"), "file form \"%s\"", file.c_str());
        }
        else
        {
            FUZZ_CHECK(cell == "NAN", "cell form of NaN \"%s\"", cell.c_str());
            FUZZ_CHECK(file == "nan", "file form of NaN \"%s\"", file.c_str());
        }
        std::size_t nUsed = 1;
        const double dBack = ParseNumberPrefix(file, &nUsed);
        FUZZ_CHECK(Bits(dBack) == Bits(0.0), "\"%s\" reads %.17g", file.c_str(), dBack);
        FUZZ_CHECK(nUsed == 0, "\"%s\" took %zu characters", file.c_str(), nUsed);
        return;
    }

    const std::string cellRef = ReferenceGeneral10(d, true);
    const std::string fileRef = ReferenceGeneral10(d, false);
    FUZZ_CHECK(cell == cellRef, "%a: cell form \"%s\", expected \"%s\"", d, cell.c_str(),
               cellRef.c_str());
    FUZZ_CHECK(file == fileRef, "%a: file form \"%s\", expected \"%s\"", d, file.c_str(),
               fileRef.c_str());

    const double dExpected = ReferenceRound10(d);
    for (const std::string* pText : {&cell, &file})
    {
        std::size_t nUsed = 0;
        const double dBack = ParseNumberPrefix(*pText, &nUsed);
        FUZZ_CHECK(nUsed == pText->size(), "\"%s\": took %zu characters", pText->c_str(), nUsed);
        FUZZ_CHECK(Bits(dBack) == Bits(dExpected), "%a: \"%s\" reads %a, expected %a", d,
                   pText->c_str(), dBack, dExpected);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    for (std::size_t i = 0; i + sizeof(std::uint64_t) <= nSize; i += sizeof(std::uint64_t))
    {
        std::uint64_t nBits = 0;
        std::memcpy(&nBits, pData + i, sizeof nBits);
        CheckValue(FromBits(nBits));
    }
    return 0;
}
