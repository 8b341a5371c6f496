#include <string.h>
#include <windows.h>

#include "crc32.h"
#include "file_system.h"
#include "path_text_string.h"
#include "piece_names.h"
#include "test_files.h"

TEST(PathText, PathPartsNumbersAndTrimming)
{
    auto isRoot = [](const std::string& p) { return std::string(IsRootFolder(p) ? "y" : "n"); };
    auto withCommas = [](const std::string& n) { return FormatWithSeparators(std::stoll(n)); };
    auto trimmed = [](const std::string& text) {  // leading white space removed | trailing removed
        char leading[16], trailing[16];
        TrimLeading(strcpy(leading, text.c_str()));
        TrimTrailing(strcpy(trailing, text.c_str()));
        return std::string(leading) + "|" + trailing;
    };
    // clang-format off
    const struct { std::string (*op)(const std::string&); const char *in, *out; } cases[] = {
        {FolderPart, "C:\\dir\\file.txt", "C:\\dir\\"}, {FolderPart, "file", ""},
        {FolderPart, "C:\\dir\\", "C:\\dir\\"}, {FileNamePart, "C:\\dir\\file.txt", "file.txt"},
        {FileNamePart, "C:\\dir\\", ""}, {FileNamePart, "file.txt", "file.txt"},
        {BaseName, "C:\\dir\\report.final.doc", "report.final"}, {BaseName, "README", "README"},
        {BaseName, ".profile", ""}, {BaseName, "C:\\dir.x\\file", "file"},
        {RootOfPath, "D:\\W", "D:\\"}, {RootOfPath, "C:", "C:\\"}, {RootOfPath, "\\\\s", "\\\\s\\"},
        {RootOfPath, "\\\\s\\share\\dir\\", "\\\\s\\share\\"},
        {RootOfPath, "\\\\s\\share", "\\\\s\\share\\"}, {isRoot, "A:\\", "y"},
        {isRoot, "c:\\", "y"}, {isRoot, "A:\\x\\", "n"}, {isRoot, "A:", "n"},
        {DriveName, "a:\\pieces\\", "A:"}, {DriveName, "C:", "C:"},
        {ToLowerCopy, "ABC.Txt", "abc.txt"}, {ToLowerCopy, "\xC4Z@[", "\xC4z@["},
        {withCommas, "1234567", "1,234,567"}, {withCommas, "999", "999"},
        {withCommas, "1000", "1,000"}, {withCommas, "-1", "-1"},
        {trimmed, " \tC:\\x \r\n", "C:\\x \r\n| \tC:\\x"}, {trimmed, " \t\v\f\r\n", "|"},
        {trimmed, "", "|"}, {trimmed, "\xA0x\xA0", "\xA0x\xA0|\xA0x\xA0"}};  // 0xA0: no white space
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(c.op(c.in), c.out) << c.in;
}

TEST(PieceNames, NumbersArePaddedToTheWidthOfTheCountAndATooLongPathIsRefused)
{
    // clang-format off
    const struct { const char *folder, *name; int32_t number, count; const char* path; } cases[] = {
        {"C:\\", "a", 9, 9, "C:\\a.9"}, {"C:\\", "a", 1, 10, "C:\\a.01"},
        {"C:\\", "a", 7, 150, "C:\\a.007"}, {"C:\\", "a", 1, 999999999, "C:\\a.000000001"},
        {"C:\\abc\\", "nm.txt", 1, 1, "C:\\abc\\nm.txt.1"}};
    // clang-format on
    char path[16];  // 15 characters fit
    for (const auto& c : cases) {
        EXPECT_TRUE(PieceFileName(path, sizeof path, c.folder, c.name, c.number, c.count));
        EXPECT_STREQ(path, c.path);
    }
    EXPECT_FALSE(PieceFileName(path, sizeof path, "C:\\abcd\\", "nm.txt", 1, 1));
    EXPECT_EQ(strlen(path), 15u);  // refused, never overflowed
}

TEST(Crc32, KnownValuesAndChunksOfShiftingLengthAndAlignment)
{
    EXPECT_EQ(Crc32Update(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32Update(0, "The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
    // Python: zlib.crc32(bytes(PatternByte(i, 1) for i in range(1000003))) == 0x2986A6B8
    std::vector<unsigned char> bytes(1000003);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = PatternByte((int64_t)i, 1);
    // Chunks of 1, 4, 13, 40 ... bytes: shifting alignments, below and above the 64 bytes folded.
    uint32_t crc = 0;
    for (size_t at = 0, length = 1; at < bytes.size(); at += length, length = length * 3 + 1)
        crc = Crc32Update(crc, &bytes[at], std::min(length, bytes.size() - at));
    EXPECT_EQ(crc, 0x2986A6B8u);
}

struct FileSystem : ::testing::Test {
    const std::string folder = MakeTestFolder();
    ~FileSystem() override { RemoveTestFolder(folder); }
};

// A low half of all ones is also GetFileSize's error value: an error left over from an
// earlier call (set here after the open, which clears it) must not make such a size unknown.
TEST_F(FileSystem, FoldersFilesHeldOpenForWritingAndSizesWhateverTheLastErrorHeld)
{
    WritePatternFile(folder + "f.bin", 6);
    RawFile writer;
    ASSERT_TRUE(writer.open((folder + "held.bin").c_str(), RawFile::ForWriting));
    for (int64_t size : {0LL, 4294967295LL, 5000000000LL, 8589934591LL})
        MakeSparseFile(folder + std::to_string(size), size);
    const struct {
        std::string path;
        bool isFolder;
        int64_t size;
    } cases[] = {{folder, true, -1},
                 {folder + "f.bin", false, 6},
                 {folder + "held.bin", false, -1},
                 {folder + "x", false, -1},
                 {folder + "0", false, 0},
                 {folder + "4294967295", false, 4294967295LL},
                 {folder + "5000000000", false, 5000000000LL},
                 {folder + "8589934591", false, 8589934591LL}};
    for (const auto& c : cases) {
        EXPECT_EQ(isFolder(c.path.c_str()), c.isFolder) << c.path;
        EXPECT_EQ(canOpenForReading(c.path.c_str()), c.size >= 0) << c.path;
        EXPECT_EQ(getFileSize(c.path.c_str()), c.size) << c.path;
        RawFile file;
        if (!file.open(c.path.c_str(), RawFile::ForReading)) continue;
        SetLastError(ERROR_ACCESS_DENIED);
        EXPECT_EQ(file.size(), c.size) << c.path;
    }
}

TEST_F(FileSystem, RawFileTruncatesMovesExactCountsAndCreatesOnlyWhatIsMissing)
{
    std::string path = folder + "raw.bin";
    WritePatternFile(path, 100);
    RawFile file;
    EXPECT_FALSE(file.open(path.c_str(), RawFile::ForNewFile));
    ASSERT_TRUE(file.open(path.c_str(), RawFile::ForWriting));
    EXPECT_TRUE(file.writeExact("abcdef", 6));
    file.close();
    ASSERT_TRUE(file.open(path.c_str(), RawFile::ForReading));
    char buffer[10];
    EXPECT_TRUE(file.readExact(buffer, 4) && memcmp(buffer, "abcd", 4) == 0);
    EXPECT_FALSE(file.readExact(buffer, 10));  // only 2 bytes are left
    EXPECT_TRUE(RawFile().open((folder + "new").c_str(), RawFile::ForNewFile));
}

TEST_F(FileSystem, FolderPathsAreMadeLevelByLevelAndFreeSpaceOfAMissingDriveIsUnknown)
{
    std::string deep = folder + "a\\b\\", deeper = deep + "c\\d";  // the last without a backslash
    EXPECT_TRUE(CreateFolderPath(deep.c_str()) && isFolder(deep.c_str()));
    EXPECT_TRUE(CreateFolderPath(deeper.c_str()) && isFolder(deeper.c_str()));  // a\b\ exists
    WritePatternFile(folder + "f", 1);
    EXPECT_FALSE(CreateFolderPath((folder + "f\\g\\").c_str()));
    EXPECT_GT(getFreeSpace(folder.c_str()), 0);
    EXPECT_EQ(getFreeSpace("Q:\\"), -1);
}
