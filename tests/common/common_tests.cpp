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
    auto cutToFour = [](const std::string& text) {  // in UTF-8 | byte by byte
        return text.substr(0, CutLength(text.c_str(), text.size(), 4, true)) + "|" +
               text.substr(0, CutLength(text.c_str(), text.size(), 4, false));
    };
    // clang-format off
    const struct { std::string (*op)(const std::string&); const char *in, *out; } cases[] = {
        {FolderPart, "C:\\dir\\file.txt", "C:\\dir\\"}, {FolderPart, "file", ""},
        {FileNamePart, "C:\\dir\\file.txt", "file.txt"}, {BaseName, ".profile", ""},
        {BaseName, "C:\\dir\\report.final.doc", "report.final"}, {BaseName, "C:\\dir.x\\f", "f"},
        {RootOfPath, "D:\\W", "D:\\"}, {RootOfPath, "C:", "C:\\"}, {DriveName, "a:\\p\\", "A:"},
        {RootOfPath, "\\\\s\\share\\dir\\", "\\\\s\\share\\"}, {isRoot, "A:\\", "y"},
        {isRoot, "A:\\x\\", "n"}, {isRoot, "A:", "n"}, {ToLowerCopy, "AZ@[\xC4.t", "az@[\xC4.t"},
        {withCommas, "1234567", "1,234,567"}, {withCommas, "123456", "123,456"},
        {withCommas, "999", "999"}, {trimmed, " \t\v\f\r\n", "|"},  // 0xA0 below: no white space
        {trimmed, " \tx \r\n", "x \r\n| \tx"}, {trimmed, "\xA0x\xA0", "\xA0x\xA0|\xA0x\xA0"},
        {cutToFour, "ab\u20AC", "ab|ab\xE2\x82"}, {cutToFour, "abc\u00E9", "abc|abc\xC3"},
        {cutToFour, "\U0001F600x", "\U0001F600|\U0001F600"}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(c.op(c.in), c.out) << c.in;
}

TEST(PieceNames, NumbersArePaddedToTheWidthOfTheCountAndATooLongPathIsRefused)
{
    char path[16];  // 15 characters fit
    auto name = [&](const char* folder, const char* file, int32_t number, int32_t count) {
        return PieceFileName(path, sizeof path, folder, file, number, count) ? path : "refused";
    };
    EXPECT_STREQ(name("C:\\", "a", 1, 999999999), "C:\\a.000000001");
    EXPECT_STREQ(name("C:\\ab\\", "nm.txt", 1, 10), "C:\\ab\\nm.txt.01");
    EXPECT_STREQ(name("C:\\abc\\", "nm.txt", 1, 10), "refused");
    EXPECT_EQ(strlen(path), 15u);  // never overflowed
}

TEST(Crc32, KnownValuesAndChunksOfShiftingLengthAndAlignment)
{
    EXPECT_EQ(Crc32Update(0, "123456789", 9), 0xCBF43926u);
    // Python: zlib.crc32 of PatternBytes(0, 1000003) == 0x2986A6B8
    const std::string bytes = PatternBytes(0, 1000003);
    // Chunks of 1, 4, 13, 40 ... bytes: shifting alignments, below and above the blocks folded,
    // by each method this processor offers.
    for (int method = CRC32_TABLES; method <= Crc32FastestMethod(); ++method) {
        uint32_t crc = 0;
        for (size_t at = 0, length = 1; at < bytes.size(); at += length, length = length * 3 + 1)
            crc = Crc32UpdateBy(Crc32Method(method), crc, &bytes[at],
                                std::min(length, bytes.size() - at));
        EXPECT_EQ(crc, 0x2986A6B8u) << "method " << method;
    }
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
    MakeSparseFile(folder + "low", 4294967295LL);
    MakeSparseFile(folder + "high", 8589934591LL);
    // clang-format off
    const struct { std::string name; bool isFolder; int64_t size; } cases[] = {
        {"", true, -1}, {"f.bin", false, 6}, {"held.bin", false, -1}, {"x", false, -1},
        {"low", false, 4294967295LL}, {"high", false, 8589934591LL}};
    // clang-format on
    for (const auto& c : cases) {
        std::string path = folder + c.name;
        EXPECT_EQ(isFolder(path.c_str()), c.isFolder) << path;
        EXPECT_EQ(canOpenForReading(path.c_str()), c.size >= 0) << path;
        EXPECT_EQ(getFileSize(path.c_str()), c.size) << path;
        RawFile file;
        if (!file.open(path.c_str(), RawFile::ForReading)) continue;
        SetLastError(ERROR_ACCESS_DENIED);
        EXPECT_EQ(file.size(), c.size) << path;
    }
    // Nothing above kept f.bin open.
    EXPECT_TRUE(RawFile().open((folder + "f.bin").c_str(), RawFile::ForWriting));
}
