#include <gtest/gtest.h>

#include <string.h>

#include "png_writer.h"

namespace {

RgbImage Gradient(int width, int height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height; ++i) {
        image.pixels.push_back((unsigned char)i);
        image.pixels.push_back((unsigned char)(i >> 8));
        image.pixels.push_back((unsigned char)(i * 7));
    }
    return image;
}

uint32_t BigEndian(const std::vector<unsigned char>& bytes, size_t at)
{
    return (uint32_t)bytes[at] << 24 | (uint32_t)bytes[at + 1] << 16 | (uint32_t)bytes[at + 2] << 8 | bytes[at + 3];
}

}  // namespace

TEST(PngWriter, ChecksumsOfKnownTexts)
{
    const unsigned char text[] = "123456789";
    EXPECT_EQ(Crc32(text, 9), 0xCBF43926u);
    const unsigned char wiki[] = "Wikipedia";
    EXPECT_EQ(Adler32(wiki, 9), 0x11E60398u);
    EXPECT_EQ(Adler32(nullptr, 0), 1u);
}

TEST(PngWriter, HeaderOfASmallImage)
{
    std::vector<unsigned char> png = EncodePng(Gradient(3, 2));
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(memcmp(png.data(), signature, 8), 0);
    EXPECT_EQ(BigEndian(png, 8), 13u);
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(BigEndian(png, 16), 3u);
    EXPECT_EQ(BigEndian(png, 20), 2u);
    EXPECT_EQ(png[24], 8);  // bits per channel
    EXPECT_EQ(png[25], 2);  // RGB
    EXPECT_EQ(BigEndian(png, 29), Crc32(&png[12], 17));
    EXPECT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
}

TEST(PngWriter, ImagesLargerThanOneStoredBlockComeBackWhole)
{
    RgbImage image = Gradient(300, 200);  // 180,200 bytes of rows: three stored blocks
    RgbImage decoded;
    ASSERT_TRUE(DecodeStoredPng(EncodePng(image), decoded));
    EXPECT_EQ(decoded.width, 300);
    EXPECT_EQ(decoded.height, 200);
    EXPECT_EQ(decoded.pixels, image.pixels);
}

TEST(PngWriter, ADamagedFileIsRefused)
{
    std::vector<unsigned char> png = EncodePng(Gradient(20, 20));
    png[png.size() / 2] ^= 0x40;
    RgbImage decoded;
    EXPECT_FALSE(DecodeStoredPng(png, decoded));
}

TEST(PngWriter, OneColourIsBlank)
{
    RgbImage image;
    image.width = 4;
    image.height = 4;
    image.pixels.assign(48, 0xC0);
    EXPECT_TRUE(IsOneColour(image));
    image.pixels[47] = 0xC1;
    EXPECT_FALSE(IsOneColour(image));
}
