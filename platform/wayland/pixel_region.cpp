#include "platform/wayland/pixel_region.h"

#include <algorithm>

namespace gm::wl {

void PixelRegion::reset(int height) {
    rows_.assign(static_cast<std::size_t>(std::max(height, 0)), {});
    top_ = bottom_ = 0;
}

void PixelRegion::clear() {
    for (int y = top_; y < bottom_; ++y) rows_[y].clear();
    top_ = bottom_ = 0;
}

void PixelRegion::add(const ScreenArea& area) {
    const int y0 = std::max(area.y, 0);
    const int y1 = std::min(area.y + area.height, static_cast<int>(rows_.size()));
    if (area.width <= 0 || y0 >= y1) return;
    if (empty()) {
        top_ = y0;
        bottom_ = y1;
    } else {
        top_ = std::min(top_, y0);
        bottom_ = std::max(bottom_, y1);
    }
    for (int y = y0; y < y1; ++y) {
        std::vector<Run>& row = rows_[y];
        Run run{area.x, area.x + area.width};
        // The runs that touch the new one (from the first that ends at or
        // after its start) merge into it.
        const auto first = std::lower_bound(row.begin(), row.end(), run.x0,
                                            [](const Run& r, int x) { return r.x1 < x; });
        auto last = first;
        for (; last != row.end() && last->x0 <= run.x1; ++last) {
            run.x0 = std::min(run.x0, last->x0);
            run.x1 = std::max(run.x1, last->x1);
        }
        if (first == last) {
            row.insert(first, run);
        } else {
            *first = run;
            row.erase(first + 1, last);
        }
    }
}

}  // namespace gm::wl
