#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "combiner_parameters.h"
#include "template_image.h"
#include "test_files.h"

namespace {

// Each test patches the combiner of this build and the one of the other word
// size: their string tables sit at other offsets behind other headers.
class Patching : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        original = ReadWholeFile(GetParam());
        ASSERT_FALSE(original.empty());
        image = original;
        slots = SlotsOf(image);
    }

    std::string NameSlot() const { return UnitsAt(image, slots.fileName, 512); }
    std::string CountSlot() const { return UnitsAt(image, slots.pieceCount, 10); }
    std::string SizeSlot() const { return UnitsAt(image, slots.fileSize, 20); }
    std::string ChecksumSlot() const { return UnitsAt(image, slots.checksum, 9); }
    void ExpectLengthWordsUnchanged() const
    {
        EXPECT_EQ(WordAt(image, slots.fileName - 2), 512);
        EXPECT_EQ(WordAt(image, slots.pieceCount - 2), 10);
        EXPECT_EQ(WordAt(image, slots.fileSize - 2), 20);
        EXPECT_EQ(WordAt(image, slots.checksum - 2), 9);
    }
    bool InsideSlots(size_t offset) const
    {
        return (offset >= slots.fileName && offset < slots.fileName + 1024) ||
               (offset >= slots.pieceCount && offset < slots.pieceCount + 20) ||
               (offset >= slots.fileSize && offset < slots.fileSize + 40) ||
               (offset >= slots.checksum && offset < slots.checksum + 18);
    }

    std::vector<unsigned char> original, image;
    CombinerSlots slots;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(BothWordSizes, Patching,
                         ::testing::Values(TemplatePath(), OtherWordSizeTemplatePath()));

TEST_P(Patching, FirstSplitOfARun)
{
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters("a.txt", 2, 1500)));
    EXPECT_EQ(NameSlot(), "a.txt*" + NamePlaceholder().substr(6));
    EXPECT_EQ(NameSlot().substr(6, 6), "030405");
    EXPECT_EQ(CountSlot(), "2*47483647");
    EXPECT_EQ(SizeSlot(), "1500*678901234567890");
    ExpectLengthWordsUnchanged();
}

TEST_P(Patching, ChecksumFillsItsSlotAndWithoutOneThePlaceholderStays)
{
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters("a.txt", 2, 1500)));
    EXPECT_EQ(ChecksumSlot(), "XXXXXXXXX");
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters("a.txt", 2, 1500, 0x0A1B2C3Du)));
    EXPECT_EQ(ChecksumSlot(), "0A1B2C3D*");
    ExpectLengthWordsUnchanged();
}

TEST_P(Patching, NineteenDigitSizeFillsItsSlotExactly)
{
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters("a", 1, 1000000000000000000LL)));
    EXPECT_EQ(SizeSlot(), "1000000000000000000*");
    ExpectLengthWordsUnchanged();
}

TEST_P(Patching, LargestSizeHasNineteenDigits)
{
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters("a", 1, INT64_MAX)));
    EXPECT_EQ(SizeSlot(), "9223372036854775807*");
}

TEST_P(Patching, NameOf511BytesEndsWithTheTerminatorInTheLastUnit)
{
    std::string name(511, 'n');
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters(name, 3, 3)));
    EXPECT_EQ(NameSlot(), name + "*");
    EXPECT_EQ(WordAt(image, slots.pieceCount - 2), 10);
}

TEST_P(Patching, EmptyFile)
{
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters("empty.dat", 0, 0)));
    EXPECT_EQ(CountSlot(), "0*47483647");
    EXPECT_EQ(SizeSlot(), "0*345678901234567890");
}

TEST_P(Patching, SecondShorterPatchLeavesTheTailOfTheFirst)
{
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters("longer_name.data", 123, 45678)));
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters("b.c", 4, 5)));
    EXPECT_EQ(NameSlot().substr(0, 17), "b.c*er_name.data*");
    EXPECT_EQ(CountSlot(), "4*3*483647");
    EXPECT_EQ(SizeSlot(), "5*678*78901234567890");
}

TEST_P(Patching, OnlyTheCharactersOfEntries103To106Change)
{
    ASSERT_TRUE(PatchCombinerParameters(image, slots,
                                        Parameters(std::string(511, 'z'), 999999999,
                                                   INT64_MAX, 0xFFFFFFFFu)));
    ASSERT_EQ(image.size(), original.size());
    size_t same = 0;
    for (size_t i = 0; i < image.size(); ++i) {
        if (!InsideSlots(i)) {
            EXPECT_EQ(image[i], original[i]) << "offset " << i;
        }
        if (image[i] == original[i]) ++same;
    }
    EXPECT_GE(same, original.size() - 1102);
}

TEST_P(Patching, CountThatDoesNotFitItsSlotWritesNothing)
{
    EXPECT_FALSE(PatchCombinerParameters(image, slots, Parameters("a", 1000000000, 1)));
    EXPECT_EQ(image, original);
    EXPECT_FALSE(PatchCombinerParameters(image, slots, Parameters(std::string(512, 'n'), 1, 1)));
    EXPECT_EQ(image, original);
}

TEST_P(Patching, ANSINamesAreWidenedWithTheCodePage)
{
    // 0xE9 is e acute in the Western code page, 0x80 the euro sign.
    ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters("caf\xe9\x80.txt", 1, 1)));
    EXPECT_EQ(WordAt(image, slots.fileName + 6), 0x00E9);
    EXPECT_EQ(WordAt(image, slots.fileName + 8), 0x20AC);
}

TEST_P(Patching, WrittenProgramGivesTheValuesBackThroughTheStringLoader)
{
    std::string folder = MakeTestFolder();
    const std::string names[] = {"a.txt", std::string(511, 'q'), "caf\xe9 \xc0\xff.txt"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        ASSERT_TRUE(PatchCombinerParameters(image, slots, Parameters(name, 2, 1500, 0xCBF43926u)));
        std::string program = folder + "Create_test" + std::to_string(name.size()) + ".exe";
        WriteTextFile(program, std::string(image.begin(), image.end()));
        LoadedParameters loaded = LoadParametersOf(program);
        EXPECT_EQ(loaded.fileName, name);
        EXPECT_EQ(loaded.pieceCount, "2");
        EXPECT_EQ(loaded.fileSize, "1500");
        EXPECT_EQ(loaded.checksum, "CBF43926");
    }
    RemoveTestFolder(folder);
}
