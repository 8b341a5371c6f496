// The one naming rule of pieces, used by the split and by the combiner:
// folder + file name + "." + the piece number, padded on the left with '0'
// to the number of digits of the piece count (no minimum width).
// 12 pieces of report.doc: report.doc.01 ... report.doc.12.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Number of decimal digits of a non-negative value (0 has one).
int DecimalWidth(int64_t value);

// Writes the number text of piece `number` of `count` into out (at least 11 bytes).
void PieceNumberText(int32_t number, int32_t count, char* out);

// Writes the piece path into out. False when it does not fit in `size`
// bytes; out then holds as much of it as fits.
bool PieceFileName(char* out, size_t size, const char* folder, const char* fileName,
                   int32_t number, int32_t count);
