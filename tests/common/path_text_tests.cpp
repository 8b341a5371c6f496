#include <string.h>

#include <gtest/gtest.h>

#include "path_text_string.h"
#include "piece_names.h"

TEST(PathParts, FolderFileAndBaseName)
{
    EXPECT_EQ(FolderPart(std::string("C:\\dir\\file.txt")), "C:\\dir\\");
    EXPECT_EQ(FolderPart(std::string("file.txt")), "");
    EXPECT_EQ(FolderPart(std::string("C:\\dir\\")), "C:\\dir\\");
    EXPECT_EQ(FileNamePart(std::string("C:\\dir\\file.txt")), "file.txt");
    EXPECT_EQ(FileNamePart(std::string("C:\\dir\\")), "");
    EXPECT_EQ(FileNamePart(std::string("file.txt")), "file.txt");
    EXPECT_EQ(BaseName("C:\\dir\\report.final.doc"), "report.final");
    EXPECT_EQ(BaseName("README"), "README");
    EXPECT_EQ(BaseName(".profile"), "");
    EXPECT_EQ(BaseName("C:\\dir.x\\file"), "file");
    EXPECT_EQ(BaseName("archive.tar.gz"), "archive.tar");
}

TEST(PathParts, RootOfPath)
{
    EXPECT_EQ(RootOfPath("C:\\dir\\sub\\"), "C:\\");
    EXPECT_EQ(RootOfPath("D:\\W"), "D:\\");
    EXPECT_EQ(RootOfPath("D:\\Work"), "D:\\");
    EXPECT_EQ(RootOfPath("C:"), "C:\\");
    EXPECT_EQ(RootOfPath("C:\\"), "C:\\");
    EXPECT_EQ(RootOfPath("dir"), "dir\\");
    EXPECT_EQ(RootOfPath("\\\\server\\share\\dir\\"), "\\\\server\\share\\");
    EXPECT_EQ(RootOfPath("\\\\server\\share"), "\\\\server\\share\\");
    EXPECT_EQ(RootOfPath("\\\\server"), "\\\\server\\");
    EXPECT_EQ(RootOfPathLength("C:"), 3u);
}

TEST(PathParts, IsRootFolderComparesByteForByte)
{
    EXPECT_TRUE(IsRootFolder(std::string("A:\\")));
    EXPECT_TRUE(IsRootFolder(std::string("c:\\")));
    EXPECT_FALSE(IsRootFolder(std::string("A:\\x\\")));
    EXPECT_FALSE(IsRootFolder(std::string("A:")));
    EXPECT_TRUE(IsRootFolder(std::string("\\\\server\\share\\")));
}

TEST(PathParts, DriveName)
{
    EXPECT_EQ(DriveName("a:\\pieces\\"), "A:");
    EXPECT_EQ(DriveName("c:\\x\\"), "C:");
    EXPECT_EQ(DriveName("C:"), "C:");
    EXPECT_EQ(DriveName("\\\\server\\share\\dir\\"), "\\\\server\\share");
}

TEST(Text, LowerCaseTouchesOnlyAsciiLetters)
{
    EXPECT_EQ(ToLowerCopy("ABC.Txt"), "abc.txt");
    EXPECT_EQ(ToLowerCopy("\xC4Z@["), "\xC4z@[");
}

TEST(Text, ThousandsSeparators)
{
    EXPECT_EQ(AddThousandsSeparators(std::string("1234567")), "1,234,567");
    EXPECT_EQ(AddThousandsSeparators(std::string("999")), "999");
    EXPECT_EQ(AddThousandsSeparators(std::string("1000")), "1,000");
    EXPECT_EQ(AddThousandsSeparators(std::string("100000")), "100,000");
    EXPECT_EQ(AddThousandsSeparators(std::string("")), "");
    EXPECT_EQ(FormatWithSeparators(40960), "40,960");
    EXPECT_EQ(FormatWithSeparators(2147483647), "2,147,483,647");
    EXPECT_EQ(FormatWithSeparators(0), "0");
    EXPECT_EQ(FormatWithSeparators(-1), "-1");
    EXPECT_EQ(FormatWithSeparators(INT64_MAX), "9,223,372,036,854,775,807");
    EXPECT_EQ(FormatDecimal(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(FormatDecimal(5000000000LL), "5000000000");
}

TEST(Text, TrimWhiteSpaceInPlace)
{
    char leading[] = "   \tC:\\x";
    TrimLeading(leading);
    EXPECT_STREQ(leading, "C:\\x");
    char trailing[] = "C:\\x \r\n";
    TrimTrailing(trailing);
    EXPECT_STREQ(trailing, "C:\\x");
    char blanks[] = " \t\v\f\r\n";
    TrimTrailing(blanks);
    EXPECT_STREQ(blanks, "");
    char empty[] = "";
    TrimTrailing(empty);
    TrimLeading(empty);
    EXPECT_STREQ(empty, "");
    char high[] = "\xA0x\xA0";  // bytes above 0x7F are never white space
    TrimLeading(high);
    TrimTrailing(high);
    EXPECT_STREQ(high, "\xA0x\xA0");
}

TEST(Text, CopyAndAppendNeverOverflow)
{
    char buffer[8];
    EXPECT_TRUE(CopyText(buffer, sizeof buffer, "abcdefg", 7));
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_FALSE(CopyText(buffer, sizeof buffer, "abcdefgh", 8));
    EXPECT_STREQ(buffer, "abcdefg");
    CopyText(buffer, sizeof buffer, "abc", 3);
    EXPECT_FALSE(AppendText(buffer, sizeof buffer, "defgh"));
    EXPECT_STREQ(buffer, "abcdefg");
}

TEST(PieceNames, NumbersArePaddedToTheWidthOfTheCount)
{
    char path[512];
    ASSERT_TRUE(PieceFileName(path, sizeof path, "C:\\p\\", "report.doc", 3, 3));
    EXPECT_STREQ(path, "C:\\p\\report.doc.3");
    PieceFileName(path, sizeof path, "C:\\p\\", "report.doc", 9, 9);
    EXPECT_STREQ(path, "C:\\p\\report.doc.9");
    PieceFileName(path, sizeof path, "C:\\p\\", "report.doc", 1, 10);
    EXPECT_STREQ(path, "C:\\p\\report.doc.01");
    PieceFileName(path, sizeof path, "D:\\parts\\", "backup.zip", 9, 12);
    EXPECT_STREQ(path, "D:\\parts\\backup.zip.09");
    PieceFileName(path, sizeof path, "C:\\p\\", "a", 7, 150);
    EXPECT_STREQ(path, "C:\\p\\a.007");
    PieceFileName(path, sizeof path, "C:\\p\\", "a", 1000, 1000);
    EXPECT_STREQ(path, "C:\\p\\a.1000");
    PieceFileName(path, sizeof path, "C:\\p\\", "a", 1, 999999999);
    EXPECT_STREQ(path, "C:\\p\\a.000000001");
}

TEST(PieceNames, TooLongPathIsReportedNotOverflowed)
{
    char path[16];
    memset(path, 'x', sizeof path);
    EXPECT_FALSE(PieceFileName(path, sizeof path, "C:\\folder\\", "name.txt", 1, 1));
    EXPECT_EQ(strlen(path), 15u);
    EXPECT_TRUE(PieceFileName(path, sizeof path, "C:\\f\\", "n.txt", 1, 1));
}
