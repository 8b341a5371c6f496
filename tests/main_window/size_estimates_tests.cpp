#include <stdint.h>

#include <gtest/gtest.h>

#include "size_estimates.h"

TEST(ReadDecimalNumber, ReadsTheLeadingNumberWithADotAsDecimalPoint)
{
    EXPECT_EQ(ReadDecimalNumber("1.5"), 1.5);
    EXPECT_EQ(ReadDecimalNumber("  \t 42"), 42.0);
    EXPECT_EQ(ReadDecimalNumber("+7"), 7.0);
    EXPECT_EQ(ReadDecimalNumber("-3"), -3.0);
    EXPECT_EQ(ReadDecimalNumber(".5"), 0.5);
    EXPECT_EQ(ReadDecimalNumber("5."), 5.0);
    EXPECT_EQ(ReadDecimalNumber("1e3"), 1000.0);
    EXPECT_EQ(ReadDecimalNumber("2.5E-1"), 0.25);
    EXPECT_EQ(ReadDecimalNumber("12abc"), 12.0);
    EXPECT_EQ(ReadDecimalNumber("0.001"), 0.001);
}

TEST(ReadDecimalNumber, StopsAtTheFirstCharacterThatDoesNotFit)
{
    EXPECT_EQ(ReadDecimalNumber("3e"), 3.0);     // an exponent needs digits
    EXPECT_EQ(ReadDecimalNumber("3e+x"), 3.0);
    EXPECT_EQ(ReadDecimalNumber("1,5"), 1.0);    // a comma is never a decimal point
    EXPECT_EQ(ReadDecimalNumber("4 5"), 4.0);
    EXPECT_EQ(ReadDecimalNumber("1.2.3"), 1.2);
}

TEST(ReadDecimalNumber, TextWithoutDigitsIsZero)
{
    EXPECT_EQ(ReadDecimalNumber(""), 0.0);
    EXPECT_EQ(ReadDecimalNumber("abc"), 0.0);
    EXPECT_EQ(ReadDecimalNumber("-"), 0.0);
    EXPECT_EQ(ReadDecimalNumber("."), 0.0);
    EXPECT_EQ(ReadDecimalNumber("e5"), 0.0);
    EXPECT_EQ(ReadDecimalNumber("inf"), 0.0);
    EXPECT_EQ(ReadDecimalNumber("nan"), 0.0);
}

TEST(CustomPieceSize, NumberTimesTheUnit)
{
    EXPECT_EQ(CustomPieceSize("1.5", 2), 1572864);
    EXPECT_EQ(CustomPieceSize("2.7", 0), 2);
    EXPECT_EQ(CustomPieceSize("0.001", 1), 1);
    EXPECT_EQ(CustomPieceSize("1e3", 0), 1000);
    EXPECT_EQ(CustomPieceSize("-3", 1), -3072);
    EXPECT_EQ(CustomPieceSize("letters", 1), 0);
    EXPECT_EQ(CustomPieceSize("", 3), 0);
    EXPECT_EQ(CustomPieceSize("12abc", 1), 12288);
    EXPECT_EQ(CustomPieceSize("2", 3), 2147483648LL);
    EXPECT_EQ(CustomPieceSize("3", -1), 3);  // no unit chosen multiplies by nothing
    EXPECT_EQ(CustomPieceSize("-2.9", 0), -2);  // truncated toward zero
}

TEST(CustomPieceSize, OutOfRangeGivesTheLowestValue)
{
    EXPECT_EQ(CustomPieceSize("9223372036854775808", 0), INT64_MIN);
    EXPECT_EQ(CustomPieceSize("1e300", 3), INT64_MIN);
    EXPECT_EQ(CustomPieceSize("1e99999999", 0), INT64_MIN);
    EXPECT_EQ(CustomPieceSize("8589934592", 3), INT64_MIN);  // 2^33 GB = 2^63 bytes
    EXPECT_EQ(CustomPieceSize("8589934591", 3), 9223372035781033984LL);
}

TEST(PieceSizeFor, TheFloppyOrTheCustomSize)
{
    EXPECT_EQ(PieceSizeFor(0, "5", 2), 1457664);
    EXPECT_EQ(PieceSizeFor(1, "5", 2), 5242880);
    EXPECT_EQ(PieceSizeFor(1, "", -1), 0);
}

TEST(FormatFileSize, EveryExample)
{
    EXPECT_EQ(FormatFileSize(0), "0 bytes");
    EXPECT_EQ(FormatFileSize(1024), "1,024 bytes");
    EXPECT_EQ(FormatFileSize(1025), "1.0 KB (1,025 bytes)");
    EXPECT_EQ(FormatFileSize(1280), "1.3 KB (1,280 bytes)");
    EXPECT_EQ(FormatFileSize(1048576), "1024.0 KB (1,048,576 bytes)");
    EXPECT_EQ(FormatFileSize(1457664), "1.4 MB (1,457,664 bytes)");
    EXPECT_EQ(FormatFileSize(1073741824), "1024.0 MB (1,073,741,824 bytes)");
    EXPECT_EQ(FormatFileSize(5000000000LL), "4.7 GB (5,000,000,000 bytes)");
}

TEST(FormatFileSize, HalvesRoundUpAndTenthsCarry)
{
    EXPECT_EQ(FormatFileSize(1310720), "1.3 MB (1,310,720 bytes)");
    EXPECT_EQ(FormatFileSize(1879048192), "1.8 GB (1,879,048,192 bytes)");
    // 1023.999 KB shows as 1024.0 KB
    EXPECT_EQ(FormatFileSize(1048575), "1024.0 KB (1,048,575 bytes)");
    EXPECT_EQ(FormatFileSize(999), "999 bytes");
}

TEST(PieceCountText, CountWithSeparatorsOrNothing)
{
    EXPECT_EQ(PieceCountText(1457664, 1457664), "1");
    EXPECT_EQ(PieceCountText(1457665, 1457664), "2");
    EXPECT_EQ(PieceCountText(0, 1457664), "0");
    EXPECT_EQ(PieceCountText(1048576, 1024), "1,024");
    EXPECT_EQ(PieceCountText(-1, 1457664), "");
    EXPECT_EQ(PieceCountText(100, 0), "");
    EXPECT_EQ(PieceCountText(100, -1024), "");
    EXPECT_EQ(PieceCountText(100, INT64_MIN), "");
}

TEST(PieceCountText, NothingAboveTheLargestPieceCount)
{
    EXPECT_EQ(PieceCountText(999999999, 1), "999,999,999");
    EXPECT_EQ(PieceCountText(1000000000, 1), "");
    EXPECT_EQ(PieceCountText(3000000000LL, 2), "");
    EXPECT_EQ(PieceCountText(3000000000LL, 4), "750,000,000");
    EXPECT_EQ(PieceCountText(1999999997, 2), "999,999,999");
}
