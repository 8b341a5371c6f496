// The reassembly run behind the combiner's OK button: checks the destination,
// the free space and every piece, then appends the pieces in number order to
// the output file, showing the percentage done.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "reassembly_host.h"

// True only when the output file was written completely and the success
// message was shown. Every other outcome has shown its message.
bool ReassembleFile(ReassemblyHost& host);

// The text before the first backslash (D:\parts\x -> D:); the whole text if
// there is none; empty for a path that starts with a backslash.
void DrivePart(const char* path, char* out, size_t size);

// The size of piece `number` (from 1), as the caller learns it.
typedef int64_t (*PieceSizeQuery)(int32_t number, const void* context);

// The first piece whose size breaks the pattern of a split of fileSize bytes
// into `count` pieces (every piece but the last as large as the first, the
// last holding the rest, at least 1 byte); 0 when that cannot be told.
int32_t PieceOutOfLine(PieceSizeQuery sizeOf, const void* context, int32_t count,
                       int64_t fileSize);
