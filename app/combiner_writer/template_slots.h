// Where the parameter slots lie in a combiner template. They belong to the
// template: they are found from its resource directory (string table block 7,
// language 1033, entries 103 to 106), never by searching for text.
#pragma once

#include <stddef.h>

// Entries 103, 104, 105 and 106 and their room in UTF-16 units.
const size_t FILE_NAME_SLOT_UNITS = 512;
const size_t PIECE_COUNT_SLOT_UNITS = 10;
const size_t FILE_SIZE_SLOT_UNITS = 20;
const size_t CHECKSUM_SLOT_UNITS = 9;

// File offsets of the first unit of each slot.
struct CombinerSlots {
    size_t fileName = 0;
    size_t pieceCount = 0;
    size_t fileSize = 0;
    size_t checksum = 0;
};

// Reads the template's resource directory. True only when the block is there
// with length words 512, 10, 20 and 9 and the slots hold their placeholders
// (000102...FDFEFF, 2147483647, 12345678901234567890 and XXXXXXXXX).
bool FindCombinerSlots(const unsigned char* image, size_t size, CombinerSlots& slots);
