// A set of a picture's pixels as sorted, disjoint runs per row. Areas add
// up to their exact union at a few steps per row: overlapping areas (a
// flake's old and new place, the flying object's, the sky band's runs at
// two offsets) are copied once, and nothing outside them is.
#pragma once

#include <vector>

#include "platform/platform.h"

namespace gm::wl {

class PixelRegion {
  public:
    // Empty, for a picture `height` rows high.
    void reset(int height);
    void clear();
    bool empty() const { return top_ >= bottom_; }
    // Adds the area's pixels (rows outside the picture are left out).
    void add(const ScreenArea& area);
    // Calls f(y, x0, x1) for every run [x0, x1) of row y, top to bottom.
    template <typename F>
    void forEachRun(F&& f) const {
        for (int y = top_; y < bottom_; ++y)
            for (const Run& r : rows_[y]) f(y, r.x0, r.x1);
    }

  private:
    struct Run {
        int x0, x1;
    };
    std::vector<std::vector<Run>> rows_;
    int top_ = 0, bottom_ = 0;  // the rows that may hold runs
};

}  // namespace gm::wl
