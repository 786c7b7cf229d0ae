// Presents one wl_surface from a window's persistent image through two
// shared-memory buffers: the compositor reads one while the other takes
// the changes. A commit waits for the surface's frame callback, so there
// is at most one per frame the compositor draws; changes made meanwhile
// gather and go with the next commit. Only the pixels a buffer misses are
// copied into it, each once.
#pragma once

#include <wayland-client.h>

#include <array>
#include <cstdint>
#include <vector>

#include "gfx/surface.h"
#include "platform/platform.h"
#include "platform/wayland/pixel_region.h"

namespace gm::wl {

class ShmPresenter {
  public:
    ShmPresenter(wl_shm* shm, wl_surface* surface, std::uint32_t compositorVersion);
    ~ShmPresenter();
    ShmPresenter(const ShmPresenter&) = delete;
    ShmPresenter& operator=(const ShmPresenter&) = delete;

    // The buffers' size in pixels; everything counts as changed.
    void setSize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    // The area (in the buffers' pixels) has changed in the source.
    void damage(const ScreenArea& area);
    void damageAll() { damage({0, 0, width_, height_}); }
    // Commits the changes, copied from `source` at (sourceX, sourceY), when
    // the last frame is done and a buffer is free; else later.
    void present(const gfx::Surface& source, int sourceX, int sourceY);
    bool hasChanges() const { return !changed_.empty(); }

  private:
    // A buffer and the pixels it misses of the picture (changed since it
    // was last filled).
    struct Buffer {
        wl_buffer* buffer = nullptr;
        std::uint32_t* pixels = nullptr;
        std::size_t bytes = 0;
        bool busy = false;  // the compositor reads it
        PixelRegion stale;
    };
    static void released(void* data, wl_buffer* buffer);
    static void frameDone(void* data, wl_callback* callback, std::uint32_t time);
    void release(Buffer& b);

    wl_shm* shm_;
    wl_surface* surface_;
    bool damageInBuffer_;  // wl_surface.damage_buffer (version 4)
    int width_ = 0, height_ = 0;
    std::array<Buffer, 2> buffers_;
    std::vector<ScreenArea> changed_;  // since the last commit
    wl_callback* frame_ = nullptr;     // the last commit's frame is still to come
};

}  // namespace gm::wl
