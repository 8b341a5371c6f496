// The built combiner program as the template of the writer's tests, and
// readers for its slots.
#pragma once

#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

#include "combiner_parameters.h"
#include "template_slots.h"

// The Windows path of the built combiner program, and of the one built for
// the other word size (PE32 beside PE32+).
std::string TemplatePath();
std::string OtherWordSizeTemplatePath();
std::vector<unsigned char> TemplateImage();
CombinerSlots SlotsOf(const std::vector<unsigned char>& image);
// The values of one split, as the writer puts them into the slots.
CombinerParameters Parameters(const std::string& name, int32_t count, int64_t size,
                              std::optional<uint32_t> checksum = std::nullopt);
// The template with those values patched in: the program as it must be written.
std::vector<unsigned char> PatchedTemplateImage(const std::string& name, int32_t count,
                                                int64_t size,
                                                std::optional<uint32_t> checksum = std::nullopt);

// `count` UTF-16 units from `offset`, as bytes (units above 0xFF become '?').
std::string UnitsAt(const std::vector<unsigned char>& image, size_t offset, size_t count);
uint16_t WordAt(const std::vector<unsigned char>& image, size_t offset);
// 000102...FDFEFF
std::string NamePlaceholder();

// Strings 103 to 106 of a written program, read with LoadStringA
// (capacities 512, 31, 21 and 10) and cut at their first '*'.
struct LoadedParameters {
    std::string fileName, pieceCount, fileSize, checksum;
};
LoadedParameters LoadParametersOf(const std::string& programPath);
