// A window's image in shared memory, so that the compositor can read a
// part of it as a buffer of its own: an output's pane shown straight from
// the picture the show draws, without a copy. Where no shared memory is to
// be had, the image lives in ordinary memory and makes no buffers.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <vector>

#include "gfx/surface.h"
#include "platform/platform.h"

namespace gm::wl {

// `bytes` of shared memory mapped here and offered to the compositor as
// `pool`; nullptr where the system or the protocol's 32-bit sizes refuse.
std::uint32_t* mapSharedMemory(wl_shm* shm, std::size_t bytes, wl_shm_pool*& pool);

class SharedImage {
  public:
    explicit SharedImage(wl_shm* shm) : shm_(shm) {}
    ~SharedImage();
    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;

    // Gives `image` width x height pixels in new memory: what overlaps the
    // old picture is kept, new area takes the image's back colour.
    void resize(gfx::Surface& image, int width, int height);
    // A buffer that shows the area of the image (in its pixels), or nullptr.
    wl_buffer* createBuffer(const ScreenArea& area) const;
    // Changes whenever the image moves to new memory (buffers made before
    // show the old one).
    std::uint64_t generation() const { return generation_; }

  private:
    void release();

    wl_shm* shm_;
    wl_shm_pool* pool_ = nullptr;
    std::uint32_t* mapped_ = nullptr;
    std::size_t bytes_ = 0;
    std::vector<std::uint32_t> owned_;  // without shared memory
    int width_ = 0, height_ = 0;
    std::uint64_t generation_ = 0;
};

}  // namespace gm::wl
