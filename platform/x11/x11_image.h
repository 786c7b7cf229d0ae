// The persistent image behind an X11 window: an XImage of 32-bit pixels
// whose memory is the window's gfx::Surface. With MIT-SHM the memory is a
// shared segment the server reads directly (XShmPutImage); without it the
// image travels through the connection (XPutImage).
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <memory>

namespace gm::x11 {

class X11Image {
  public:
    // useShm: try shared memory first; on any failure the image falls back
    // to plain XPutImage for good.
    X11Image(Display* display, Visual* visual, int depth, bool useShm);
    X11Image(const X11Image&) = delete;
    X11Image& operator=(const X11Image&) = delete;

    // Gives the image a new size, keeping the picture where old and new
    // overlap; new area is black. Returns false when the size is unchanged.
    bool resize(int width, int height);
    // Copies the rectangle of the image to the same place in the drawable.
    void put(Drawable target, GC gc, int x, int y, int width, int height);

    std::uint32_t* pixels() const;
    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const;  // in pixels
    bool usesShm() const { return buffer_ && buffer_->segment.shmaddr; }

  private:
    // An image and its shared segment. XShmCreateImage keeps a pointer to
    // the segment, so a buffer lives at one address on the heap.
    struct Buffer {
        XImage* image = nullptr;
        XShmSegmentInfo segment{};
    };
    struct BufferDeleter {
        Display* display;
        void operator()(Buffer* b) const;
    };
    using BufferPtr = std::unique_ptr<Buffer, BufferDeleter>;

    BufferPtr create(int width, int height);

    Display* display_;
    Visual* visual_;
    int depth_;
    bool shm_;
    BufferPtr buffer_;
    int width_ = 0;
    int height_ = 0;
};

// True when the visual stores pixels as 0x00RRGGBB in 32-bit words, the
// layout of gfx::Surface.
bool hasSurfaceLayout(const Visual* visual, int depth);

}  // namespace gm::x11
