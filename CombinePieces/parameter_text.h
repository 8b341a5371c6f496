// The three parameters that Brindle patches into the combiner's string
// table: each text ends at its first '*', the terminator of its slot.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "reassembly_host.h"

// Room the loader is given for each parameter (characters, with the zero).
const int FILE_NAME_CAPACITY = 512;
const int PIECE_COUNT_CAPACITY = 31;
const int FILE_SIZE_CAPACITY = 21;
const int CHECKSUM_CAPACITY = 10;

// Ends the text at its first '*'; a text without one stays whole.
void CutAtTerminator(char* text);
// Leading white space, one optional sign, then digits up to the first other
// character; no digits give 0. Like the C library's conversions, without an
// overflow check: the value wraps.
int32_t ParseDecimal32(const char* text);
int64_t ParseDecimal64(const char* text);

// Loads one string (at most capacity - 1 characters) and cuts it at its '*'.
void LoadParameterText(ReassemblyHost& host, int id, char* out, int capacity);
// out must hold FILE_NAME_CAPACITY bytes.
void LoadFileName(ReassemblyHost& host, char* out);
int32_t LoadPieceCount(ReassemblyHost& host);
int64_t LoadFileSize(ReassemblyHost& host);
// The CRC-32 of the file that was split: eight upper-case hexadecimal digits
// before the '*'. False for anything else (the template's placeholder, or a
// program written before the checksum was carried): no content check.
bool LoadChecksum(ReassemblyHost& host, uint32_t& checksum);

// Shortens the name so that folder and name together fit a 512-byte buffer
// (at most 511 bytes), never inside a UTF-8 character.
void FitNameAfterFolder(char* name, size_t folderLength);
