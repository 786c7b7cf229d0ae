// Test doubles for the scene builder: a scripted random source, a window
// host, and pictures of the catalogue's sizes whose pixels tell where they
// came from.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "basic/vb_error.h"
#include "common/allgemein.h"
#include "errors/trap.h"
#include "scene/scene.h"

namespace gm::test {

// Yields chosen values: zz(lo, hi, v) queues the value that makes
// Zz(lo, hi) return v, zzr(lo, hi, v) the one that makes ZzR(lo, hi)
// return v. Once the script is used up it goes on with a seeded generator,
// or, when strict, reports every further draw as a failure.
class ScriptedRandom final : public RandomSource {
  public:
    explicit ScriptedRandom(std::uint64_t seed = 1) : rest_(seed) { setRandomSource(this); }
    ~ScriptedRandom() override { setRandomSource(nullptr); }

    ScriptedRandom& zz(int lo, int hi, int v) {
        EXPECT_TRUE(lo <= v && v <= hi) << "Zz(" << lo << ", " << hi << ") cannot return " << v;
        values_.push_back(static_cast<Single>((v - lo + 0.5) / (hi - lo + 1)));
        return *this;
    }
    ScriptedRandom& zzr(Single lo, Single hi, Single v) {
        values_.push_back((v - lo) / (hi - lo));
        return *this;
    }
    // A raw value of the sequence: 0 makes Zz return its lower bound.
    ScriptedRandom& raw(Single r) {
        values_.push_back(r);
        return *this;
    }
    // The same value n times.
    ScriptedRandom& zzN(int n, int lo, int hi, int v) {
        for (int i = 0; i < n; ++i) zz(lo, hi, v);
        return *this;
    }
    ScriptedRandom& strict() {
        strict_ = true;
        return *this;
    }

    Single next() override {
        ++drawn_;
        if (!values_.empty()) {
            const Single r = values_.front();
            values_.pop_front();
            return r;
        }
        if (strict_) ADD_FAILURE() << "draw " << drawn_ << " beyond the script";
        return rest_.next();
    }
    std::size_t left() const { return values_.size(); }
    int drawn() const { return drawn_; }

  private:
    std::deque<Single> values_;
    Pcg32Source rest_;
    bool strict_ = false;
    int drawn_ = 0;
};

// The saver window's services: a window image of the given size.
class TestHost final : public ShowHost {
  public:
    explicit TestHost(int width = 640, int height = 480) : window_(width, height, 0) {}
    gfx::Surface& windowImage() override { return window_; }
    int windowWidth() const override { return window_.width(); }
    int windowHeight() const override { return window_.height(); }
    void refreshWindow() override { ++refreshes; }
    void yieldEvents() override { ++yields; }
    void setTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    int screenDpi() const override { return dpi; }

    int refreshes = 0;
    int yields = 0;
    bool timerEnabled = true;
    int dpi = 96;

  private:
    gfx::Surface window_;
};

// Pictures of the catalogue's sizes. Sprite pixels encode their own source
// position and a tag of their picture (see Mark), masks are black all over,
// so a masked draw replaces its whole destination rectangle with the
// picture's pixels and the canvas shows exactly where each source pixel
// went. Patterns are all light (clouds) or all dark (the shadow) unless a
// test supplies its own.
struct Mark {
    int sourceX, sourceY, tag;
};
inline gfx::Colour markColour(int sourceX, int sourceY, int tag) {
    return gfx::rgb(sourceX & 0xFF, sourceY & 0xFF, tag + 64 * ((sourceX >> 8) & 3));
}
inline Mark markOf(gfx::Colour c) {
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    return {r + 256 * (b >> 6), g, b & 63};
}

class FakeArt {
  public:
    FakeArt();
    // The loader for Scene; records every id loaded, raises 326 for
    // missing ones.
    BitmapLoader loader() {
        return [this](int id) { return load(id); };
    }
    gfx::Bitmap load(int id);
    void remove(int id) { pictures_.erase(id); }
    void put(int id, gfx::Bitmap b) { pictures_[id] = std::move(b); }
    std::vector<int> loads;

  private:
    std::map<int, gfx::Bitmap> pictures_;
};

// The tags of the sprites and the size of each catalogue picture.
inline int tagOf(int spriteId) {
    static const std::map<int, int> tags{{131, 1}, {133, 2},  {135, 3},  {137, 4},
                                         {141, 5}, {143, 6},  {151, 7},  {153, 8},
                                         {161, 9}, {163, 10}, {165, 11}, {181, 12}};
    return tags.at(spriteId);
}

inline FakeArt::FakeArt() {
    const auto sprite = [&](int id, int w, int h) {
        gfx::Bitmap image(w, h), mask(w, h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) image.row(y)[x] = gfx::toPixel(markColour(x, y, tagOf(id)));
        put(id, std::move(image));
        put(id + 1, std::move(mask));
    };
    // Gradient strips: a light column 0 marks each tile's left edge; the
    // rest runs from the sky tone down to white, a step per row.
    for (int type = 1; type <= 5; ++type) {
        gfx::Bitmap strip(20, 480);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 20; ++x)
                strip.row(y)[x] =
                    gfx::toPixel(x == 0 ? gfx::rgb(255, 0, 255) : gfx::rgb(type * 40, y / 2, 200));
        put(100 + type, std::move(strip));
    }
    const int cloud[10][2] = {{441, 17}, {179, 23}, {185, 33}, {181, 31}, {329, 27},
                              {221, 69}, {187, 33}, {269, 79}, {169, 63}, {155, 87}};
    for (int i = 0; i < 10; ++i) put(111 + i, gfx::Bitmap(cloud[i][0], cloud[i][1], 0xFFFFFF));
    for (int id = 121; id <= 128; ++id) {
        gfx::Bitmap band(738, 119);
        for (int y = 0; y < 119; ++y)
            for (int x = 0; x < 738; ++x) band.row(y)[x] = gfx::toPixel(gfx::rgb(id, x & 0xFF, y));
        put(id, std::move(band));
    }
    for (int id : {131, 133, 135, 137}) sprite(id, 640, 100);
    sprite(141, 200, 250);
    sprite(143, 100, 500);
    sprite(151, 245, 500);
    sprite(153, 245, 100);
    sprite(161, 153, 115);
    sprite(163, 153, 115);
    sprite(165, 400, 28);
    sprite(181, 285, 300);
    put(183, gfx::Bitmap(157, 74, 0));
}

inline gfx::Bitmap FakeArt::load(int id) {
    loads.push_back(id);
    const auto it = pictures_.find(id);
    if (it == pictures_.end()) raise(err::ResourceNotFound, std::to_string(id));
    return it->second;
}

// Where a tagged sprite landed on a surface.
struct Placement {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty when right < left
    Mark topLeft{}, topRight{};                      // the marks at the two top corners
    bool empty() const { return right < left; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};
inline Placement placementOf(const gfx::Surface& s, int tag, int rows = -1) {
    Placement p{s.width(), s.height(), -1, -1};
    for (int y = 0; y < (rows < 0 ? s.height() : rows); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (markOf(gfx::GetPixel(s, x, y)).tag == tag) {
                p.left = std::min(p.left, x);
                p.right = std::max(p.right, x);
                p.top = std::min(p.top, y);
                p.bottom = std::max(p.bottom, y);
            }
    if (!p.empty()) {
        p.topLeft = markOf(gfx::GetPixel(s, p.left, p.top));
        p.topRight = markOf(gfx::GetPixel(s, p.right, p.top));
    }
    return p;
}

// Records the reports of the error trap and answers "leave the procedure".
struct TrapRecorder {
    struct Report {
        std::string module, proc;
        int number, line;
    };
    TrapRecorder() {
        reports().clear();
        setErrorHandler(&record);
    }
    ~TrapRecorder() { setErrorHandler(nullptr); }
    static std::vector<Report>& reports() {
        static std::vector<Report> r;
        return r;
    }
    static Int16 record(const std::string& module, const std::string& proc) {
        reports().push_back({module, proc, Err().number, Err().line});
        return 2;
    }
};

// Everything a procedure test needs: surfaces, state, settings, host, art.
struct SceneRig {
    SceneRig(int windowWidth = 640, int windowHeight = 480) : host(windowWidth, windowHeight) {
        settings.maxFl = 110;
        settings.minFl = 55;
        settings.Size = 6;
        settings.Snowman = 1;
        surfaces.picBG.clear();
    }
    ShowSurfaces surfaces;
    SceneState state;
    Settings settings;
    TestHost host;
    FakeArt art;
    TrapRecorder trap;
    Scene scene{surfaces, state, settings, host, art.loader()};
};

}  // namespace gm::test
