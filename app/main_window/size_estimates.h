// The piece size chosen in the size controls and the two estimate lines,
// computed from plain values so that they need no window.
#pragma once

#include <stdint.h>

#include <string>

// Index of "Custom size..." in the size choice; index 0 is the floppy.
const int CUSTOM_SIZE_CHOICE = 1;

// The number at the start of the text: leading white space, an optional
// sign, digits with an optional "." and fraction, an optional exponent.
// Reading stops at the first character that does not fit; no digits give 0.
// The decimal point is always ".", whatever the user's regional settings.
double ReadDecimalNumber(const std::string& text);

// The custom size in bytes: the number times 1024 for each step of the unit
// index (Bytes 0, KB 1, MB 2, GB 3; no unit, -1, multiplies by nothing),
// truncated toward zero. A value outside the 64-bit range gives INT64_MIN.
int64_t CustomPieceSize(const std::string& numberText, int unitIndex);

// The piece size for the size choice: the floppy for index 0, else custom.
int64_t PieceSizeFor(int sizeChoice, const std::string& numberText, int unitIndex);

// "1.3 KB (1,280 bytes)", "1,024 bytes": the file size line.
std::string FormatFileSize(int64_t size);

// The number-of-pieces line: the count with separators, or empty when the
// file size is unknown (negative), the piece size is not greater than 0 or
// the count is more than a split can make.
std::string PieceCountText(int64_t fileSize, int64_t pieceSize);
