// Any bytes as a kept session. The reader never fails on them; what it gives
// back (read whole or in part) holds together: sizes within bounds, every
// object's cells complete, the cells within what can be open at once,
// numbers unique and below the next number, a selection of objects it holds.
// Written again, it reads back the same, whole.

#include "FuzzSupport.h"
#include "files/SessionFile.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace
{
void CheckHoldsTogether(const KeptSession& session)
{
    std::set<int> numbers;
    int nCells = 0;
    for (const KeptObject& object : session.objects)
    {
        FUZZ_CHECK(object.nRows >= 1 && object.nRows <= 20,
                   "the session read does not hold together");
        FUZZ_CHECK(object.nCols >= 1 && object.nCols <= 100,
                   "the session read does not hold together");
        FUZZ_CHECK(object.cells.size() == std::size_t(object.nRows * object.nCols),
                   "the session read does not hold together");
        FUZZ_CHECK(object.nNumber >= 1 && object.nNumber < session.nNextObjectNumber,
                   "the session read does not hold together");
        FUZZ_CHECK(numbers.insert(object.nNumber).second,
                   "the session read does not hold together");
        nCells += object.nRows * object.nCols;
    }
    FUZZ_CHECK(nCells <= kMaxKeptCells, "the session read does not hold together");
    FUZZ_CHECK(session.selection.size() <= 2, "the session read does not hold together");
    for (const int nNumber : session.selection)
        FUZZ_CHECK(numbers.contains(nNumber), "the session read does not hold together");
    if (session.selection.size() == 2)
        FUZZ_CHECK(session.selection[0] != session.selection[1],
                   "the session read does not hold together");
}

bool Same(const KeptSession& a, const KeptSession& b)
{
    if (a.nNextObjectNumber != b.nNextObjectNumber || a.selection != b.selection ||
        a.objects.size() != b.objects.size())
        return false;
    for (std::size_t k = 0; k < a.objects.size(); ++k)
    {
        const KeptObject& x = a.objects[k];
        const KeptObject& y = b.objects[k];
        if (x.nNumber != y.nNumber || x.nRows != y.nRows || x.nCols != y.nCols || x.nX != y.nX ||
            x.nY != y.nY || x.strName != y.strName || x.strSuffix != y.strSuffix ||
            x.cells != y.cells)
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const std::string_view text(reinterpret_cast<const char*>(pData), nSize);
    KeptSession session;
    std::string strError;
    const bool bRead = ReadSession(text, session, strError);
    FUZZ_CHECK(bRead == strError.empty(), "the session read does not hold together");
    CheckHoldsTogether(session);

    KeptSession again;
    std::string strAgainError;
    FUZZ_CHECK(ReadSession(FormatSession(session), again, strAgainError),
               "written again it reads back otherwise");
    FUZZ_CHECK(Same(session, again), "written again it reads back otherwise");
    return 0;
}
