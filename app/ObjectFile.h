// The object file format: one object per plain text file.
//
//     2 3 |
//     1 2.5 -3 |
//     0.3333333333 1.23456789e+010 1e-005 |
//
// Standard library only.
#pragma once

#include "Matrix.h"

#include <istream>
#include <optional>
#include <string>

// The exact bytes of the file for m: "rows cols |", then one line per row
// with each value in the file number form followed by one blank, then "|";
// every line ends with CR LF.
std::string FormatObjectFile(const CMatrix& m);

// Reads one object from the stream by the reader's word rules. Returns the
// matrix, or nothing when the text violates the format (the caller reports
// the format error). Stops reading after the last row's "|".
std::optional<CMatrix> ReadObjectFile(std::istream& in);
