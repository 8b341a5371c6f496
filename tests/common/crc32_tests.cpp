#include <string.h>

#include <vector>

#include <gtest/gtest.h>

#include "crc32.h"
#include "test_files.h"

namespace {

std::vector<unsigned char> Pattern(size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = PatternByte((int64_t)i, 1);
    return bytes;
}

}  // namespace

TEST(Crc32, KnownCheckValues)
{
    EXPECT_EQ(Crc32Update(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32Update(0, "", 0), 0u);
    // Python: zlib.crc32(bytes(PatternByte(i, 1) for i in range(1000003)))
    std::vector<unsigned char> bytes = Pattern(1000003);
    EXPECT_EQ(Crc32Update(0, bytes.data(), bytes.size()), 0x2986A6B8u);
    EXPECT_EQ(Crc32UpdatePortable(0, bytes.data(), bytes.size()), 0x2986A6B8u);
}

TEST(Crc32, ChunksOfAnyLengthAndAlignmentGiveTheCrcOfTheWhole)
{
    std::vector<unsigned char> bytes = Pattern(1000003);
    uint32_t crc = 0;
    size_t at = 0;
    for (size_t length = 1; at < bytes.size(); length = length * 3 + 1) {
        size_t chunk = length < bytes.size() - at ? length : bytes.size() - at;
        crc = Crc32Update(crc, bytes.data() + at, chunk);
        at += chunk;
    }
    EXPECT_EQ(crc, 0x2986A6B8u);
    // Every short length from every alignment: the carry-less path and the
    // tables agree.
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t length = 0; length <= 300; ++length) {
            ASSERT_EQ(Crc32Update(0x12345678u, bytes.data() + offset, length),
                      Crc32UpdatePortable(0x12345678u, bytes.data() + offset, length))
                << offset << " " << length;
        }
    }
}
