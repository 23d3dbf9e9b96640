#pragma once
// Saves what the screen shows as a 24-bit BMP file: the whole screen, or
// the part a window covers.

#include <windows.h>

#include <string>

// `window` null for the whole screen. Returns false with `error` set.
bool SaveScreenshot(const std::string& path, HWND window, std::string& error);
