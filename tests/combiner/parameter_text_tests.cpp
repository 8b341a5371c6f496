#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "parameter_text.h"
#include "scripted_reassembly_host.h"

TEST(ParameterText, NameEndsAtItsTerminator)
{
    ScriptedReassemblyHost host;
    host.setParameters("report.pdf", 1, 1);
    char name[FILE_NAME_CAPACITY];
    LoadFileName(host, name);
    EXPECT_STREQ(name, "report.pdf");
}

TEST(ParameterText, TextWithoutTerminatorIsTakenWholeUpTo511Characters)
{
    ScriptedReassemblyHost host;
    host.strings[103] = std::string(600, 'n');
    char name[FILE_NAME_CAPACITY];
    LoadFileName(host, name);
    EXPECT_EQ(std::string(name), std::string(511, 'n'));
}

TEST(ParameterText, NameOf511BytesArrivesWholeWithoutItsTerminator)
{
    // The terminator sits in the slot's last unit, which the loader leaves out.
    ScriptedReassemblyHost host;
    std::string longName(507, 'x');
    longName += ".bin";
    host.setParameters(longName, 1, 1);
    ASSERT_EQ(host.strings[103].size(), 512u);
    char name[FILE_NAME_CAPACITY];
    LoadFileName(host, name);
    EXPECT_EQ(std::string(name), longName);
}

TEST(ParameterText, CountAndSizeAreReadAsDecimals)
{
    ScriptedReassemblyHost host;
    host.setParameters("a", 12, 1457664);
    EXPECT_EQ(host.strings[104], "12*7483647");
    EXPECT_EQ(LoadPieceCount(host), 12);
    EXPECT_EQ(LoadFileSize(host), 1457664);
}

TEST(ParameterText, SizeOfNineteenDigitsWithTerminatorInTwentiethPlaceReadsWhole)
{
    ScriptedReassemblyHost host;
    host.setParameters("a", 1, 1000000000000000000LL);
    EXPECT_EQ(host.strings[105], "1000000000000000000*");
    EXPECT_EQ(LoadFileSize(host), 1000000000000000000LL);
}

TEST(ParameterText, UnpatchedPlaceholdersReadAsTheirDigits)
{
    ScriptedReassemblyHost host;
    host.strings[104] = "2147483647";
    host.strings[105] = "12345678901234567890";
    EXPECT_EQ(LoadPieceCount(host), 2147483647);
    // 20 characters fit the buffer of 21; the value wraps without a check.
    EXPECT_EQ(LoadFileSize(host), (int64_t)12345678901234567890ULL);
}

TEST(ParameterText, DecimalConversionRules)
{
    EXPECT_EQ(ParseDecimal32("x12"), 0);
    EXPECT_EQ(ParseDecimal32(""), 0);
    EXPECT_EQ(ParseDecimal32("  \t+42abc"), 42);
    EXPECT_EQ(ParseDecimal32("-7"), -7);
    EXPECT_EQ(ParseDecimal64(" 9223372036854775807"), INT64_MAX);
    EXPECT_EQ(ParseDecimal64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ParseDecimal64("5000000000*"), 5000000000LL);
}

TEST(ParameterText, CutAtFirstAsterisk)
{
    char text[] = "ab*cd*ef";
    CutAtTerminator(text);
    EXPECT_STREQ(text, "ab");
    char none[] = "plain";
    CutAtTerminator(none);
    EXPECT_STREQ(none, "plain");
}

TEST(ParameterText, NameIsCutSoThatFolderAndNameFit511Characters)
{
    char name[] = "twenty_characters.ab";
    ASSERT_EQ(strlen(name), 20u);
    FitNameAfterFolder(name, 500);
    EXPECT_STREQ(name, "twenty_char");

    char fits[] = "twenty_characters.ab";
    FitNameAfterFolder(fits, 491);
    EXPECT_STREQ(fits, "twenty_characters.ab");
}

TEST(ParameterText, ChecksumIsEightUpperCaseHexadecimalDigitsBeforeTheTerminator)
{
    ScriptedReassemblyHost host;
    uint32_t checksum = 0;
    host.strings[106] = "0A1B2C3D*";
    ASSERT_TRUE(LoadChecksum(host, checksum));
    EXPECT_EQ(checksum, 0x0A1B2C3Du);
    // The placeholder, a missing entry and anything else: no checksum.
    for (const char* text : {"XXXXXXXXX", "", "0a1b2c3d*", "0A1B2C3*X", "0A1B2C3D0", "0A1B 2C3D"}) {
        host.strings[106] = text;
        EXPECT_FALSE(LoadChecksum(host, checksum)) << text;
    }
}
