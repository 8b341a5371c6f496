#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reassembly.h"
#include "scripted_reassembly_host.h"
#include "test_files.h"

namespace {

const int YES = 6;
const int NO = 7;

// Writes bytes [offset, offset + size) of the pattern file with the given seed.
void WritePatternSlice(const std::string& path, int64_t offset, int64_t size, unsigned seed = 1)
{
    std::string bytes((size_t)size, '\0');
    for (int64_t i = 0; i < size; ++i) bytes[(size_t)i] = (char)PatternByte(offset + i, seed);
    WriteTextFile(path, bytes);
}

std::string Numbered(const std::string& base, int number, int width)
{
    std::string digits = std::to_string(number);
    return base + "." + std::string(width > (int)digits.size() ? width - digits.size() : 0, '0') +
           digits;
}

class Reassembly : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTestFolder();
        host.piecesFolder = folder;
        host.fileToCreate = folder + "out\\name.bin";
        CreateDirectoryA((folder + "out").c_str(), NULL);
    }
    void TearDown() override
    {
        EXPECT_EQ(host.buffersHeld, 0);
        RemoveTestFolder(folder);
    }

    // Splits `size` pattern bytes into pieces of `pieceSize` named by the rule.
    void WritePieces(const std::string& name, int64_t size, int64_t pieceSize, int width)
    {
        int count = (int)((size + pieceSize - 1) / pieceSize);
        for (int i = 1; i <= count; ++i) {
            int64_t offset = (i - 1) * pieceSize;
            int64_t length = std::min<int64_t>(pieceSize, size - offset);
            WritePatternSlice(Numbered(folder + name, i, width), offset, length);
        }
    }

    // A host of its own for one case of a loop, with the pieces of the test.
    ScriptedReassemblyHost HostCreating(const std::string& fileToCreate)
    {
        ScriptedReassemblyHost run;
        run.piecesFolder = folder;
        run.fileToCreate = fileToCreate;
        return run;
    }

    std::string folder;
    ScriptedReassemblyHost host;
};

const std::string DONE = BoxText(0x40, "The file was created successfully.");

}  // namespace

TEST_F(Reassembly, PiecesAreNumberedToTheWidthOfTheirCount)
{
    const struct {
        int count, width;
    } cases[] = {{1, 1}, {9, 1}, {12, 2}, {150, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        std::string name = "w" + std::to_string(c.count) + ".dat";
        WritePieces(name, c.count * 100 - 37, 100, c.width);
        ScriptedReassemblyHost run = HostCreating(folder + "out\\" + name);
        run.setParameters(name, c.count, c.count * 100 - 37);
        EXPECT_TRUE(ReassembleFile(run));
        EXPECT_EQ(run.boxes, std::vector<std::string>{DONE});
        EXPECT_TRUE(HoldsPattern(run.fileToCreate, 0, c.count * 100 - 37));
    }
    EXPECT_TRUE(FileExists(folder + "w12.dat.09"));
}

TEST_F(Reassembly, MissingPieceIsNamedAndNothingIsCreated)
{
    WritePieces("name", 1200, 100, 2);
    DeleteFileA((folder + "name.07").c_str());
    host.setParameters("name", 12, 1200);
    host.fileToCreate = folder + "out\\other.bin";
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x40, "The file 'name.07' could not be found.  This file is "
                                    "required to create 'other.bin'.")});
    EXPECT_FALSE(FileExists(host.fileToCreate));
    EXPECT_TRUE(host.percents.empty());
}

TEST_F(Reassembly, PieceHeldOpenForWritingIsReportedMissing)
{
    WritePieces("name.bin", 300, 100, 1);
    HANDLE writer = CreateFileA((folder + "name.bin.2").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    host.setParameters("name.bin", 3, 300);
    EXPECT_FALSE(ReassembleFile(host));
    CloseHandle(writer);
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x40, "The file 'name.bin.2' could not be found.  This file is "
                                    "required to create 'name.bin'.")});
    EXPECT_FALSE(FileExists(host.fileToCreate));
}

TEST_F(Reassembly, PiecesAreLookedForByTheirOwnNameWhateverTheOutputIsCalled)
{
    WritePieces("orig.txt", 250, 100, 1);
    host.setParameters("orig.txt", 3, 250);
    host.fileToCreate = folder + "out\\renamed.txt";
    EXPECT_TRUE(ReassembleFile(host));
    EXPECT_TRUE(HoldsPattern(folder + "out\\renamed.txt", 0, 250));
}

TEST_F(Reassembly, ExistingOutputAnsweredNoIsLeftUntouched)
{
    WritePieces("name.bin", 300, 100, 1);
    WriteTextFile(host.fileToCreate, "old contents");
    host.setParameters("name.bin", 3, 300);
    host.answers = {NO};
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x24, "The file '" + host.fileToCreate +
                                        "' already exists.  Do you want to overwrite it?")});
    std::vector<unsigned char> old = ReadWholeFile(host.fileToCreate);
    EXPECT_EQ(std::string(old.begin(), old.end()), "old contents");
}

TEST_F(Reassembly, ExistingOutputAnsweredYesIsReplacedFromItsFirstByte)
{
    WritePieces("name.bin", 30, 10, 1);
    WriteTextFile(host.fileToCreate, std::string(5000, 'o'));
    host.setParameters("name.bin", 3, 30);
    host.answers = {YES};
    EXPECT_TRUE(ReassembleFile(host));
    EXPECT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes.back(), DONE);
    EXPECT_TRUE(HoldsPattern(host.fileToCreate, 0, 30));
}

TEST_F(Reassembly, MissingOutputFolderAnsweredNoCreatesNothing)
{
    WritePieces("name.bin", 30, 10, 1);
    host.fileToCreate = folder + "new\\deeper\\name.bin";
    host.setParameters("name.bin", 3, 30);
    host.answers = {NO};
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes,
              std::vector<std::string>{BoxText(
                  0x24, "The folder \"" + folder +
                            "new\\deeper\\\" does not exist.\nDo you want the folder to be created?")});
    EXPECT_FALSE(FileExists(folder + "new"));
}

TEST_F(Reassembly, MissingOutputFolderAnsweredYesIsMadeAndStaysWhenAPieceIsMissing)
{
    WritePieces("name.bin", 30, 10, 1);
    DeleteFileA((folder + "name.bin.3").c_str());
    host.fileToCreate = folder + "new\\deeper\\name.bin";
    host.setParameters("name.bin", 3, 30);
    host.answers = {YES};
    EXPECT_FALSE(ReassembleFile(host));
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[1], BoxText(0x40, "The file 'name.bin.3' could not be found.  This "
                                           "file is required to create 'name.bin'."));
    EXPECT_TRUE(FileExists(folder + "new\\deeper\\"));
    EXPECT_FALSE(FileExists(host.fileToCreate));
}

TEST_F(Reassembly, OutputFolderThatCannotBeMadeIsReported)
{
    WritePieces("name.bin", 30, 10, 1);
    WriteTextFile(folder + "blocker", "a file where a folder should go");
    host.fileToCreate = folder + "blocker\\sub\\name.bin";
    host.setParameters("name.bin", 3, 30);
    host.answers = {YES};
    EXPECT_FALSE(ReassembleFile(host));
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[1],
              BoxText(0x40, "Unable to create the folder\n\"" + folder + "blocker\\sub\\\""));
}

TEST_F(Reassembly, PieceSizesThatDoNotAddUpAreRefusedBeforeTheOutputIsTouched)
{
    WritePieces("name.bin", 1200, 500, 1);
    WritePatternSlice(folder + "name.bin.2", 500, 499);  // one byte short
    WriteTextFile(host.fileToCreate, "keep me");
    host.setParameters("name.bin", 3, 1200);
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes,
              std::vector<std::string>{BoxText(
                  0x40, "The pieces hold 1,199 bytes in all, but 1,200 bytes are required to "
                        "create 'name.bin'.  The file 'name.bin.2' does not have the expected "
                        "size.")});
    std::vector<unsigned char> kept = ReadWholeFile(host.fileToCreate);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep me");
}

TEST_F(Reassembly, SizeMismatchNamesTheOddPiece)
{
    struct Case {
        std::vector<int64_t> sizes;
        int64_t fileSize;
        int odd;
    };
    const Case cases[] = {
        {{100, 100, 50}, 250, 0},   // adds up: nothing odd
        {{100, 100, 60}, 250, 3},   // the last holds too much
        {{90, 100, 100, 50}, 350, 1},  // the first is short
        {{100, 100, 90, 50}, 350, 3},  // a middle one is short
        {{100, 100, 100, 50}, 5000, 0},  // a wrong size: cannot be told
        {{7}, 8, 1},
    };
    for (const Case& c : cases) {
        auto sizeOf = [](int32_t number, const void* context) {
            return (*static_cast<const std::vector<int64_t>*>(context))[(size_t)number - 1];
        };
        EXPECT_EQ(PieceOutOfLine(sizeOf, &c.sizes, (int32_t)c.sizes.size(), c.fileSize), c.odd)
            << c.sizes.size() << " pieces for " << c.fileSize;
    }
}

TEST_F(Reassembly, SizeMismatchWithoutAnOddPieceNamesOnlyTheTotals)
{
    WritePieces("name.bin", 300, 100, 1);
    host.setParameters("name.bin", 3, 5000);
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x40, "The pieces hold 300 bytes in all, but 5,000 bytes are "
                                    "required to create 'name.bin'.")});
    EXPECT_FALSE(FileExists(host.fileToCreate));
}

TEST_F(Reassembly, PercentagesFollowTheBlocks)
{
    WritePatternSlice(folder + "name.bin.1", 0, 4194304);
    WritePatternSlice(folder + "name.bin.2", 4194304, 5805696);
    host.setParameters("name.bin", 2, 10000000);
    EXPECT_TRUE(ReassembleFile(host));
    EXPECT_EQ(host.percents, (std::vector<int>{0, 41, 83, 100}));
    EXPECT_EQ(host.progressTexts, (std::vector<std::string>{"  0%", "  41%", "  83%", "  100%"}));
    EXPECT_EQ(host.pumps, 4);
    EXPECT_TRUE(HoldsPattern(host.fileToCreate, 0, 10000000));
}

TEST_F(Reassembly, PieceOf9000000BytesIsMovedInThreeBlocks)
{
    // 4,194,304 + 4,194,304 + 611,392 bytes, then the 1,000,000 bytes of piece 2.
    WritePatternSlice(folder + "name.bin.1", 0, 9000000);
    WritePatternSlice(folder + "name.bin.2", 9000000, 1000000);
    host.setParameters("name.bin", 2, 10000000);
    EXPECT_TRUE(ReassembleFile(host));
    EXPECT_EQ(host.percents, (std::vector<int>{0, 41, 83, 90, 100}));
    EXPECT_TRUE(HoldsPattern(host.fileToCreate, 0, 10000000));
}

TEST_F(Reassembly, EmptyFileWithoutPiecesIsCreatedEmpty)
{
    WriteTextFile(host.fileToCreate, "old");
    host.setParameters("name.bin", 0, 0);
    host.answers = {YES};
    EXPECT_TRUE(ReassembleFile(host));
    EXPECT_EQ(host.boxes.back(), DONE);
    EXPECT_EQ(host.progressTexts, std::vector<std::string>{"  0%"});
    EXPECT_TRUE(FileExists(host.fileToCreate));
    EXPECT_TRUE(ReadWholeFile(host.fileToCreate).empty());
}

TEST_F(Reassembly, EmptyPieceIsOpenedWithoutABlock)
{
    WriteTextFile(folder + "name.bin.1", "");
    host.setParameters("name.bin", 1, 0);
    EXPECT_TRUE(ReassembleFile(host));
    EXPECT_EQ(host.percents, std::vector<int>{0});
    EXPECT_TRUE(ReadWholeFile(host.fileToCreate).empty());
}

TEST_F(Reassembly, BareOutputNameIsAFileInTheCurrentFolder)
{
    WritePieces("name.bin", 30, 10, 1);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA((folder + "out").c_str()));
    host.fileToCreate = "bare.bin";
    host.setParameters("name.bin", 3, 30);
    bool created = ReassembleFile(host);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(created);
    EXPECT_EQ(host.boxes, std::vector<std::string>{DONE});
    EXPECT_TRUE(HoldsPattern(folder + "out\\bare.bin", 0, 30));
}

TEST_F(Reassembly, PiecesFolderWithoutFinalBackslashGetsOne)
{
    WritePieces("name.bin", 30, 10, 1);
    host.piecesFolder = folder.substr(0, folder.size() - 1);
    host.setParameters("name.bin", 3, 30);
    EXPECT_TRUE(ReassembleFile(host));
    EXPECT_TRUE(HoldsPattern(host.fileToCreate, 0, 30));
}

TEST_F(Reassembly, OutputThatCannotBeCreatedIsReported)
{
    WritePieces("name.bin", 30, 10, 1);
    host.fileToCreate = folder + "out";  // an existing folder
    host.setParameters("name.bin", 3, 30);
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x30, "An error occurred while attempting to create the output file.")});
}

TEST_F(Reassembly, BufferThatCannotBeObtainedEndsTheRunBeforeTheOutputIsTouched)
{
    WritePieces("name.bin", 30, 10, 1);
    WriteTextFile(host.fileToCreate, "keep me");
    host.setParameters("name.bin", 3, 30);
    host.answers = {YES};
    host.bufferUnavailable = true;
    EXPECT_FALSE(ReassembleFile(host));
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[1],
              BoxText(0x30, "There is not enough memory to create the output file."));
    std::vector<unsigned char> kept = ReadWholeFile(host.fileToCreate);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep me");
}

TEST_F(Reassembly, PieceThatCannotBeOpenedDuringCopyingIsReportedWithItsPath)
{
    WritePieces("name.bin", 30, 10, 1);
    host.setParameters("name.bin", 3, 30);
    HANDLE locker = INVALID_HANDLE_VALUE;
    std::string second = folder + "name.bin.2";
    host.onProgress = [&](int percent) {
        if (percent == 0)
            locker = CreateFileA(second.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    };
    EXPECT_FALSE(ReassembleFile(host));
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    CloseHandle(locker);
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x30, "An error occurred while attempting to read from the file '" +
                                        second + "'.")});
    // What was copied before the failure stays.
    EXPECT_TRUE(HoldsPattern(host.fileToCreate, 0, 10));
}

namespace {

// Python: zlib.crc32(bytes(PatternByte(i, 1) for i in range(1200))), and the
// same with byte 600 XOR 0xFF.
const char* const PATTERN_1200_CRC = "A8E5D180";
const char* const DAMAGED_1200_CRC = "F3B912ED";

// Changes one byte of the file in place; its size stays.
void FlipByte(const std::string& path, int64_t offset)
{
    std::vector<unsigned char> bytes = ReadWholeFile(path);
    bytes[(size_t)offset] ^= 0xFF;
    WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace

TEST_F(Reassembly, ContentThatDiffersFromTheChecksumIsNotASuccessAndTheOutputIsKept)
{
    WritePieces("name.bin", 1200, 500, 1);
    FlipByte(folder + "name.bin.2", 100);  // byte 600 of the file
    host.setParameters("name.bin", 3, 1200, PATTERN_1200_CRC);
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x30, "The file '" + host.fileToCreate +
                                        "' does not match the file that was split: the content "
                                        "differs.  Expected checksum A8E5D180, found F3B912ED.")});
    // Kept as written: the whole file, with the damaged byte.
    std::vector<unsigned char> expected(1200);
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = PatternByte((int64_t)i, 1);
    expected[600] ^= 0xFF;
    EXPECT_EQ(ReadWholeFile(host.fileToCreate), expected);
}

TEST_F(Reassembly, ContentThatMatchesTheChecksumIsASuccess)
{
    WritePieces("name.bin", 1200, 500, 1);
    host.setParameters("name.bin", 3, 1200, PATTERN_1200_CRC);
    EXPECT_TRUE(ReassembleFile(host));
    EXPECT_EQ(host.boxes, std::vector<std::string>{DONE});
    EXPECT_TRUE(HoldsPattern(host.fileToCreate, 0, 1200));
}

TEST_F(Reassembly, WithoutAChecksumTheContentIsNotChecked)
{
    // The placeholder of a program written without one, and a program from
    // before checksums were carried, which has no entry 106.
    WritePieces("name.bin", 1200, 500, 1);
    FlipByte(folder + "name.bin.2", 100);
    for (bool entryMissing : {false, true}) {
        ScriptedReassemblyHost run =
            HostCreating(folder + "out\\name" + std::to_string(entryMissing) + ".bin");
        run.setParameters("name.bin", 3, 1200);
        if (entryMissing) run.strings.erase(106);
        EXPECT_TRUE(ReassembleFile(run));
        EXPECT_EQ(run.boxes, std::vector<std::string>{DONE});
        EXPECT_EQ(ReadWholeFile(run.fileToCreate).size(), 1200u);
    }
}

TEST_F(Reassembly, PieceThatChangesSizeAfterTheCheckIsNotASuccess)
{
    // Changed while the overwrite question is open: grown by 5 bytes, or
    // shrunk by 1. The program carries no checksum: the sizes alone tell.
    for (int64_t change : {5, -1}) {
        SCOPED_TRACE(change);
        WritePieces("name.bin", 1200, 500, 1);
        WriteTextFile(host.fileToCreate, "old");
        ScriptedReassemblyHost run = HostCreating(host.fileToCreate);
        run.setParameters("name.bin", 3, 1200);
        run.answers = {YES};
        run.onMessageBox = [&](const std::string&) {
            WritePatternSlice(folder + "name.bin.2", 500, 500 + change);
        };
        EXPECT_FALSE(ReassembleFile(run));
        ASSERT_EQ(run.boxes.size(), 2u);
        EXPECT_EQ(run.boxes[1],
                  BoxText(0x30, "The file '" + run.fileToCreate +
                                    "' does not match the file that was split: the piece "
                                    "'name.bin.2' changed size while it was being read."));
        // Kept as it is: the first piece, and nothing of the second.
        EXPECT_EQ(run.buffersHeld, 0);
        EXPECT_TRUE(HoldsPattern(run.fileToCreate, 0, 500));
        EXPECT_EQ(ReadWholeFile(run.fileToCreate).size(), 500u);
    }
}

TEST_F(Reassembly, PiecesWithTheRightTotalButNotCutAsBySplitAreRefused)
{
    WritePieces("name.bin", 1200, 500, 1);
    WritePatternSlice(folder + "name.bin.2", 500, 499);
    WritePatternSlice(folder + "name.bin.3", 999, 201);
    host.setParameters("name.bin", 3, 1200);
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x40, "The file 'name.bin.2' does not have the expected size.  "
                                    "This file is required to create 'name.bin'.")});
    EXPECT_FALSE(FileExists(host.fileToCreate));
}
