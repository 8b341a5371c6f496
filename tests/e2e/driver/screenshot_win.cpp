#include "screenshot.h"

#include <stdio.h>

namespace {

RECT ClippedToScreen(RECT area)
{
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT clipped;
    if (!IntersectRect(&clipped, &area, &screen)) SetRectEmpty(&clipped);
    return clipped;
}

// DIB rows are blue, green, red; a PNG wants red, green, blue.
void CopyAsRgb(const unsigned char* bgr, int width, int height, int stride, RgbImage& image)
{
    image.pixels.resize((size_t)width * height * 3);
    for (int y = 0; y < height; ++y) {
        const unsigned char* in = bgr + (size_t)y * stride;
        unsigned char* out = &image.pixels[(size_t)y * width * 3];
        for (int x = 0; x < width; ++x) {
            out[x * 3] = in[x * 3 + 2];
            out[x * 3 + 1] = in[x * 3 + 1];
            out[x * 3 + 2] = in[x * 3];
        }
    }
}

}  // namespace

RgbImage CaptureScreenArea(RECT area)
{
    RgbImage image;
    RECT clipped = ClippedToScreen(area);
    int width = clipped.right - clipped.left, height = clipped.bottom - clipped.top;
    if (width <= 0 || height <= 0) return image;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, clipped.left, clipped.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    image.width = width;
    image.height = height;
    int stride = (width * 3 + 3) & ~3;
    CopyAsRgb((const unsigned char*)bits, width, height, stride, image);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return image;
}

RgbImage CaptureWholeScreen()
{
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return CaptureScreenArea(screen);
}

RgbImage CaptureWindow(HWND window)
{
    RECT area = {};
    GetWindowRect(window, &area);
    return CaptureScreenArea(area);
}

bool SavePng(const std::string& path, const RgbImage& image)
{
    if (image.width <= 0 || image.height <= 0) return false;
    std::vector<unsigned char> png = EncodePng(image);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    return fclose(file) == 0 && written;
}

bool LoadStoredPng(const std::string& path, RgbImage& image)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return false;
    std::vector<unsigned char> png;
    unsigned char block[65536];
    size_t count;
    while ((count = fread(block, 1, sizeof block, file)) > 0) png.insert(png.end(), block, block + count);
    fclose(file);
    return DecodeStoredPng(png, image);
}
