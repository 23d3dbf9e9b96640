#include "screenshot.h"


#include <cstdio>
#include <vector>

#include "wide_text.h"


namespace {

// Owns the GDI objects of one capture.
struct Capture {
    HDC screen = nullptr;
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    ~Capture() {
        if (memory && previous) ::SelectObject(memory, previous);
        if (bitmap) ::DeleteObject(bitmap);
        if (memory) ::DeleteDC(memory);
        if (screen) ::ReleaseDC(nullptr, screen);
    }
};

}  // namespace

bool SaveScreenshot(const std::string& path, HWND window, std::string& error) {
    RECT area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (window != nullptr && !::GetWindowRect(window, &area)) {
        error = "cannot read the window's position";
        return false;
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        error = "empty area to capture";
        return false;
    }

    Capture capture;
    capture.screen = ::GetDC(nullptr);
    capture.memory = capture.screen ? ::CreateCompatibleDC(capture.screen) : nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    if (capture.memory)
        capture.bitmap = ::CreateDIBSection(capture.screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!capture.bitmap || !pixels) {
        error = "cannot create a bitmap of " + std::to_string(width) + "x" + std::to_string(height);
        return false;
    }
    capture.previous = ::SelectObject(capture.memory, capture.bitmap);
    if (!::BitBlt(capture.memory, 0, 0, width, height, capture.screen, area.left, area.top, SRCCOPY)) {
        error = "BitBlt from the screen failed";
        return false;
    }
    ::GdiFlush();

    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    info.bmiHeader.biSizeImage = imageBytes;

    FILE* out = _wfopen(WideFromUtf8(path).c_str(), L"wb");
    if (!out) {
        error = "cannot create " + path;
        return false;
    }
    const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                         std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                         std::fwrite(pixels, imageBytes, 1, out) == 1;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
