// The built combiner program: small, importing only system DLLs, with its
// resources in language 1033.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.h"

namespace {

std::string ProgramPath()
{
    return WindowsPathOf(COMBINER_PROGRAM_UNIX_PATH);
}

uint32_t Read32(const std::vector<unsigned char>& bytes, size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           (uint32_t)bytes[offset + 3] << 24;
}

uint16_t Read16(const std::vector<unsigned char>& bytes, size_t offset)
{
    return (uint16_t)(bytes[offset] | bytes[offset + 1] << 8);
}

// The names of the DLLs in the import directory of a 32-bit or 64-bit program.
std::vector<std::string> ImportedDlls(const std::vector<unsigned char>& image)
{
    size_t header = Read32(image, 0x3C);
    size_t sections = Read16(image, header + 6);
    size_t optional = header + 24;
    // The data directories start 16 bytes further in the 64-bit form.
    size_t directories = optional + (Read16(image, optional) == 0x20B ? 112 : 96);
    size_t sectionTable = optional + Read16(image, header + 20);
    auto fileOffset = [&](uint32_t rva) -> size_t {
        for (size_t i = 0; i < sections; ++i) {
            size_t entry = sectionTable + 40 * i;
            uint32_t start = Read32(image, entry + 12), length = Read32(image, entry + 16);
            if (rva >= start && rva < start + length) return rva - start + Read32(image, entry + 20);
        }
        return 0;
    };
    std::vector<std::string> names;
    size_t descriptor = fileOffset(Read32(image, directories + 8));  // data directory 1
    for (; descriptor && Read32(image, descriptor + 12) != 0; descriptor += 20) {
        std::string name(reinterpret_cast<const char*>(&image[fileOffset(Read32(image, descriptor + 12))]));
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        names.push_back(name);
    }
    return names;
}

class CombinerProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = LoadLibraryExA(ProgramPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, (HMODULE)NULL);
    }
    void TearDown() override
    {
        if (module) FreeLibrary(module);
    }

    std::vector<unsigned char> Resource(const char* type, int id)
    {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id),
                                      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!found) return {};
        const unsigned char* data =
            static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
        return std::vector<unsigned char>(data, data + SizeofResource(module, found));
    }

    HMODULE module = NULL;
};

std::string Units(const std::vector<unsigned char>& bytes, size_t& offset)
{
    std::string text;
    for (; Read16(bytes, offset) != 0; offset += 2) text += (char)Read16(bytes, offset);
    offset += 2;
    return text;
}

}  // namespace

TEST(CombinerProgramFile, IsAtMost40960BytesAndImportsOnlySystemDlls)
{
    std::vector<unsigned char> image = ReadWholeFile(ProgramPath());
    ASSERT_FALSE(image.empty());
    EXPECT_LE(image.size(), 40960u);
    std::vector<std::string> dlls = ImportedDlls(image);
    std::sort(dlls.begin(), dlls.end());
    EXPECT_EQ(dlls, (std::vector<std::string>{"comctl32.dll", "kernel32.dll", "msvcrt.dll",
                                              "user32.dll"}));
}

TEST_F(CombinerProgram, HoldsThePlaceholdersInItsStringTable)
{
    char text[600];
    std::string placeholder;
    for (int i = 0; i < 256; ++i) {
        snprintf(text, sizeof text, "%02X", i);
        placeholder += text;
    }
    EXPECT_EQ(LoadStringA(module, 103, text, 600), 512);
    EXPECT_EQ(std::string(text), placeholder);
    LoadStringA(module, 104, text, 31);
    EXPECT_STREQ(text, "2147483647");
    LoadStringA(module, 105, text, 21);
    EXPECT_STREQ(text, "12345678901234567890");
    LoadStringA(module, 106, text, 10);
    EXPECT_STREQ(text, "XXXXXXXXX");
    EXPECT_EQ(Resource(RT_STRING, 7).size(), 2u * 16 + 2u * (512 + 10 + 20 + 9));
}

TEST_F(CombinerProgram, DialogIsAnExtendedTemplateInEightPointTahoma)
{
    std::vector<unsigned char> dialog = Resource(RT_DIALOG, 101);
    ASSERT_GT(dialog.size(), 26u);
    EXPECT_EQ(Read16(dialog, 0), 1);       // version
    EXPECT_EQ(Read16(dialog, 2), 0xFFFF);  // extended
    EXPECT_EQ(Read16(dialog, 16), 8);      // controls
    EXPECT_EQ(Read16(dialog, 22), 336);
    EXPECT_EQ(Read16(dialog, 24), 94);
    size_t offset = 26;
    EXPECT_EQ(Units(dialog, offset), "");  // no menu
    EXPECT_EQ(Units(dialog, offset), "");  // standard class
    EXPECT_EQ(Units(dialog, offset), "Brindle");
    EXPECT_EQ(Read16(dialog, offset), 8);  // points
    offset += 6;
    EXPECT_EQ(Units(dialog, offset), "Tahoma");
}

TEST_F(CombinerProgram, IconGroupHoldsA32And16PixelImageOf16Colours)
{
    std::vector<unsigned char> group = Resource(RT_GROUP_ICON, 102);
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    EXPECT_EQ(Read16(group, 4), 2);
    // Entries: width, height, colours, reserved, planes, bits, bytes, id.
    EXPECT_EQ(group[6], 32);
    EXPECT_EQ(group[8], 16);
    EXPECT_EQ(Read16(group, 6 + 12), 1);
    EXPECT_EQ(group[20], 16);
    EXPECT_EQ(group[22], 16);
    EXPECT_EQ(Read16(group, 20 + 12), 2);
    EXPECT_FALSE(Resource(RT_ICON, 1).empty());
    EXPECT_FALSE(Resource(RT_ICON, 2).empty());
}
