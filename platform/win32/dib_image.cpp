#include "platform/win32/dib_image.h"

#include <algorithm>

namespace gm::win32 {

DibImage::DibImage() : dc_(CreateCompatibleDC(nullptr)) {}

DibImage::~DibImage() {
    if (initialBitmap_) SelectObject(dc_, initialBitmap_);
    if (bitmap_) DeleteObject(bitmap_);
    DeleteDC(dc_);
}

bool DibImage::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return false;

    HBITMAP bitmap = nullptr;
    void* bits = nullptr;
    if (width > 0 && height > 0) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // negative: rows top-down, as gfx::Surface expects
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        // The memory of a new DIB section is zeroed: the new image is black.
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }

    // Carry the overlapping part of the old picture over through a second DC.
    HDC newDc = CreateCompatibleDC(nullptr);
    HGDIOBJ newInitial = bitmap ? SelectObject(newDc, bitmap) : nullptr;
    if (bitmap && bitmap_)
        BitBlt(newDc, 0, 0, std::min(width, width_), std::min(height, height_), dc_, 0, 0, SRCCOPY);
    GdiFlush();

    if (initialBitmap_) SelectObject(dc_, initialBitmap_);
    if (bitmap_) DeleteObject(bitmap_);
    DeleteDC(dc_);

    dc_ = newDc;
    initialBitmap_ = newInitial;
    bitmap_ = bitmap;
    pixels_ = static_cast<std::uint32_t*>(bitmap ? bits : nullptr);
    width_ = bitmap ? width : 0;
    height_ = bitmap ? height : 0;
    return true;
}

}  // namespace gm::win32
