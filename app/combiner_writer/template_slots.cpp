#include "template_slots.h"

#include <stdint.h>
#include <stdio.h>

namespace {

const uint16_t STRING_TABLE_TYPE = 6;
const uint16_t SLOT_BLOCK = 7;  // entries 96 to 111
const uint16_t US_ENGLISH = 1033;
const int FIRST_SLOT_INDEX = 103 - 96;

// Bounds-checked little-endian reads of the template image.
class ImageReader {
public:
    ImageReader(const unsigned char* image, size_t size) : image_(image), size_(size) {}

    bool has(size_t offset, size_t count) const
    {
        return offset <= size_ && count <= size_ - offset;
    }
    bool read16(size_t offset, uint16_t& value) const
    {
        if (!has(offset, 2)) return false;
        value = (uint16_t)(image_[offset] | image_[offset + 1] << 8);
        return true;
    }
    bool read32(size_t offset, uint32_t& value) const
    {
        uint16_t low, high;
        if (!read16(offset, low) || !read16(offset + 2, high)) return false;
        value = low | (uint32_t)high << 16;
        return true;
    }

private:
    const unsigned char* image_;
    size_t size_;
};

struct PeLayout {
    uint32_t resourceRva = 0;
    size_t sectionTable = 0;
    uint16_t sectionCount = 0;
};

bool ReadPeLayout(const ImageReader& reader, PeLayout& layout)
{
    uint16_t magic;
    uint32_t peOffset, signature;
    if (!reader.read16(0, magic) || magic != 0x5A4D) return false;  // "MZ"
    if (!reader.read32(0x3C, peOffset) || !reader.read32(peOffset, signature) ||
        signature != 0x4550)  // "PE\0\0"
        return false;
    size_t fileHeader = peOffset + 4;
    size_t optionalHeader = fileHeader + 20;
    uint16_t optionalSize, optionalMagic;
    if (!reader.read16(fileHeader + 2, layout.sectionCount) ||
        !reader.read16(fileHeader + 16, optionalSize) ||
        !reader.read16(optionalHeader, optionalMagic))
        return false;
    // The data directories follow the directory count; both sit 16 bytes
    // further in a 64-bit program, whose image base and stack sizes are wider.
    size_t directoryCountAt;
    if (optionalMagic == 0x10B)  // PE32
        directoryCountAt = optionalHeader + 92;
    else if (optionalMagic == 0x20B)  // PE32+
        directoryCountAt = optionalHeader + 108;
    else
        return false;
    uint32_t directoryCount;
    const size_t resourceDirectory = 2;
    if (!reader.read32(directoryCountAt, directoryCount) || directoryCount <= resourceDirectory ||
        directoryCountAt + 4 + 8 * resourceDirectory + 8 > optionalHeader + optionalSize ||
        !reader.read32(directoryCountAt + 4 + 8 * resourceDirectory, layout.resourceRva))
        return false;
    layout.sectionTable = optionalHeader + optionalSize;
    return layout.resourceRva != 0;
}

bool RvaToOffset(const ImageReader& reader, const PeLayout& layout, uint32_t rva, size_t& offset)
{
    for (uint16_t i = 0; i < layout.sectionCount; ++i) {
        size_t section = layout.sectionTable + 40 * (size_t)i;
        uint32_t address, rawSize, rawOffset;
        if (!reader.read32(section + 12, address) || !reader.read32(section + 16, rawSize) ||
            !reader.read32(section + 20, rawOffset))
            return false;
        if (rva >= address && rva - address < rawSize) {
            offset = (size_t)rawOffset + (rva - address);
            return true;
        }
    }
    return false;
}

// The entry with the numeric id in a resource directory: its offset field
// (relative to the resource section's start).
bool FindEntry(const ImageReader& reader, size_t directory, uint16_t id, uint32_t& target)
{
    uint16_t named, numbered;
    if (!reader.read16(directory + 12, named) || !reader.read16(directory + 14, numbered))
        return false;
    for (size_t i = 0; i < (size_t)named + numbered; ++i) {
        size_t entry = directory + 16 + 8 * i;
        uint32_t name;
        if (!reader.read32(entry, name) || !reader.read32(entry + 4, target)) return false;
        if (name == id) return true;
    }
    return false;
}

// Follows type / id / language to the data of the string block.
bool FindSlotBlock(const ImageReader& reader, size_t& offset, uint32_t& size)
{
    PeLayout layout;
    size_t root;
    if (!ReadPeLayout(reader, layout) || !RvaToOffset(reader, layout, layout.resourceRva, root))
        return false;
    const uint16_t path[3] = {STRING_TABLE_TYPE, SLOT_BLOCK, US_ENGLISH};
    size_t directory = root;
    uint32_t target = 0;
    for (int level = 0; level < 3; ++level) {
        if (!FindEntry(reader, directory, path[level], target)) return false;
        bool isDirectory = (target & 0x80000000u) != 0;
        if (isDirectory != (level < 2)) return false;
        directory = root + (target & 0x7FFFFFFFu);
    }
    uint32_t dataRva;
    return reader.read32(directory, dataRva) && reader.read32(directory + 4, size) &&
           RvaToOffset(reader, layout, dataRva, offset) && reader.has(offset, size);
}

bool HoldsUnits(const unsigned char* image, size_t offset, const char* text)
{
    for (size_t i = 0; text[i]; ++i) {
        if (image[offset + 2 * i] != (unsigned char)text[i] || image[offset + 2 * i + 1] != 0)
            return false;
    }
    return true;
}

}  // namespace

bool FindCombinerSlots(const unsigned char* image, size_t size, CombinerSlots& slots)
{
    ImageReader reader(image, size);
    size_t block;
    uint32_t blockSize;
    if (!FindSlotBlock(reader, block, blockSize)) return false;

    // Each entry: a length word, then that many units.
    size_t entry = block;
    size_t end = block + blockSize;
    const int SLOT_COUNT = 4;
    size_t firstUnits[SLOT_COUNT] = {0, 0, 0, 0};
    uint16_t lengths[SLOT_COUNT] = {0, 0, 0, 0};
    for (int index = 0; index < 16; ++index) {
        uint16_t length;
        if (!reader.read16(entry, length) || entry + 2 + 2 * (size_t)length > end) return false;
        int slot = index - FIRST_SLOT_INDEX;
        if (slot >= 0 && slot < SLOT_COUNT) {
            firstUnits[slot] = entry + 2;
            lengths[slot] = length;
        }
        entry += 2 + 2 * (size_t)length;
    }
    if (lengths[0] != FILE_NAME_SLOT_UNITS || lengths[1] != PIECE_COUNT_SLOT_UNITS ||
        lengths[2] != FILE_SIZE_SLOT_UNITS || lengths[3] != CHECKSUM_SLOT_UNITS)
        return false;

    char placeholder[2 * 256 + 1];
    for (int i = 0; i < 256; ++i) snprintf(placeholder + 2 * i, 3, "%02X", i);
    if (!HoldsUnits(image, firstUnits[0], placeholder) ||
        !HoldsUnits(image, firstUnits[1], "2147483647") ||
        !HoldsUnits(image, firstUnits[2], "12345678901234567890") ||
        !HoldsUnits(image, firstUnits[3], "XXXXXXXXX"))
        return false;
    slots.fileName = firstUnits[0];
    slots.pieceCount = firstUnits[1];
    slots.fileSize = firstUnits[2];
    slots.checksum = firstUnits[3];
    return true;
}
