#include "png_writer.h"

#include <string.h>

namespace {

const unsigned char PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// A stored deflate block holds at most 65,535 bytes.
const size_t STORED_BLOCK_MAX = 65535;

void PutBigEndian32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((unsigned char)(value >> shift));
}

uint32_t GetBigEndian32(const unsigned char* in)
{
    return (uint32_t)in[0] << 24 | (uint32_t)in[1] << 16 | (uint32_t)in[2] << 8 | in[3];
}

void PutChunk(std::vector<unsigned char>& out, const char type[4], const std::vector<unsigned char>& data)
{
    PutBigEndian32(out, (uint32_t)data.size());
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    // The CRC covers the chunk type and its data, not the length.
    PutBigEndian32(out, Crc32(&out[typeAt], out.size() - typeAt));
}

std::vector<unsigned char> HeaderChunk(const RgbImage& image)
{
    std::vector<unsigned char> data;
    PutBigEndian32(data, (uint32_t)image.width);
    PutBigEndian32(data, (uint32_t)image.height);
    // Bit depth 8, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
    const unsigned char rest[5] = {8, 2, 0, 0, 0};
    data.insert(data.end(), rest, rest + 5);
    return data;
}

// Each row is preceded by its filter byte, 0 (none).
std::vector<unsigned char> FilteredRows(const RgbImage& image)
{
    size_t stride = (size_t)image.width * 3;
    std::vector<unsigned char> raw;
    raw.reserve((stride + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const unsigned char* row = &image.pixels[(size_t)y * stride];
        raw.insert(raw.end(), row, row + stride);
    }
    return raw;
}

// A zlib stream of stored blocks: header, blocks, Adler-32 of the raw data.
std::vector<unsigned char> StoredZlib(const std::vector<unsigned char>& raw)
{
    std::vector<unsigned char> out = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t length = raw.size() - at < STORED_BLOCK_MAX ? raw.size() - at : STORED_BLOCK_MAX;
        bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back((unsigned char)(length & 0xFF));
        out.push_back((unsigned char)(length >> 8));
        out.push_back((unsigned char)(~length & 0xFF));
        out.push_back((unsigned char)((~length >> 8) & 0xFF));
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
    } while (at < raw.size());
    PutBigEndian32(out, Adler32(raw.data(), raw.size()));
    return out;
}

bool UnstoreZlib(const std::vector<unsigned char>& zlib, std::vector<unsigned char>& raw)
{
    if (zlib.size() < 6 || (zlib[0] & 0x0F) != 8) return false;
    size_t at = 2;
    for (;;) {
        if (at + 5 > zlib.size()) return false;
        unsigned char header = zlib[at];
        if ((header & 0x06) != 0) return false;  // only stored blocks
        size_t length = zlib[at + 1] | (size_t)zlib[at + 2] << 8;
        at += 5;
        if (at + length > zlib.size()) return false;
        raw.insert(raw.end(), zlib.begin() + at, zlib.begin() + at + length);
        at += length;
        if (header & 1) break;
    }
    return at + 4 <= zlib.size() && GetBigEndian32(&zlib[at]) == Adler32(raw.data(), raw.size());
}

}  // namespace

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc)
{
    static uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        made = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(const unsigned char* data, size_t size)
{
    const uint32_t MOD_ADLER = 65521;
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % MOD_ADLER;
        b = (b + a) % MOD_ADLER;
    }
    return b << 16 | a;
}

std::vector<unsigned char> EncodePng(const RgbImage& image)
{
    std::vector<unsigned char> out(PNG_SIGNATURE, PNG_SIGNATURE + 8);
    PutChunk(out, "IHDR", HeaderChunk(image));
    PutChunk(out, "IDAT", StoredZlib(FilteredRows(image)));
    PutChunk(out, "IEND", {});
    return out;
}

bool DecodeStoredPng(const std::vector<unsigned char>& png, RgbImage& image)
{
    if (png.size() < 8 || memcmp(png.data(), PNG_SIGNATURE, 8) != 0) return false;
    std::vector<unsigned char> zlib;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        uint32_t length = GetBigEndian32(&png[at]);
        std::string type(png.begin() + at + 4, png.begin() + at + 8);
        if (at + 12 + length > png.size()) return false;
        const unsigned char* data = &png[at + 8];
        if (Crc32(&png[at + 4], length + 4) != GetBigEndian32(data + length)) return false;
        if (type == "IHDR" && length == 13) {
            image.width = (int)GetBigEndian32(data);
            image.height = (int)GetBigEndian32(data + 4);
            if (data[8] != 8 || data[9] != 2) return false;
        } else if (type == "IDAT") {
            zlib.insert(zlib.end(), data, data + length);
        }
        at += 12 + length;
    }
    std::vector<unsigned char> raw;
    if (!UnstoreZlib(zlib, raw)) return false;
    size_t stride = (size_t)image.width * 3;
    if (raw.size() != (stride + 1) * image.height) return false;
    image.pixels.clear();
    for (int y = 0; y < image.height; ++y) {
        const unsigned char* row = &raw[(size_t)y * (stride + 1)];
        if (row[0] != 0) return false;
        image.pixels.insert(image.pixels.end(), row + 1, row + 1 + stride);
    }
    return true;
}

bool IsOneColour(const RgbImage& image)
{
    for (size_t i = 3; i + 2 < image.pixels.size(); i += 3)
        if (memcmp(&image.pixels[i], &image.pixels[0], 3) != 0) return false;
    return true;
}
