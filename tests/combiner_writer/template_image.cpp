#include "template_image.h"

#include <stdio.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "test_files.h"

std::string TemplatePath()
{
    return WindowsPathOf(COMBINER_PROGRAM_UNIX_PATH);
}

std::string OtherWordSizeTemplatePath()
{
    return WindowsPathOf(OTHER_COMBINER_PROGRAM_UNIX_PATH);
}

std::vector<unsigned char> TemplateImage()
{
    return ReadWholeFile(TemplatePath());
}

CombinerSlots SlotsOf(const std::vector<unsigned char>& image)
{
    CombinerSlots slots;
    EXPECT_TRUE(FindCombinerSlots(image.data(), image.size(), slots));
    return slots;
}

std::string UnitsAt(const std::vector<unsigned char>& image, size_t offset, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        uint16_t unit = WordAt(image, offset + 2 * i);
        text += unit <= 0xFF ? (char)unit : '?';
    }
    return text;
}

uint16_t WordAt(const std::vector<unsigned char>& image, size_t offset)
{
    return (uint16_t)(image[offset] | image[offset + 1] << 8);
}

std::string NamePlaceholder()
{
    std::string text;
    char hex[3];
    for (int i = 0; i < 256; ++i) {
        snprintf(hex, sizeof hex, "%02X", i);
        text += hex;
    }
    return text;
}

static std::string LoadCut(HMODULE module, int id, int capacity)
{
    std::vector<char> text((size_t)capacity, '\0');
    LoadStringA(module, (UINT)id, text.data(), capacity);
    std::string loaded = text.data();
    return loaded.substr(0, loaded.find('*'));
}

LoadedParameters LoadParametersOf(const std::string& programPath)
{
    LoadedParameters loaded;
    HMODULE module = LoadLibraryExA(programPath.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(module, (HMODULE)NULL) << programPath;
    if (!module) return loaded;
    loaded.fileName = LoadCut(module, 103, 512);
    loaded.pieceCount = LoadCut(module, 104, 31);
    loaded.fileSize = LoadCut(module, 105, 21);
    loaded.checksum = LoadCut(module, 106, 10);
    FreeLibrary(module);
    return loaded;
}

CombinerParameters Parameters(const std::string& name, int32_t count, int64_t size,
                              std::optional<uint32_t> checksum)
{
    CombinerParameters parameters;
    parameters.fileName = name;
    parameters.pieceCount = count;
    parameters.fileSize = size;
    parameters.checksum = checksum;
    return parameters;
}

std::vector<unsigned char> PatchedTemplateImage(const std::string& name, int32_t count,
                                                int64_t size, std::optional<uint32_t> checksum)
{
    std::vector<unsigned char> image = TemplateImage();
    EXPECT_TRUE(PatchCombinerParameters(image, SlotsOf(image),
                                        Parameters(name, count, size, checksum)));
    return image;
}
