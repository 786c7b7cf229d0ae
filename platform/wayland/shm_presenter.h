// Presents one wl_surface from a window's persistent image. A commit waits
// for the surface's frame callback, so there is at most one per frame the
// compositor draws; changes made meanwhile gather and go with the next
// commit.
//
// Two ways, chosen by what the compositor does with a buffer:
//   Copy    two shared-memory buffers: the compositor reads one while the
//           other takes the changes. Only the pixels a buffer misses are
//           copied into it, each once. A compositor that draws with the
//           CPU (sway's pixman renderer) reads the buffer it has until the
//           next commit, and needs this.
//   Direct  a buffer that is the pane's part of the image itself. Once a
//           compositor has released each buffer a few times in a row while
//           it was still the latest (it copies what it is given, as GPU
//           renderers do), commits go straight from the image, and each
//           waits for that release before the show draws again. Should a
//           release not come in time, a copy replaces the buffer at once
//           and presenting goes back to copying for good.
#pragma once

#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <vector>

#include "gfx/surface.h"
#include "platform/platform.h"
#include "platform/wayland/pixel_region.h"

namespace gm::wl {

class Display;
class SharedImage;

class ShmPresenter {
  public:
    ShmPresenter(Display& display, wl_surface* surface);
    ~ShmPresenter();
    ShmPresenter(const ShmPresenter&) = delete;
    ShmPresenter& operator=(const ShmPresenter&) = delete;

    // The buffers' size in pixels; everything counts as changed.
    void setSize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    // Where the surface's picture lies: `area` of `image` (or nothing to
    // show directly).
    void showFrom(const SharedImage* image, const ScreenArea& area);
    // The area (in the buffers' pixels) has changed in the source.
    void damage(const ScreenArea& area);
    void damageAll() { damage({0, 0, width_, height_}); }
    // Commits the changes, from `source` at (sourceX, sourceY), when the
    // last frame is done and a buffer is free; else later.
    void present(const gfx::Surface& source, int sourceX, int sourceY);
    // After a direct commit: returns once the compositor has let go of the
    // image, or has a copy in its place.
    void awaitRelease(const gfx::Surface& source, int sourceX, int sourceY);
    bool hasChanges() const { return !changed_.empty(); }

  private:
    // A buffer and the pixels it misses of the picture (changed since it
    // was last filled).
    struct Buffer {
        ShmPresenter* owner = nullptr;
        wl_buffer* buffer = nullptr;
        std::uint32_t* pixels = nullptr;
        std::size_t bytes = 0;
        bool busy = false;  // the compositor reads it
        PixelRegion stale;
    };
    static void released(void* data, wl_buffer* buffer);
    static void directReleased(void* data, wl_buffer* buffer);
    static void frameDone(void* data, wl_callback* callback, std::uint32_t time);
    void release(Buffer& b);
    void dropDirect();
    void commit(wl_buffer* buffer);
    void copyInto(Buffer& b, const gfx::Surface& source, int sourceX, int sourceY);
    // Copies what a free buffer misses into it and commits it (if one is free).
    void commitCopy(const gfx::Surface& source, int sourceX, int sourceY);
    void leaveDirect(const gfx::Surface& source, int sourceX, int sourceY);

    Display& display_;
    wl_surface* surface_;
    bool damageInBuffer_;  // wl_surface.damage_buffer (version 4)
    int width_ = 0, height_ = 0;
    std::array<Buffer, 2> buffers_;
    const Buffer* latest_ = nullptr;  // the copy buffer committed last
    int promptReleases_ = 0;          // releases in a row of the latest buffer
    bool direct_ = false;             // presenting straight from the image
    bool directRefused_ = false;      // a release did not come in time
    const SharedImage* image_ = nullptr;
    ScreenArea imageArea_;
    std::uint64_t imageGeneration_ = 0;
    wl_event_queue* directQueue_ = nullptr;  // the direct buffer's release
    wl_buffer* directBuffer_ = nullptr;
    bool directBusy_ = false;
    std::vector<ScreenArea> changed_;  // since the last commit
    wl_callback* frame_ = nullptr;     // the last commit's frame is still to come
};

}  // namespace gm::wl
