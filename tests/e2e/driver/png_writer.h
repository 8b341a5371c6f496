// PNG files without a compression library: the image data goes into stored
// (uncompressed) deflate blocks, which every PNG reader accepts.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const unsigned char* data, size_t size);

// An 8-bit RGB image, rows from the top, three bytes per pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

std::vector<unsigned char> EncodePng(const RgbImage& image);
// Reads back what EncodePng wrote (stored blocks, filter 0); false for any
// other PNG.
bool DecodeStoredPng(const std::vector<unsigned char>& png, RgbImage& image);
// True when every pixel has the colour of the first.
bool IsOneColour(const RgbImage& image);
