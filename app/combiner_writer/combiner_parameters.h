// The values written into a combiner program's slots, each as UTF-16
// units followed by the terminator '*'. Length words and the rest of a slot
// are left as they are: only the units before the first '*' carry meaning.
#pragma once

#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

#include "template_slots.h"

struct CombinerParameters {
    std::string fileName;  // ANSI, at most 511 bytes
    int32_t pieceCount = 0;
    int64_t fileSize = 0;
    // The CRC-32 of the file; without it the slot keeps its placeholder.
    std::optional<uint32_t> checksum;
};

// Writes the values with their terminators into the slots of the image.
// False, with nothing written, when a value and its terminator would not fit
// its slot (a count of 1,000,000,000 or more, or a name above 511 units).
bool PatchCombinerParameters(std::vector<unsigned char>& image, const CombinerSlots& slots,
                             const CombinerParameters& parameters);

// Appends the list of the pieces' checksums (4 little-endian bytes each)
// after the image, where the program reads it from its own file; nothing
// when there are none.
void AppendPieceList(std::vector<unsigned char>& image,
                     const std::vector<unsigned char>& checksums);

// "Create_" + the file name without its extension + ".exe".
std::string CombinerProgramName(const std::string& filePath);

// The name as UTF-16 units, widened with the ANSI code page, so that the
// combiner's LoadStringA gives the same bytes back.
std::u16string WidenAnsiText(const std::string& text);
