#include "saver/monitor_show.h"

#include <algorithm>
#include <vector>

#include "common/settings.h"
#include "gfx/bitmap_resource.h"

namespace gm {

MonitorShow::MonitorShow(ShowHost& host, int index)
    : host(host), animation(surfaces, scene, settings(), host, &gfx::LoadBitmapResource) {
    if (index > 0) random.emplace(monitorSeed(randomSeed(), index));
}

DrawingFor::DrawingFor(MonitorShow& show) {
    if (show.random) own_.emplace(*show.random);
}

std::uint64_t monitorSeed(std::uint64_t processSeed, int index) {
    // A golden-ratio step per monitor: neighbouring indices give unrelated
    // PCG streams, and index 0 would be the process's own seed.
    return processSeed + static_cast<std::uint64_t>(index) * 0x9E3779B97F4A7C15ULL;
}

MonitorView::MonitorView(Window& window, ScreenArea area, bool whole)
    : window_(window), wanted_(area), whole_(whole) {}

void MonitorView::follow() {
    gfx::Surface& image = window_.image();
    const std::uint32_t* base = image.height() > 0 ? image.row(0) : nullptr;
    if (base == base_ && image.width() == baseWidth_ && image.height() == baseHeight_) return;
    base_ = base;
    baseWidth_ = image.width();
    baseHeight_ = image.height();
    if (whole_) {
        area_ = {0, 0, image.width(), image.height()};
    } else {
        const int x0 = std::clamp(wanted_.x, 0, image.width());
        const int y0 = std::clamp(wanted_.y, 0, image.height());
        const int x1 = std::clamp(wanted_.x + wanted_.width, x0, image.width());
        const int y1 = std::clamp(wanted_.y + wanted_.height, y0, image.height());
        area_ = {x0, y0, x1 - x0, y1 - y0};
    }
    std::uint32_t* origin = area_.height > 0 ? image.row(area_.y) + area_.x : nullptr;
    view_.attach(origin, area_.width, area_.height, image.stride());
    // Drawn on, it is the window: the same pens and font.
    view_.backColor = image.backColor;
    view_.foreColor = image.foreColor;
    view_.fillColor = image.fillColor;
    view_.drawWidth = image.drawWidth;
    view_.font = image.font;
}

gfx::Surface& MonitorView::image() {
    follow();
    return view_;
}

ScreenArea MonitorView::area() {
    follow();
    return area_;
}

void MonitorView::refresh() {
    follow();
    if (whole_) {
        window_.refresh();
    } else {
        window_.refreshAreas(&area_, 1);
    }
}

void MonitorView::refreshAreas(const ScreenArea* areas, int count) {
    follow();
    if (whole_) {
        window_.refreshAreas(areas, count);
        return;
    }
    std::vector<ScreenArea> moved(areas, areas + count);
    for (ScreenArea& a : moved) {
        a.x += area_.x;
        a.y += area_.y;
    }
    window_.refreshAreas(moved.data(), count);
}

OtherMonitor::OtherMonitor(Window& window, const MonitorArea& monitor, int index)
    : show(*this, index),
      monitor_(monitor),
      view_(window, monitor.area, false),
      dpi_(monitor.dpi) {}

}  // namespace gm
