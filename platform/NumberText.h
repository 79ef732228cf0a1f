// Locale-free conversion between doubles and text. The C library's printf and
// atof follow the process locale (which Qt sets from the environment), so the
// program converts numbers only through these functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The cell form: at most 10 significant digits, trailing zeros and a trailing
// point removed, exponent form (upper-case E, sign, at least three digits)
// when the decimal exponent (after rounding) is below -4 or at least 10.
// 1E-005, 0.3333333333, 1.23456789E+010; negative zero gives "-0". Correctly
// rounded and independent of the process locale. Non-finite values give
// "INF", "-INF" and "NAN".
std::string FormatCellNumber(double dValue);

// The file form: as the cell form with a lower-case e (1e-005,
// 1.23456789e+010); non-finite values give "inf", "-inf" and "nan".
std::string FormatFileNumber(double dValue);

// Reads the longest leading part of the text that has the form: optional sign,
// digits with an optional point and digits, optional exponent letter (e or E)
// with optional sign and digits. Correctly rounded; overflow gives an
// infinity, underflow zero (or the correctly rounded denormal). Returns 0.0
// when there is no such part (no digit before the exponent). An exponent
// letter without digits after it is not taken ("1e" reads 1). Leading blanks
// are not skipped: " 1" reads 0. When pnUsed is given it receives the number
// of characters taken, 0 when there was no number.
double ParseNumberPrefix(std::string_view text, std::size_t* pnUsed = nullptr);

// The cell rule: true when every character of the text is one of the 15 that
// can belong to a number: the ten digits, '.', '+', '-', 'e' and 'E'. The
// empty text is legal; any other character (a blank, a comma, another
// letter, a NUL byte) makes the text illegal. Only the characters are
// tested, not the form of the number ("1-2", "e", "1.2.3" are legal).
bool IsLegalNumberText(std::string_view text);
