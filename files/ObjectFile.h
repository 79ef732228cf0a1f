// The object file format: one object per plain text file.
//
//     2 3 |
//     1 2.5 -3 |
//     0.3333333333 1.23456789e+010 1e-005 |
//
// Standard library only.
#pragma once

#include "engine/Matrix.h"

#include <istream>
#include <optional>
#include <string>

// The exact bytes of the file for m: "rows cols |", then one line per row
// with each value in the file number form followed by one blank, then "|";
// every line ends with CR LF.
std::string FormatObjectFile(const CMatrix& m);

// Reads one object from the stream by the reader's word rules: words are
// separated by any run of blanks, tabs, CR, LF, VT and FF; a row count of 1 to
// 20, a column count of 1 to 100 and "|"; then each row's numbers and "|".
// Numbers are read as ParseNumberPrefix reads cell texts, must be complete
// and finite, and end at the first character that cannot continue them.
// Returns the matrix, or nothing when the text violates the format or ends
// early (the caller reports the format error). Reads the stream character by
// character, refuses any number text longer than 1000 characters, and stops
// after the last row's "|" (only the character after it is looked at).
std::optional<CMatrix> ReadObjectFile(std::istream& in);
