// The persistent image behind a Win32 window: a 32-bit top-down DIB section
// selected into a memory DC. Its bits are the window's gfx::Surface, so the
// software raster writes them directly and GDI can draw text into the same
// memory through dc().
#pragma once

#include <windows.h>

#include <cstdint>

namespace gm::win32 {

class DibImage {
  public:
    DibImage();
    ~DibImage();
    DibImage(const DibImage&) = delete;
    DibImage& operator=(const DibImage&) = delete;

    // Gives the image a new size, keeping the picture where old and new
    // overlap; new area is black. Returns false when the size is unchanged.
    bool resize(int width, int height);

    HDC dc() const { return dc_; }
    std::uint32_t* pixels() const { return pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ initialBitmap_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace gm::win32
