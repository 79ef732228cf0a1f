// The kept session: the open objects as the user left them, in a small
// versioned text format that the program writes into the user's state folder
// and reads back at the next start.
//
//     quindle-session 1
//     next 4
//     object 1 2 2 231 2 "" ""
//     "1" "2"
//     "" "1e3b"
//     object 3 1 1 241 72 "Mul(1,2)" ""
//     "0.5"
//     selection 2 3 1
//     end
//
// "object" gives the number, rows, columns, the window's position (x y),
// the name of a result (empty for other objects) and the title's suffix
// (a loaded object's path); then the cells' texts, exactly as shown, row by
// row. Every text is one quoted word: bytes below 0x21, 0x7F, '"' and '%'
// are written as %XX, so that any text, line ends included, comes back
// unchanged. "selection" gives how many objects are selected, then their numbers in
// order of selection. Standard library only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One object as its window shows it.
struct KeptObject
{
    int nNumber = 0;
    int nRows = 0;
    int nCols = 0;
    int nX = 0;
    int nY = 0;
    // A result's composed name; empty for new, random and loaded objects,
    // whose name is their number.
    std::string strName;
    // What the title shows after the number of an object without a composed
    // name (a loaded object's path).
    std::string strSuffix;
    // nRows * nCols texts, row by row (UTF-8).
    std::vector<std::string> cells;
};

struct KeptSession
{
    // The number the next object receives: above every kept object's.
    int nNextObjectNumber = 1;
    std::vector<KeptObject> objects;
    // Numbers of the selected objects, first operand first.
    std::vector<int> selection;
};

// The format's version; a file of a later version is refused.
inline constexpr int kSessionFormatVersion = 1;
// Most cells a kept session holds: no more can be open at once.
inline constexpr int kMaxKeptCells = 4999;

std::string FormatSession(const KeptSession& session);

// Reads a kept session. On success returns true. Otherwise returns false with
// the reason in strError, and session holds what could be read before it:
// every object read whole (not the one cut short), the selection among them,
// and a next number above them. Never throws on any input; texts longer than
// 65536 bytes, more than kMaxKeptCells cells, sizes outside 1 to 20 rows and
// 1 to 100 columns and repeated numbers are refused.
bool ReadSession(std::string_view text, KeptSession& session, std::string& strError);
