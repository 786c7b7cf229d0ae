#include "platform/wayland/shm_presenter.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>

#include "platform/wayland/shared_image.h"
#include "platform/wayland/wayland_display.h"

namespace gm::wl {
namespace {

// Past this many changed areas the last one grows to hold the rest, so
// that a commit's damage requests stay within some 50 kB. A tick of the
// most flakes (two areas each) and the sky band's runs stays below it.
constexpr std::size_t kMaxDamageRequests = 2048;
// Releases of the latest buffer in a row that show a compositor copying
// what it is given.
constexpr int kPromptReleases = 3;
// How long a direct commit may wait for its release: some frames.
constexpr int kReleaseWaitMs = 100;

ScreenArea unite(const ScreenArea& a, const ScreenArea& b) {
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.width, b.x + b.width);
    const int y1 = std::max(a.y + a.height, b.y + b.height);
    return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace

ShmPresenter::ShmPresenter(Display& display, wl_surface* surface)
    : display_(display), surface_(surface), damageInBuffer_(display.compositorVersion() >= 4) {
    for (Buffer& b : buffers_) b.owner = this;
}

ShmPresenter::~ShmPresenter() {
    if (frame_) wl_callback_destroy(frame_);
    for (Buffer& b : buffers_) release(b);
    dropDirect();
    if (directQueue_) wl_event_queue_destroy(directQueue_);
}

void ShmPresenter::release(Buffer& b) {
    if (b.buffer) wl_buffer_destroy(b.buffer);
    if (b.pixels) munmap(b.pixels, b.bytes);
    b.buffer = nullptr;
    b.pixels = nullptr;
    b.bytes = 0;
    b.busy = false;
}

void ShmPresenter::dropDirect() {
    if (directBuffer_) wl_buffer_destroy(directBuffer_);
    directBuffer_ = nullptr;
    directBusy_ = false;
}

void ShmPresenter::released(void* data, wl_buffer*) {
    Buffer& b = *static_cast<Buffer*>(data);
    b.busy = false;
    ShmPresenter& p = *b.owner;
    p.promptReleases_ = p.latest_ == &b ? p.promptReleases_ + 1 : 0;
}

void ShmPresenter::directReleased(void* data, wl_buffer*) {
    static_cast<ShmPresenter*>(data)->directBusy_ = false;
}

void ShmPresenter::frameDone(void* data, wl_callback* callback, std::uint32_t) {
    wl_callback_destroy(callback);
    static_cast<ShmPresenter*>(data)->frame_ = nullptr;
}

void ShmPresenter::setSize(int width, int height) {
    if (width == width_ && height == height_) return;
    for (Buffer& b : buffers_) release(b);
    dropDirect();
    latest_ = nullptr;
    width_ = width;
    height_ = height;
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    for (Buffer& b : buffers_) {
        wl_shm_pool* pool = nullptr;
        b.pixels = mapSharedMemory(display_.shm(), stride * static_cast<std::size_t>(height), pool);
        if (!b.pixels) continue;
        b.bytes = stride * static_cast<std::size_t>(height);
        b.buffer = wl_shm_pool_create_buffer(
            pool, 0, width, height, static_cast<std::int32_t>(stride), WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        static const wl_buffer_listener listener = {released};
        wl_buffer_add_listener(b.buffer, &listener, &b);
    }
    changed_.clear();
    for (Buffer& b : buffers_) b.stale.reset(height);
    damageAll();
}

void ShmPresenter::showFrom(const SharedImage* image, const ScreenArea& area) {
    const std::uint64_t generation = image ? image->generation() : 0;
    if (image == image_ && area == imageArea_ && generation == imageGeneration_) return;
    dropDirect();
    image_ = image;
    imageArea_ = area;
    imageGeneration_ = generation;
}

void ShmPresenter::damage(const ScreenArea& area) {
    const int x0 = std::clamp(area.x, 0, width_), y0 = std::clamp(area.y, 0, height_);
    const int x1 = std::clamp(area.x + area.width, x0, width_);
    const int y1 = std::clamp(area.y + area.height, y0, height_);
    if (x1 == x0 || y1 == y0) return;
    const ScreenArea clipped{x0, y0, x1 - x0, y1 - y0};
    if (changed_.size() < kMaxDamageRequests)
        changed_.push_back(clipped);
    else
        changed_.back() = unite(changed_.back(), clipped);
    // Presenting directly, the copy buffers miss everything (leaveDirect).
    if (!direct_)
        for (Buffer& b : buffers_) b.stale.add(clipped);
}

void ShmPresenter::commit(wl_buffer* buffer) {
    wl_surface_attach(surface_, buffer, 0, 0);
    if (damageInBuffer_) {
        for (const ScreenArea& a : changed_)
            wl_surface_damage_buffer(surface_, a.x, a.y, a.width, a.height);
    } else {
        wl_surface_damage(surface_, 0, 0, INT32_MAX, INT32_MAX);  // in surface units: all
    }
    changed_.clear();
    static const wl_callback_listener listener = {frameDone};
    if (frame_) wl_callback_destroy(frame_);
    frame_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frame_, &listener, this);
    wl_surface_commit(surface_);
}

void ShmPresenter::copyInto(Buffer& b, const gfx::Surface& source, int sourceX, int sourceY) {
    b.stale.forEachRun([&](int y, int x0, int x1) {
        const int sy = sourceY + y;
        const int w = std::min(x1, source.width() - sourceX) - x0;
        if (sy < 0 || sy >= source.height() || w <= 0) return;
        std::memcpy(b.pixels + static_cast<std::size_t>(y) * width_ + x0,
                    source.row(sy) + sourceX + x0, static_cast<std::size_t>(w) * 4);
    });
    b.stale.clear();
}

void ShmPresenter::present(const gfx::Surface& source, int sourceX, int sourceY) {
    if (frame_ || changed_.empty()) return;
    const bool fits = image_ && imageArea_.width == width_ && imageArea_.height == height_;
    if (!direct_ && !directRefused_ && fits && promptReleases_ >= kPromptReleases) direct_ = true;
    if (direct_ && fits && !directBuffer_) {
        directBuffer_ = image_->createBuffer(imageArea_);
        if (directBuffer_) {
            if (!directQueue_) directQueue_ = wl_display_create_queue(display_.display());
            wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(directBuffer_), directQueue_);
            static const wl_buffer_listener listener = {directReleased};
            wl_buffer_add_listener(directBuffer_, &listener, this);
        }
    }
    if (direct_ && directBuffer_) {
        commit(directBuffer_);
        directBusy_ = true;
        return;
    }
    if (direct_) leaveDirect(source, sourceX, sourceY);  // no buffer of the image to be had
    commitCopy(source, sourceX, sourceY);
}

void ShmPresenter::commitCopy(const gfx::Surface& source, int sourceX, int sourceY) {
    const auto free = std::find_if(buffers_.begin(), buffers_.end(),
                                   [](const Buffer& b) { return b.buffer && !b.busy; });
    if (free == buffers_.end()) return;  // both read; a release brings us back
    copyInto(*free, source, sourceX, sourceY);
    commit(free->buffer);
    free->busy = true;
    latest_ = &*free;
}

void ShmPresenter::awaitRelease(const gfx::Surface& source, int sourceX, int sourceY) {
    if (!directBusy_) return;
    if (display_.dispatchQueueUntil(
            directQueue_, [this] { return !directBusy_; }, kReleaseWaitMs))
        return;
    leaveDirect(source, sourceX, sourceY);
}

void ShmPresenter::leaveDirect(const gfx::Surface& source, int sourceX, int sourceY) {
    // For good: a compositor that kept the image once may keep it again.
    direct_ = false;
    directRefused_ = true;
    changed_.clear();
    for (Buffer& b : buffers_) b.stale.reset(height_);
    damageAll();
    // Still reading the image, the compositor gets a copy of it at once,
    // whatever frame it is at; then the image is the show's again.
    if (directBusy_) commitCopy(source, sourceX, sourceY);
    dropDirect();
}

}  // namespace gm::wl
