#include "combiner_parameters.h"

#include "crc32.h"
#include "piece_checksums.h"
#include "path_text_string.h"

namespace {

const char16_t TERMINATOR = u'*';

std::u16string DecimalUnits(int64_t value)
{
    std::string digits = FormatDecimal(value);
    return std::u16string(digits.begin(), digits.end());
}

void WriteSlot(std::vector<unsigned char>& image, size_t offset, const std::u16string& units)
{
    std::u16string terminated = units + TERMINATOR;
    for (size_t i = 0; i < terminated.size(); ++i) {
        image[offset + 2 * i] = (unsigned char)(terminated[i] & 0xFF);
        image[offset + 2 * i + 1] = (unsigned char)(terminated[i] >> 8);
    }
}

std::u16string ChecksumUnits(uint32_t checksum)
{
    char digits[CHECKSUM_TEXT_SIZE];
    FormatChecksum(checksum, digits);
    return std::u16string(digits, digits + 8);
}

bool Fits(const std::u16string& units, size_t room)
{
    return units.size() + 1 <= room;
}

}  // namespace

bool PatchCombinerParameters(std::vector<unsigned char>& image, const CombinerSlots& slots,
                             const CombinerParameters& parameters)
{
    std::u16string name = WidenAnsiText(parameters.fileName);
    std::u16string count = DecimalUnits(parameters.pieceCount);
    std::u16string size = DecimalUnits(parameters.fileSize);
    bool fits = Fits(name, FILE_NAME_SLOT_UNITS) && Fits(count, PIECE_COUNT_SLOT_UNITS) &&
                Fits(size, FILE_SIZE_SLOT_UNITS) &&
                slots.checksum + 2 * CHECKSUM_SLOT_UNITS <= image.size();
    if (!fits) return false;
    WriteSlot(image, slots.fileName, name);
    WriteSlot(image, slots.pieceCount, count);
    WriteSlot(image, slots.fileSize, size);
    if (parameters.checksum) WriteSlot(image, slots.checksum, ChecksumUnits(*parameters.checksum));
    return true;
}

void AppendPieceList(std::vector<unsigned char>& image, const std::vector<unsigned char>& checksums)
{
    if (checksums.empty()) return;
    int32_t count = (int32_t)(checksums.size() / 4);
    size_t end = image.size();
    image.resize(end + PieceListSize(count));
    WritePieceList(&image[end], checksums.data(), count);
}

std::string CombinerProgramName(const std::string& filePath)
{
    return "Create_" + BaseName(filePath) + ".exe";
}
