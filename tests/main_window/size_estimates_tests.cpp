#include <gtest/gtest.h>

#include "size_estimates.h"

TEST(SizeEstimates, PieceSizeFileSizeTextAndNumberOfPieces)
{
    // Units: -1 none, 0 Bytes ... 3 GB. Beyond the 64-bit range (2^63 bytes): the lowest value.
    // clang-format off
    const struct { const char* number; int unit; int64_t bytes; } sizes[] = {
        {"1.5", 2, 1572864}, {"2.7", 0, 2}, {"0.001", 1, 1}, {"1e3", 0, 1000}, {"-3", 1, -3072},
        {"12abc", 1, 12288}, {"3", -1, 3}, {"-2.9", 0, -2}, {" \t42", 0, 42}, {"+7", 0, 7},
        {".5", 1, 512}, {"2.5E-1", 2, 262144}, {"3e+x", 0, 3}, {"1,5", 1, 1024}, {"1.2.3", 1, 1228},
        {"letters", 1, 0}, {"", 3, 0}, {"e5", 0, 0}, {"inf", 0, 0}, {"nan", 0, 0},
        {"1e300", 3, INT64_MIN}, {"1e99999999", 0, INT64_MIN}, {"8589934592", 3, INT64_MIN},
        {"8589934591", 3, 9223372035781033984}};
    // clang-format on
    for (const auto& s : sizes) EXPECT_EQ(PieceSizeFor(1, s.number, s.unit), s.bytes) << s.number;
    EXPECT_EQ(PieceSizeFor(0, "5", 2), 1457664);
    // clang-format off
    const std::pair<int64_t, const char*> texts[] = {
        {0, "0 bytes"}, {1024, "1,024 bytes"}, {1025, "1.0 KB (1,025 bytes)"},
        {1280, "1.3 KB (1,280 bytes)"}, {1048575, "1024.0 KB (1,048,575 bytes)"},
        {1048576, "1024.0 KB (1,048,576 bytes)"}, {1457664, "1.4 MB (1,457,664 bytes)"},
        {1073741824, "1024.0 MB (1,073,741,824 bytes)"},
        {1879048192, "1.8 GB (1,879,048,192 bytes)"}, {5000000000, "4.7 GB (5,000,000,000 bytes)"}};
    // clang-format on
    for (const auto& t : texts) EXPECT_EQ(FormatFileSize(t.first), t.second);
    // Empty for an unknown file size, an unusable piece size or more pieces than a split makes.
    // clang-format off
    const struct { int64_t file, piece; const char* line; } counts[] = {
        {1457664, 1457664, "1"}, {1457665, 1457664, "2"}, {0, 1457664, "0"},
        {1048576, 1024, "1,024"}, {-1, 1457664, ""}, {100, 0, ""}, {100, -1024, ""},
        {999999999, 1, "999,999,999"}, {1000000000, 1, ""}, {3000000000LL, 4, "750,000,000"}};
    // clang-format on
    for (const auto& c : counts) EXPECT_EQ(PieceCountText(c.file, c.piece), c.line) << c.file;
}
