#include <windows.h>

#include "file_system.h"
#include "job_flags.h"
#include "piece_names.h"
#include "split_fixture.h"
#include "split_job.h"
#include "test_files.h"

namespace {

std::string PiecePath(const std::string& folder, const std::string& name, int number, int count)
{
    char path[512];
    PieceFileName(path, sizeof path, folder.c_str(), name.c_str(), number, count);
    return path;
}

}  // namespace

class PieceSizes : public SplitRun {
protected:
    // Splits a file of `size` bytes into pieces of `pieceSize` and checks
    // every piece byte for byte against its slice of the file.
    void SplitAndCheck(int64_t size, int64_t pieceSize, int expectedPieces)
    {
        std::string source = MakeSource("data.bin", size);
        std::string out = folder + "out\\";
        CreateDirectoryA(out.c_str(), NULL);
        Split(source, out, pieceSize);
        ASSERT_EQ(fakeCombinerWriter.calls.size(), 1u);
        EXPECT_EQ(fakeCombinerWriter.calls[0].pieceCount, expectedPieces);
        EXPECT_EQ(fakeCombinerWriter.calls[0].fileSize, size);
        EXPECT_EQ(fakeCombinerWriter.calls[0].piecesFolder, out);
        EXPECT_EQ(fakeCombinerWriter.calls[0].sourcePath, source);
        for (int n = 1; n <= expectedPieces; ++n) {
            int64_t offset = (n - 1) * pieceSize;
            int64_t length = std::min(pieceSize, size - offset);
            EXPECT_TRUE(HoldsPattern(PiecePath(out, "data.bin", n, expectedPieces), offset, length))
                << "piece " << n;
        }
        EXPECT_FALSE(FileExists(PiecePath(out, "data.bin", expectedPieces + 1, expectedPieces)));
        ExpectEndedWithReport("'data.bin' was split successfully.\n\nBrindle has produced a "
                              "program named 'Create_data.exe' that will recreate the file.");
    }
};

TEST_F(PieceSizes, ExactlyOnePiece) { SplitAndCheck(1000, 1000, 1); }
TEST_F(PieceSizes, OneByteOverGivesAOneBytePiece) { SplitAndCheck(1001, 1000, 2); }
TEST_F(PieceSizes, MultipleOfThePieceSize) { SplitAndCheck(3000, 1000, 3); }
TEST_F(PieceSizes, LastPieceHoldsTheRest) { SplitAndCheck(10, 3, 4); }
TEST_F(PieceSizes, PiecesLargerThanTheCopyBuffer) { SplitAndCheck(9000000, 5000000, 2); }
TEST_F(PieceSizes, Floppy) { SplitAndCheck(FLOPPY_PIECE_SIZE * 2 + 5, FLOPPY_PIECE_SIZE, 3); }

TEST_F(PieceSizes, EmptyFileWritesNoPieceAndStillReachesTheWriter)
{
    std::string source = MakeSource("empty.txt", 0);
    Split(source, folder, 1000);
    ASSERT_EQ(fakeCombinerWriter.calls.size(), 1u);
    EXPECT_EQ(fakeCombinerWriter.calls[0].pieceCount, 0);
    EXPECT_EQ(fakeCombinerWriter.calls[0].fileSize, 0);
    EXPECT_EQ(fakeCombinerWriter.calls[0].checksum, std::optional<uint32_t>(0u));
    EXPECT_FALSE(FileExists(folder + "empty.txt.0"));
    EXPECT_FALSE(FileExists(folder + "empty.txt.1"));
    EXPECT_TRUE(host.progress == std::vector<int>({0}));  // only the reset at the end
    EXPECT_EQ(host.log[1], "status:   0%");
    ExpectEndedWithReport("'empty.txt' was split successfully.\n\nBrindle has produced a program "
                          "named 'Create_empty.exe' that will recreate the file.");
}

TEST_F(PieceSizes, ProgressCountsTheWholeFileInChunksOfFourMebibytes)
{
    // Pieces of 5,000,000 bytes: chunks of 4,194,304 and 805,696 bytes each.
    std::string source = MakeSource("big.bin", 10000000);
    Split(source, folder, 5000000);
    EXPECT_EQ(host.progress, (std::vector<int>{41, 50, 91, 100, 0}));
    std::vector<std::string> expectedStart = {"controls: splitting", "status:   0%",
                                              "progress: 41", "status:   41%",
                                              "progress: 50", "status:   50%"};
    EXPECT_EQ(std::vector<std::string>(host.log.begin(), host.log.begin() + 6), expectedStart);
}

class Padding : public SplitRun, public ::testing::WithParamInterface<int> {};

TEST_P(Padding, NumbersHaveTheWidthOfTheCount)
{
    int count = GetParam();
    std::string source = MakeSource("p.dat", count);
    Split(source, folder, 1);
    ASSERT_EQ(fakeCombinerWriter.calls.size(), 1u);
    int width = DecimalWidth(count);
    for (int n = 1; n <= count; ++n) {
        std::string number = std::to_string(n);
        number.insert(0, width - number.size(), '0');
        std::string piece = folder + "p.dat." + number;
        ASSERT_TRUE(HoldsPattern(piece, n - 1, 1)) << piece;
    }
    if (width > 1) {
        EXPECT_FALSE(FileExists(folder + "p.dat.1"));
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, Padding, ::testing::Values(9, 10, 12, 100, 150));

class Refusals : public SplitRun {};

TEST_F(Refusals, BothFieldsEmptyShowsOnlyTheFileMessage)
{
    Split("", "", 1000);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Info("You must specify a file to split.")});
    ExpectEndedWithoutReport();
    EXPECT_TRUE(fakeCombinerWriter.calls.empty());
    // Refused before the dialog left its idle state.
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "controls: splitting"), 0);
}

TEST_F(Refusals, FileThatCannotBeOpened)
{
    std::string missing = folder + "missing.bin";
    Split(missing, folder, 1000);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Info(
                           "Unable to open the file \"" + missing +
                           "\".\nThe file is in use or it does not exist.")});
    ExpectEndedWithoutReport();
}

TEST_F(Refusals, FolderFieldEmpty)
{
    Split(MakeSource("a.bin", 10), "", 1000);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Info("You must specify a folder for the pieces.")});
}

TEST_F(Refusals, PieceSizeNotAboveZero)
{
    std::string source = MakeSource("a.bin", 10);
    for (int64_t size : {int64_t(0), int64_t(-3072), INT64_MIN}) {
        host.boxes.clear();
        Split(source, folder, size);
        EXPECT_EQ(Boxes(), std::vector<std::string>{
                               Info("The size of the pieces must be greater than 0.")});
    }
    EXPECT_FALSE(FileExists(folder + "a.bin.1"));
}

TEST_F(Refusals, MoreThanTheLargestPieceCount)
{
    // A sparse file of 1,000,000,000 bytes in pieces of one byte.
    std::string source = folder + "huge.bin";
    MakeSparseFile(source, 1000000000);
    Split(source, folder, 1);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Info(
                           "Brindle will only create a maximum of 999,999,999 pieces.\nPlease "
                           "increase the size of the pieces to reduce the total number of pieces.")});
    EXPECT_FALSE(FileExists(folder + "huge.bin.0000000001"));
    ExpectEndedWithoutReport();
}

TEST_F(Refusals, TheLargestPieceCountIsAccepted)
{
    std::string source = folder + "huge.bin";
    MakeSparseFile(source, 999999999);
    // Cancel before the first piece: the count passed, nothing is written.
    host.onEvent = [](const std::string& line) {
        if (line == "status:   0%") cancelRequested = true;
    };
    Split(source, folder, 1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(FileExists(folder + "huge.bin.000000001"));
    EXPECT_TRUE(fakeCombinerWriter.calls.empty());
    ExpectEndedWithoutReport();
}

TEST_F(Refusals, SourceThatCannotBeOpenedForCopying)
{
    // Passes the first test, then is locked by a writer before the copy opens it.
    std::string source = MakeSource("locked.bin", 10);
    HANDLE writer = INVALID_HANDLE_VALUE;
    host.onEvent = [&](const std::string& line) {
        if (line == "controls: splitting")
            writer = CreateFileA(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 NULL, OPEN_EXISTING, 0, NULL);
    };
    Split(source, folder, 4);
    CloseHandle(writer);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Info(
                           "The file \"" + source + "\"\nis either in use or does not exist.")});
    ExpectEndedWithoutReport();
}

class Folders : public SplitRun {};

TEST_F(Folders, MissingFolderIsCreatedOnYes)
{
    std::string source = MakeSource("a.bin", 10);
    std::string out = folder + "new\\deeper";
    host.boxAnswers = {box::ANSWER_YES};
    Split(source, out, 5);
    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Boxes()[0], Question("The folder \"" + out +
                                   "\\\" does not exist.\nDo you want the folder to be created?"));
    EXPECT_TRUE(HoldsPattern(out + "\\a.bin.1", 0, 5));
    EXPECT_TRUE(HoldsPattern(out + "\\a.bin.2", 5, 5));
}

TEST_F(Folders, MissingFolderAnsweredNoCreatesNothing)
{
    std::string source = MakeSource("a.bin", 10);
    host.boxAnswers = {box::ANSWER_NO};
    Split(source, folder + "new\\", 5);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_FALSE(isFolder((folder + "new\\").c_str()));
    EXPECT_TRUE(fakeCombinerWriter.calls.empty());
    ExpectEndedWithoutReport();
}

TEST_F(Folders, FolderThatCannotBeCreated)
{
    std::string source = MakeSource("a.bin", 10);
    WritePatternFile(folder + "blocker", 1);  // a file where a folder level should go
    std::string out = folder + "blocker\\sub\\";
    host.boxAnswers = {box::ANSWER_YES};
    Split(source, out, 5);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           Question("The folder \"" + out +
                                    "\" does not exist.\nDo you want the folder to be created?"),
                           Info("Unable to create the folder\n\"" + out + "\"")}));
    ExpectEndedWithoutReport();
}

TEST_F(Folders, FieldIsTrimmedAndMadeAbsoluteOnTheCurrentDrive)
{
    std::string source = MakeSource("a.bin", 10);
    SetCurrentDirectoryA(folder.c_str());  // C:\...; a relative folder goes under C:\ .
    host.boxAnswers = {box::ANSWER_NO};
    Split(source, " \t brindle_relative_folder_test \r\n", 5);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Question(
                           "The folder \"C:\\brindle_relative_folder_test\\\" does not exist.\nDo "
                           "you want the folder to be created?")});
}

TEST_F(Folders, DriveLetterAloneIsAbsolute)
{
    std::string source = MakeSource("a.bin", 10);
    host.boxAnswers = {box::ANSWER_NO};
    Split(source, "Q:", 5);  // no such drive: the folder question names Q:\ .
    EXPECT_EQ(Boxes(), std::vector<std::string>{Question(
                           "The folder \"Q:\\\" does not exist.\nDo you want the folder to be "
                           "created?")});
}

TEST_F(Folders, BlanksAloneBecomeTheRootOfTheCurrentDrive)
{
    std::string source = MakeSource("a.bin", 10);
    SetCurrentDirectoryA(folder.c_str());
    host.onEvent = [](const std::string& line) {
        if (line == "status:   0%") cancelRequested = true;  // stop before any piece
    };
    Split(source, "   ", 5);
    EXPECT_TRUE(Boxes().empty());  // C:\ exists: no question
    EXPECT_FALSE(FileExists("C:\\a.bin.1"));
}

TEST_F(Folders, TooLongFolderFailsWithTheOrdinaryMessage)
{
    std::string source = MakeSource("a.bin", 10);
    // 505 characters, and a field longer than 511 that is cut to its first
    // 511: with the final backslash the second is beyond any path buffer.
    for (size_t length : {size_t(505), size_t(600)}) {
        std::string typed = "C:\\" + std::string(length - 3, 'x');
        std::string prepared = typed.substr(0, 511) + "\\";
        host.boxes.clear();
        host.boxAnswers = {box::ANSWER_YES};
        Split(source, typed, 5);
        EXPECT_EQ(Boxes(), (std::vector<std::string>{
                               Question("The folder \"" + prepared +
                                        "\" does not exist.\nDo you want the folder to be created?"),
                               Info("Unable to create the folder\n\"" + prepared + "\"")}));
    }
    EXPECT_TRUE(fakeCombinerWriter.calls.empty());
}

class Failures : public SplitRun {};

TEST_F(Failures, FileThatShrankGivesTheReadingError)
{
    std::string source = MakeSource("shrinks.bin", 3000);
    // Measured, then cut short before the copy opens it.
    host.onEvent = [&](const std::string& line) {
        if (line == "controls: splitting") {
            HANDLE file = CreateFileA(source.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                                      NULL);
            LARGE_INTEGER end;
            end.QuadPart = 1500;
            SetFilePointerEx(file, end, NULL, FILE_BEGIN);
            SetEndOfFile(file);
            CloseHandle(file);
        }
    };
    Split(source, folder, 1000);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Info(
                           "An error occurred while reading from the file\n\"" + source + "\"")});
    EXPECT_TRUE(HoldsPattern(folder + "shrinks.bin.1", 0, 1000));
    EXPECT_TRUE(FileExists(folder + "shrinks.bin.2"));  // kept, never deleted
    EXPECT_FALSE(FileExists(folder + "shrinks.bin.3"));
    EXPECT_TRUE(fakeCombinerWriter.calls.empty());
    ExpectEndedWithoutReport();
}

TEST_F(Failures, NotEnoughSpaceOnAFixedDrive)
{
    // A sparse source larger than the free space of the drive.
    int64_t free = getFreeSpace(folder.c_str());
    ASSERT_GT(free, 0);
    std::string source = folder + "sparse.bin";
    // Far beyond what other work on the same disk could free meanwhile.
    const int64_t size = free + 64LL * 1073741824;
    MakeSparseFile(source, size);
    Split(source, "c:" + folder.substr(2), size);
    EXPECT_EQ(Boxes(), std::vector<std::string>{Info(
                           "There is not enough free space on drive C: to complete the operation.")});
    EXPECT_FALSE(FileExists(folder + "sparse.bin.1"));
    ExpectEndedWithoutReport();
}

TEST_F(Failures, WriterThatCannotFindItsTemplateEndsWithoutReport)
{
    fakeCombinerWriter.result = CombinerWriteResult::TemplateUnavailable;
    Split(MakeSource("a.bin", 10), folder, 5);
    EXPECT_EQ(fakeCombinerWriter.calls.size(), 1u);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(HoldsPattern(folder + "a.bin.2", 5, 5));
    ExpectEndedWithoutReport();
}

TEST_F(Failures, WriterThatStopsTheJobEndsItOnce)
{
    fakeCombinerWriter.result = CombinerWriteResult::JobStopped;
    Split(MakeSource("a.bin", 10), folder, 5);
    ExpectEndedWithoutReport();
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "arrow"), 1);
}

TEST(EndOfJob, ReportNamesTheFileAndTheProgram)
{
    EXPECT_EQ(CombinerProgramName("C:\\docs\\report.doc"), "Create_report.exe");
    EXPECT_EQ(CombinerProgramName("archive.tar.gz"), "Create_archive.tar.exe");
    EXPECT_EQ(CombinerProgramName("C:\\data"), "Create_data.exe");
    EXPECT_EQ(CombinerProgramName(".profile"), "Create_.exe");

    ScriptedSplitHost host;
    splitInProgress = true;
    cancelRequested = true;
    endSplitJob(host, true, "C:\\docs\\report.doc");
    EXPECT_EQ(host.boxes, std::vector<std::string>{Info(
                              "'report.doc' was split successfully.\n\nBrindle has produced a "
                              "program named 'Create_report.exe' that will recreate the file.")});
    EXPECT_FALSE(splitInProgress);
    EXPECT_FALSE(cancelRequested);
}
