// Screen captures with GDI, saved as PNG.
#pragma once

#include <windows.h>

#include <string>

#include "png_writer.h"

// The screen inside `area` (screen coordinates), clipped to the screen.
RgbImage CaptureScreenArea(RECT area);
RgbImage CaptureWholeScreen();
// The window with its frame, as it stands on the screen.
RgbImage CaptureWindow(HWND window);
bool SavePng(const std::string& path, const RgbImage& image);
bool LoadStoredPng(const std::string& path, RgbImage& image);
