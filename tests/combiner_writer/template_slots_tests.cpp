#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "template_image.h"
#include "template_slots.h"
#include "test_files.h"

TEST(TemplateSlots, AreFoundInTheCombinersOfBothWordSizes)
{
    for (const std::string& path : {TemplatePath(), OtherWordSizeTemplatePath()}) {
        SCOPED_TRACE(path);
        std::vector<unsigned char> image = ReadWholeFile(path);
        ASSERT_FALSE(image.empty());
        CombinerSlots slots = SlotsOf(image);
        EXPECT_EQ(UnitsAt(image, slots.fileName, 512), NamePlaceholder());
        EXPECT_EQ(UnitsAt(image, slots.pieceCount, 10), "2147483647");
        EXPECT_EQ(UnitsAt(image, slots.fileSize, 20), "12345678901234567890");
        EXPECT_EQ(UnitsAt(image, slots.checksum, 9), "XXXXXXXXX");
        // Entries 103 to 106 follow each other, each after its length word.
        EXPECT_EQ(slots.pieceCount, slots.fileName + 1024 + 2);
        EXPECT_EQ(slots.fileSize, slots.pieceCount + 20 + 2);
        EXPECT_EQ(slots.checksum, slots.fileSize + 40 + 2);
        // Entries 96 to 102 before them are empty: the block starts 7 words earlier.
        for (size_t entry = 0; entry < 7; ++entry)
            EXPECT_EQ(WordAt(image, slots.fileName - 2 - 2 * (7 - entry)), 0);
    }
}

TEST(TemplateSlots, WrongLengthWordIsRefused)
{
    std::vector<unsigned char> image = TemplateImage();
    CombinerSlots slots = SlotsOf(image);
    image[slots.pieceCount - 2] = 11;
    EXPECT_FALSE(FindCombinerSlots(image.data(), image.size(), slots));
}

TEST(TemplateSlots, AlteredPlaceholderIsRefused)
{
    const int slotsToAlter = 4;
    for (int which = 0; which < slotsToAlter; ++which) {
        std::vector<unsigned char> image = TemplateImage();
        CombinerSlots slots = SlotsOf(image);
        size_t offsets[] = {slots.fileName + 1022, slots.pieceCount, slots.fileSize + 38,
                            slots.checksum + 16};
        image[offsets[which]] ^= 1;  // one character becomes another
        EXPECT_FALSE(FindCombinerSlots(image.data(), image.size(), slots)) << which;
    }
}

TEST(TemplateSlots, TruncatedOrForeignFilesAreRefused)
{
    std::vector<unsigned char> image = TemplateImage();
    CombinerSlots slots = SlotsOf(image);
    for (size_t size : {(size_t)0, (size_t)64, (size_t)1024, slots.fileName, slots.fileSize + 38})
        EXPECT_FALSE(FindCombinerSlots(image.data(), size, slots)) << size;
    std::vector<unsigned char> text(50000, 'A');
    EXPECT_FALSE(FindCombinerSlots(text.data(), text.size(), slots));
    image[0] = 'X';  // no longer "MZ"
    EXPECT_FALSE(FindCombinerSlots(image.data(), image.size(), slots));
}
