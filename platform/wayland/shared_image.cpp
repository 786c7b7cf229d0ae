#include "platform/wayland/shared_image.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace gm::wl {

std::uint32_t* mapSharedMemory(wl_shm* shm, std::size_t bytes, wl_shm_pool*& pool) {
    if (bytes > static_cast<std::size_t>(INT32_MAX)) return nullptr;
    const int fd = memfd_create("glintmoor-pixels", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    void* p = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(bytes)) == 0)
        p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p != MAP_FAILED) pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
    close(fd);
    return p != MAP_FAILED ? static_cast<std::uint32_t*>(p) : nullptr;
}

SharedImage::~SharedImage() { release(); }

void SharedImage::release() {
    if (pool_) wl_shm_pool_destroy(pool_);
    if (mapped_) munmap(mapped_, bytes_);
    pool_ = nullptr;
    mapped_ = nullptr;
    bytes_ = 0;
}

void SharedImage::resize(gfx::Surface& image, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_ && (mapped_ || !owned_.empty())) return;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    const std::size_t bytes = std::max<std::size_t>(count, 1) * 4;
    wl_shm_pool* pool = nullptr;
    std::uint32_t* pixels = mapSharedMemory(shm_, bytes, pool);
    std::vector<std::uint32_t> owned;
    if (!pixels) {
        owned.resize(std::max<std::size_t>(count, 1));
        pixels = owned.data();
    }
    // The old picture where it overlaps, the back colour elsewhere.
    std::fill_n(pixels, count, gfx::toPixel(image.backColor));
    const int keepW = std::min(width, image.width());
    for (int y = 0; keepW > 0 && y < std::min(height, image.height()); ++y)
        std::memcpy(pixels + static_cast<std::size_t>(y) * width, image.row(y),
                    static_cast<std::size_t>(keepW) * 4);
    image.attach(pixels, width, height, width);
    release();
    owned_ = std::move(owned);
    mapped_ = pool ? pixels : nullptr;
    bytes_ = pool ? bytes : 0;
    pool_ = pool;
    width_ = width;
    height_ = height;
    ++generation_;
}

wl_buffer* SharedImage::createBuffer(const ScreenArea& area) const {
    if (!pool_ || area.x < 0 || area.y < 0 || area.width <= 0 || area.height <= 0 ||
        area.x + area.width > width_ || area.y + area.height > height_)
        return nullptr;
    const std::int32_t offset = (area.y * width_ + area.x) * 4;
    return wl_shm_pool_create_buffer(pool_, offset, area.width, area.height, width_ * 4,
                                     WL_SHM_FORMAT_XRGB8888);
}

}  // namespace gm::wl
