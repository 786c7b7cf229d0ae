// The drawing half of the animation tick: puts the frame's layers into
// picBuffer (background, the two sky copies, the flying object, the date and
// time), copies the buffer to the window and erases the flakes of the
// previous tick there.
//
// Reference composition draws every layer over the whole window on every
// tick, exactly as the tick's steps read. Incremental composition records
// the layers of the frame, compares them with the previous frame and
// recomposes only the rectangles that differ: the sky band when its offset
// moved, the old and new place of the object, the old and new text, and the
// little squares of last tick's flakes on the window. Every layer is a block
// copy or a masked blit, so recomposing a rectangle layer by layer gives
// exactly the pixels the whole-window composition gives there; the text,
// whose edges blend with what lies below, is only ever printed over an area
// that was recomposed in full. A moved sky band, where nothing but the sky
// and the flying object lie, goes straight onto the window: it is the
// largest area a frame changes, and a copy through picBuffer would move
// its pixels twice; and only where the sky picture has something other than
// its rows' own colour (clouds, the moon, specks of snow) at the old or the
// new offset, since a row of one colour looks the same at any offset.
// picBuffer's rows of the band are then out of date, and the flakes there
// are erased from the band's layers instead; while they are, the flying
// object's changes inside the band go straight onto the window too.
// tests/animation/composition_test.cpp runs both compositions for hundreds
// of ticks and compares the window images.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/show_host.h"
#include "gfx/surface.h"
#include "platform/platform.h"

namespace gm {

enum class Composition { Reference, Incremental };

// A half-open pixel rectangle.
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
    bool intersects(const PixelRect& o) const {
        return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1;
    }
    bool contains(const PixelRect& o) const {
        return x0 <= o.x0 && o.x1 <= x1 && y0 <= o.y0 && o.y1 <= y1;
    }
    PixelRect clippedTo(int width, int height) const;
    bool operator==(const PixelRect&) const = default;
};

class FrameComposer {
  public:
    explicit FrameComposer(ShowSurfaces& surfaces) : s_(surfaces) {}

    Composition mode = Composition::Incremental;

    // Forget the previous frame: the next one is composed in full. Called
    // whenever something else has drawn on picBuffer or the window.
    void invalidate() { valid_ = false; }

    // Step 2: the static scene, width by height from picBG.
    void background(int width, int height);
    // Step 4: the sky strip of picHimmel at x = offset and, to its left, at
    // offset - width + 2.
    void sky(int offset, int top, int width, int height);
    // Step 5: the masked blit of the flying object (picMask with SRCAND,
    // picObjekt with SRCPAINT). `pictures` changes whenever new strips are
    // loaded into the two surfaces.
    void objekt(int x, int y, int width, int height, int srcY, std::uint32_t pictures);
    // Step 6: text position and the pieces printed there.
    void textPosition(double x, double y);
    void print(std::string_view piece);
    // Step 7: the buffer onto the window.
    void present(gfx::Surface& window, int width, int height);
    // Step 8, before the flakes are drawn: give back the window pixels under
    // the previous tick's flakes (incremental only; the full copy of step 7
    // has already done so otherwise).
    void eraseFlakes(gfx::Surface& window);
    // Step 8, per flake: the box just drawn on the window.
    void noteFlake(const PixelRect& box);
    // Step 9: bring the screen up to date; after an incremental frame only
    // where the window changed (the recomposed rectangles, the old and the
    // new flakes).
    void refresh(ShowHost& host);

    // The rows of picBuffer that do not hold the frame (the sky band drawn
    // straight onto the window); empty when picBuffer holds all of it.
    const PixelRect& staleBuffer() const { return staleBand_; }

  private:
    static constexpr int kMaxText = 2;
    static constexpr int kMaxDamage = 9;
    static constexpr int kMaxFlakes = 501;

    struct Frame {
        int width = 0, height = 0;
        bool hasSky = false;
        int skyOffset = 0, skyTop = 0, skyWidth = 0, skyHeight = 0;
        bool hasObjekt = false;
        PixelRect objekt;
        int objektSrcY = 0;
        std::uint32_t pictures = 0;
        double textX = 0, textY = 0;
        int textCount = 0;
        std::array<std::string, kMaxText> text;
        PixelRect textBox;  // where the text may put pixels, with margin
        bool sameSky(const Frame& o) const;
        bool sameObjekt(const Frame& o) const;
        bool sameText(const Frame& o) const;
    };

    // Where the surfaces stand; a change forces a full composition.
    struct Geometry {
        const void* window = nullptr;
        const void* buffer = nullptr;
        const void* bg = nullptr;
        const void* himmel = nullptr;
        int windowW = 0, windowH = 0, bufferW = 0, bufferH = 0, bgW = 0, bgH = 0;
        int himmelW = 0, himmelH = 0;
        bool operator==(const Geometry&) const = default;
    };
    Geometry geometryOf(const gfx::Surface& window) const;

    void drawSky(gfx::Surface& target, const Frame& f, const PixelRect& clip);
    // True when the frame's sky strip covers all of r.
    bool skyCovers(const Frame& f, const PixelRect& r) const;
    void drawObjekt(gfx::Surface& target, const Frame& f, const PixelRect& clip);
    // The frame's sky band on the window, and whether only the sky and the
    // flying object lie in it (so that it may go straight onto the window).
    PixelRect bandOf(const Frame& f) const;
    bool bandIsSkyAndObjekt(const Frame& f) const;
    // Notes where picHimmel differs from its rows' colour, in blocks of
    // rows; and the band moved from the offset `from` to f's, drawn straight
    // onto the window where that shows.
    void measureSky();
    void moveBand(gfx::Surface& window, const Frame& f, int from);
    // Erases a flake's box in the out-of-date rows from the band's layers.
    void eraseFromLayers(gfx::Surface& window, const PixelRect& box);
    void printText(const Frame& f);
    void composeFull(gfx::Surface& window);
    void composeDamage(gfx::Surface& window);
    void addDamage(const PixelRect& r);

    ShowSurfaces& s_;
    Frame next_;   // the frame being recorded
    Frame shown_;  // the frame in picBuffer
    Geometry geometry_;
    bool valid_ = false;

    std::array<PixelRect, kMaxDamage> damage_{};
    int damageCount_ = 0;

    std::array<PixelRect, kMaxFlakes> flakeBoxes_{};  // last tick's flakes on the window
    int flakeCount_ = 0;
    std::array<PixelRect, kMaxFlakes> erasedBoxes_{};  // the flakes step 8 erased
    int erasedCount_ = 0;
    bool fullRefresh_ = true;           // the whole window was composed anew
    PixelRect movedBand_;               // the band this frame drew straight onto the window
    PixelRect staleBand_;               // picBuffer's rows that do not hold the frame
    std::optional<int> movedFrom_;      // the offset it moved from, where only that differs
    std::vector<PixelRect> bandDrawn_;  // the parts of the moved band drawn
    // Per block of kSkyBlockRows rows of picHimmel: the column runs [x0, x1)
    // where some row of the block is not its own colour.
    static constexpr int kSkyBlockRows = 16;
    std::vector<std::vector<std::pair<int, int>>> skyRuns_;
    std::vector<std::pair<int, int>> spans_;  // moveBand's spans of one block
    std::vector<ScreenArea> areas_;           // what refresh() shows
};

}  // namespace gm
