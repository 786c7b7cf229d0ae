#include "animation/frame_composer.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace gm {

using gfx::Rop;
using gfx::Surface;

namespace {

// BitBlt of the part of the destination rectangle (x, y, width, height) that
// lies inside clip, reading the source pixels the whole blit would read there.
void blitClipped(Surface& dst, const PixelRect& clip, int x, int y, int width, int height,
                 const Surface& src, int srcX, int srcY, Rop rop) {
    const int x0 = std::max(x, clip.x0), y0 = std::max(y, clip.y0);
    const int x1 = std::min(x + width, clip.x1), y1 = std::min(y + height, clip.y1);
    if (x0 >= x1 || y0 >= y1) return;
    gfx::BitBlt(dst, x0, y0, x1 - x0, y1 - y0, src, srcX + (x0 - x), srcY + (y0 - y), rop);
}

const void* pixelsOf(const Surface& s) { return s.view().pixels; }

}  // namespace

PixelRect PixelRect::clippedTo(int width, int height) const {
    return {std::max(x0, 0), std::max(y0, 0), std::min(x1, width), std::min(y1, height)};
}

bool FrameComposer::Frame::sameSky(const Frame& o) const {
    return hasSky == o.hasSky && skyOffset == o.skyOffset && skyTop == o.skyTop &&
           skyWidth == o.skyWidth && skyHeight == o.skyHeight;
}

bool FrameComposer::Frame::sameObjekt(const Frame& o) const {
    return hasObjekt == o.hasObjekt &&
           (!hasObjekt ||
            (objekt == o.objekt && objektSrcY == o.objektSrcY && pictures == o.pictures));
}

bool FrameComposer::Frame::sameText(const Frame& o) const {
    if (textCount != o.textCount) return false;
    if (textCount == 0) return true;
    if (textX != o.textX || textY != o.textY) return false;
    for (int i = 0; i < textCount; ++i)
        if (text[i] != o.text[i]) return false;
    return true;
}

// --- Recording the layers ----------------------------------------------------

void FrameComposer::background(int width, int height) {
    if (mode == Composition::Reference) {
        gfx::BitBlt(s_.picBuffer, 0, 0, width, height, s_.picBG, 0, 0, Rop::SrcCopy);
        return;
    }
    next_.width = width;
    next_.height = height;
    next_.hasSky = false;
    next_.hasObjekt = false;
    next_.textCount = 0;
}

void FrameComposer::sky(int offset, int top, int width, int height) {
    next_.hasSky = true;
    next_.skyOffset = offset;
    next_.skyTop = top;
    next_.skyWidth = width;
    next_.skyHeight = height;
    if (mode == Composition::Reference)
        drawSky(s_.picBuffer, next_, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
}

void FrameComposer::objekt(int x, int y, int width, int height, int srcY, std::uint32_t pictures) {
    next_.hasObjekt = true;
    next_.objekt = {x, y, x + width, y + height};
    next_.objektSrcY = srcY;
    next_.pictures = pictures;
    if (mode == Composition::Reference) drawObjekt(s_.picBuffer, next_, next_.objekt);
}

void FrameComposer::textPosition(double x, double y) {
    if (mode == Composition::Reference) {
        s_.picBuffer.currentX = x;
        s_.picBuffer.currentY = y;
        return;
    }
    next_.textX = x;
    next_.textY = y;
    next_.textCount = 0;
    next_.textBox = {};
}

void FrameComposer::print(std::string_view piece) {
    if (mode == Composition::Reference) {
        gfx::PrintText(s_.picBuffer, piece);
        return;
    }
    if (next_.textCount == kMaxText) return;
    // The box the text may touch: its advance and height, with a margin as
    // wide as a line is high for glyphs that reach past their advance.
    const int height = gfx::TextHeight(s_.picBuffer, piece);
    const int margin = height + 2;
    PixelRect& box = next_.textBox;
    if (next_.textCount == 0) {
        const int x = static_cast<int>(next_.textX), y = static_cast<int>(next_.textY);
        box = {x - margin, y - margin, x + margin, y + margin};
    }
    box.x1 += gfx::TextWidth(s_.picBuffer, piece);
    box.y1 = std::max(box.y1, static_cast<int>(next_.textY) + height + margin);
    next_.text[next_.textCount++] = std::string(piece);
}

// --- Drawing the layers --------------------------------------------------------

void FrameComposer::drawSky(Surface& target, const Frame& f, const PixelRect& clip) {
    blitClipped(target, clip, f.skyOffset, f.skyTop, f.skyWidth, f.skyHeight, s_.picHimmel, 0, 0,
                Rop::SrcCopy);
    blitClipped(target, clip, f.skyOffset - f.skyWidth + 2, f.skyTop, f.skyWidth, f.skyHeight,
                s_.picHimmel, 0, 0, Rop::SrcCopy);
}

bool FrameComposer::skyCovers(const Frame& f, const PixelRect& r) const {
    // The strip and its copy together span offset - width + 2 .. offset + width.
    return f.hasSky && s_.picHimmel.width() >= f.skyWidth && s_.picHimmel.height() >= f.skyHeight &&
           r.x0 >= f.skyOffset - f.skyWidth + 2 && r.x1 <= f.skyOffset + f.skyWidth &&
           r.y0 >= f.skyTop && r.y1 <= f.skyTop + f.skyHeight;
}

void FrameComposer::drawObjekt(Surface& target, const Frame& f, const PixelRect& clip) {
    const PixelRect& o = f.objekt;
    const int x0 = std::max(o.x0, clip.x0), y0 = std::max(o.y0, clip.y0);
    const int x1 = std::min(o.x1, clip.x1), y1 = std::min(o.y1, clip.y1);
    if (x0 >= x1 || y0 >= y1) return;
    gfx::MaskedBlt(target, x0, y0, x1 - x0, y1 - y0, s_.picMask, s_.picObjekt, x0 - o.x0,
                   f.objektSrcY + (y0 - o.y0));
}

PixelRect FrameComposer::bandOf(const Frame& f) const {
    return PixelRect{0, f.skyTop, f.width, f.skyTop + f.skyHeight}.clippedTo(f.width, f.height);
}

bool FrameComposer::bandIsSkyAndObjekt(const Frame& f) const {
    const PixelRect band = bandOf(f);
    return f.hasSky && !band.empty() && skyCovers(f, band) &&
           !(f.textCount > 0 && f.textBox.intersects(band));
}

void FrameComposer::printText(const Frame& f) {
    s_.picBuffer.currentX = f.textX;
    s_.picBuffer.currentY = f.textY;
    for (int i = 0; i < f.textCount; ++i) gfx::PrintText(s_.picBuffer, f.text[i]);
}

// --- Presenting -------------------------------------------------------------------

FrameComposer::Geometry FrameComposer::geometryOf(const Surface& window) const {
    return {pixelsOf(window), pixelsOf(s_.picBuffer), pixelsOf(s_.picBG),   pixelsOf(s_.picHimmel),
            window.width(),   window.height(),        s_.picBuffer.width(), s_.picBuffer.height(),
            s_.picBG.width(), s_.picBG.height(),      s_.picHimmel.width(), s_.picHimmel.height()};
}

void FrameComposer::present(Surface& window, int width, int height) {
    if (mode == Composition::Reference) {
        gfx::BitBlt(window, 0, 0, width, height, s_.picBuffer, 0, 0, Rop::SrcCopy);
        valid_ = false;
        fullRefresh_ = true;
        return;
    }
    const Geometry g = geometryOf(window);
    // Damage tracking needs every surface at the frame's size, as they are
    // from the end of a composition until the next change of size.
    const bool fits = g.windowW == width && g.windowH == height && g.bufferW == width &&
                      g.bufferH == height && g.bgW == width && g.bgH == height;
    fullRefresh_ = !(valid_ && fits && g == geometry_ && next_.width == shown_.width &&
                     next_.height == shown_.height);
    if (fullRefresh_) {
        composeFull(window);
    } else {
        composeDamage(window);
    }
    geometry_ = g;
    valid_ = fits;
    shown_ = next_;
}

void FrameComposer::composeFull(Surface& window) {
    const Frame& f = next_;
    gfx::BitBlt(s_.picBuffer, 0, 0, f.width, f.height, s_.picBG, 0, 0, Rop::SrcCopy);
    const PixelRect all{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    if (f.hasSky) drawSky(s_.picBuffer, f, all);
    if (f.hasObjekt) drawObjekt(s_.picBuffer, f, all);
    printText(f);
    gfx::BitBlt(window, 0, 0, f.width, f.height, s_.picBuffer, 0, 0, Rop::SrcCopy);
    movedBand_ = staleBand_ = {};
    bandDrawn_.clear();
    measureSky();
}

void FrameComposer::measureSky() {
    const Surface& sky = s_.picHimmel;
    // Columns of other colours closer than this are one run.
    constexpr int kGap = 16;
    skyRuns_.assign((sky.height() + kSkyBlockRows - 1) / kSkyBlockRows, {});
    std::vector<std::uint8_t> other(static_cast<std::size_t>(sky.width()));
    for (std::size_t b = 0; b < skyRuns_.size(); ++b) {
        std::fill(other.begin(), other.end(), 0);
        const int y0 = static_cast<int>(b) * kSkyBlockRows;
        for (int y = y0; y < std::min(y0 + kSkyBlockRows, sky.height()); ++y) {
            // The row's own colour: the majority vote of its pixels (any
            // colour would do; the most common one leaves the fewest runs).
            const std::uint32_t* row = sky.row(y);
            std::uint32_t own = row[0];
            int votes = 0;
            for (int x = 0; x < sky.width(); ++x) {
                if (votes == 0) own = row[x];
                votes += row[x] == own ? 1 : -1;
            }
            for (int x = 0; x < sky.width(); ++x) other[x] |= row[x] != own;
        }
        auto& runs = skyRuns_[b];
        for (int x = 0; x < sky.width(); ++x) {
            if (!other[x]) continue;
            if (!runs.empty() && x - runs.back().second < kGap)
                runs.back().second = x + 1;
            else
                runs.push_back({x, x + 1});
        }
    }
}

void FrameComposer::moveBand(Surface& window, const Frame& f, int from) {
    // A column of the window shows the strip's column x - offset, or the
    // copy's x - offset + width - 2: a run of the picture appears at both
    // places, at the old and at the new offset.
    const int shifts[] = {from, from - f.skyWidth + 2, f.skyOffset, f.skyOffset - f.skyWidth + 2};
    for (std::size_t b = 0; b < skyRuns_.size(); ++b) {
        const int y0 = f.skyTop + static_cast<int>(b) * kSkyBlockRows;
        const int y1 = std::min(y0 + kSkyBlockRows, f.skyTop + f.skyHeight);
        spans_.clear();
        for (const auto& [x0, x1] : skyRuns_[b])
            for (const int shift : shifts)
                if (x1 + shift > 0 && x0 + shift < f.width)
                    spans_.push_back({std::max(x0 + shift, 0), std::min(x1 + shift, f.width)});
        std::sort(spans_.begin(), spans_.end());
        for (std::size_t i = 0; i < spans_.size();) {
            int x0 = spans_[i].first, x1 = spans_[i].second;
            for (++i; i < spans_.size() && spans_[i].first <= x1; ++i)
                x1 = std::max(x1, spans_[i].second);
            const PixelRect r{x0, y0, x1, y1};
            drawSky(window, f, r);
            if (f.hasObjekt && f.objekt.intersects(r)) drawObjekt(window, f, r);
            bandDrawn_.push_back(r);
        }
    }
}

void FrameComposer::addDamage(const PixelRect& r) {
    const PixelRect c = r.clippedTo(next_.width, next_.height);
    if (c.empty()) return;
    // A rectangle that overlaps one already damaged so much that their union
    // is no larger than both apart becomes that union: the sky strip's old
    // and new place are the same rows whenever it moves, and a flying
    // object's old and new place overlap but for the few pixels it moved;
    // apart, the overlap would be composed and copied twice.
    const auto area = [](const PixelRect& a) {
        return static_cast<std::int64_t>(a.x1 - a.x0) * (a.y1 - a.y0);
    };
    for (int i = 0; i < damageCount_; ++i) {
        const PixelRect& d = damage_[i];
        const PixelRect both{std::min(d.x0, c.x0), std::min(d.y0, c.y0), std::max(d.x1, c.x1),
                             std::max(d.y1, c.y1)};
        if (area(both) <= area(d) + area(c)) {
            damage_[i] = both;
            return;
        }
    }
    // kMaxDamage covers every rectangle one frame can add (two sky bands,
    // two object places, two text boxes and the text box again).
    if (damageCount_ < kMaxDamage) damage_[damageCount_++] = c;
}

void FrameComposer::composeDamage(Surface& window) {
    const Frame& f = next_;
    const Frame& old = shown_;
    damageCount_ = 0;
    // The band moved over the same rows, where only the sky and the object
    // lie: straight onto the window below. Otherwise, as every other change,
    // through picBuffer, which then holds the band again.
    const PixelRect band = bandOf(f);
    const bool direct = bandIsSkyAndObjekt(f);
    movedBand_ = {};
    bandDrawn_.clear();
    if (!f.sameSky(old)) {
        if (direct && old.hasSky && bandOf(old) == band) {
            movedBand_ = band;
            // Only where the picture shows at either offset, if the band
            // showed nothing but the same picture before.
            movedFrom_ = skyCovers(old, band) && old.skyWidth == f.skyWidth
                             ? std::optional<int>(old.skyOffset)
                             : std::nullopt;
        } else {
            // The strip and its copy span the whole width of the band.
            if (old.hasSky) addDamage({0, old.skyTop, f.width, old.skyTop + old.skyHeight});
            if (f.hasSky) addDamage({0, f.skyTop, f.width, f.skyTop + f.skyHeight});
        }
    }
    if (!staleBand_.empty() && !(direct && staleBand_ == band)) addDamage(staleBand_);
    if (!f.sameObjekt(old)) {
        if (old.hasObjekt) addDamage(old.objekt);
        if (f.hasObjekt) addDamage(f.objekt);
    }
    if (!f.sameText(old)) {
        if (old.textCount > 0) addDamage(old.textBox);
        if (f.textCount > 0) addDamage(f.textBox);
    }
    // Printed text blends its edges into what lies below: whenever any of
    // it must be redrawn, its whole box is recomposed first.
    bool textDamaged = false;
    if (f.textCount > 0) {
        for (int i = 0; i < damageCount_; ++i) textDamaged |= damage_[i].intersects(f.textBox);
        if (textDamaged) addDamage(f.textBox);
    }
    // Where picBuffer's band rows are out of date anyway (the band moved
    // straight onto the window, now or before), what changes inside the band
    // (the flying object's old and new place) goes straight onto the window
    // as well: sky, then object, which give the frame's pixels whatever lay
    // there before.
    const bool bandStale = direct && (movedBand_ == band || staleBand_ == band);
    const auto onWindow = [&](const PixelRect& r) { return bandStale && band.contains(r); };
    // Layer by layer over all damaged rectangles, so that overlapping
    // rectangles never cover a layer with an earlier one. The scene need not
    // be copied where the sky strip covers it anyway (most of the sky band).
    for (int i = 0; i < damageCount_; ++i) {
        const PixelRect& r = damage_[i];
        if (skyCovers(f, r)) continue;
        gfx::BitBlt(s_.picBuffer, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, s_.picBG, r.x0, r.y0,
                    Rop::SrcCopy);
    }
    for (int i = 0; i < damageCount_; ++i) {
        Surface& target = onWindow(damage_[i]) ? window : s_.picBuffer;
        if (f.hasSky) drawSky(target, f, damage_[i]);
        if (f.hasObjekt) drawObjekt(target, f, damage_[i]);
    }
    if (textDamaged) printText(f);
    for (int i = 0; i < damageCount_; ++i) {
        const PixelRect& r = damage_[i];
        if (onWindow(r)) continue;
        gfx::BitBlt(window, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, s_.picBuffer, r.x0, r.y0,
                    Rop::SrcCopy);
        if (r.contains(staleBand_)) staleBand_ = {};
    }
    if (!movedBand_.empty()) {
        if (movedFrom_) {
            moveBand(window, f, *movedFrom_);
        } else {
            drawSky(window, f, movedBand_);
            if (f.hasObjekt) drawObjekt(window, f, movedBand_);
            bandDrawn_.push_back(movedBand_);
        }
        staleBand_ = movedBand_;
    }
}

void FrameComposer::eraseFromLayers(Surface& window, const PixelRect& box) {
    // Above and below the out-of-date rows picBuffer holds the frame.
    const PixelRect above{box.x0, box.y0, box.x1, std::min(box.y1, staleBand_.y0)};
    const PixelRect below{box.x0, std::max(box.y0, staleBand_.y1), box.x1, box.y1};
    for (const PixelRect& r : {above, below})
        if (!r.empty())
            gfx::BitBlt(window, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, s_.picBuffer, r.x0, r.y0,
                        Rop::SrcCopy);
    const PixelRect in{box.x0, std::max(box.y0, staleBand_.y0), box.x1,
                       std::min(box.y1, staleBand_.y1)};
    drawSky(window, shown_, in);
    if (shown_.hasObjekt) drawObjekt(window, shown_, in);
}

void FrameComposer::eraseFlakes(Surface& window) {
    if (mode == Composition::Incremental) {
        for (int i = 0; i < flakeCount_; ++i) {
            const PixelRect& r = flakeBoxes_[i];
            if (!staleBand_.empty() && r.intersects(staleBand_)) {
                eraseFromLayers(window, r);
                continue;
            }
            gfx::CopyEllipse(window, s_.picBuffer, r.x0, r.y0, r.x1, r.y1);
        }
    }
    erasedBoxes_ = flakeBoxes_;
    erasedCount_ = flakeCount_;
    flakeCount_ = 0;
}

void FrameComposer::noteFlake(const PixelRect& box) {
    if (flakeCount_ < kMaxFlakes) flakeBoxes_[flakeCount_++] = box;
}

void FrameComposer::refresh(ShowHost& host) {
    if (fullRefresh_) {
        host.refreshWindow();
        return;
    }
    areas_.clear();
    const auto add = [&](const PixelRect& r) {
        const PixelRect c = r.clippedTo(shown_.width, shown_.height);
        if (!c.empty()) areas_.push_back({c.x0, c.y0, c.x1 - c.x0, c.y1 - c.y0});
    };
    for (int i = 0; i < damageCount_; ++i) add(damage_[i]);
    // Of a moved band only what was drawn: most of its rows are one colour
    // and look the same at the new offset.
    for (const PixelRect& r : bandDrawn_) add(r);
    // A flake's old and new place, as one box where that is smaller than
    // the two: it moves a few pixels a tick, the large flakes of a scaled
    // landscape farther than their size.
    const auto area = [](const PixelRect& r) {
        return static_cast<long long>(r.x1 - r.x0) * (r.y1 - r.y0);
    };
    for (int i = 0; i < std::max(erasedCount_, flakeCount_); ++i) {
        if (i >= flakeCount_ || i >= erasedCount_) {
            add(i < flakeCount_ ? flakeBoxes_[i] : erasedBoxes_[i]);
            continue;
        }
        const PixelRect& a = erasedBoxes_[i];
        const PixelRect& b = flakeBoxes_[i];
        const PixelRect both{std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1),
                             std::max(a.y1, b.y1)};
        if (area(both) <= area(a) + area(b)) {
            add(both);
        } else {
            add(a);
            add(b);
        }
    }
    host.refreshWindowAreas(areas_.data(), static_cast<int>(areas_.size()));
}

}  // namespace gm
