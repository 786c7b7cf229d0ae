// The flying objects: five small birds that cross the sky from left to right
// (objects 1..5) or, mirrored, from right to left (11..15), and at most once
// in five minutes the plane with its banner (21), from right to left. At most
// one object is on screen; the tick moves it, draws it, or picks the next.
#include "animation/animation.h"
#include "animation/tick_count.h"
#include "common/allgemein.h"
#include "errors/trap.h"
#include "gfx/bitmap_resource.h"

namespace gm {
namespace {

// Pictures: bird n (1..5) is strip 200 + n with mask 210 + n; the plane is
// strip 221 with mask 222.
constexpr int kBirdStrip = 200;
constexpr int kBirdMask = 210;
constexpr int kPlaneStrip = 221;
constexpr int kPlaneMask = 222;
constexpr int kPlane = 21;

// A bird frame is drawn 79 x 65 from a strip of 80-pixel-wide frames stacked
// at 65-pixel steps; the plane's frames are 330 x 100.
constexpr int kBirdWidth = 79, kBirdHeight = 65, kBirdStripWidth = 80;
constexpr int kPlaneWidth = 330, kPlaneHeight = 100;

// The plane may start again once this much time has passed since its last start.
constexpr std::uint32_t kPlaneGapMs = 300000;

bool inRange(Int16 v, int lo, int hi) { return v >= lo && v <= hi; }

// Objects that ObjektFlieg moves.
bool isFlyingObjekt(Int16 n) { return inRange(n, 1, 5) || inRange(n, 11, 15) || n == kPlane; }

// Paints a just-loaded strip onto its own surface reversed left to right
// over the frame band x 0..79 (reading from source x = 1); the frames stay
// where they are vertically. At scale k both are k times as wide.
void mirrorStrip(gfx::Surface& surface, const gfx::Bitmap& strip, double k) {
    const int band = CInt(kBirdStripWidth * k);
    gfx::DrawPicture(surface, strip.view(), band, 0, -band, strip.height(), CInt(k), 0,
                     strip.width(), strip.height());
}

}  // namespace

void Animation::placeObjekte() {
    const double h = H();
    for (Int16 n = 1; n <= 5; n = n + 1) {
        Objekte[n].x = CInt(-150 * k());
        Objekte[n].y = Zz(CInt(0.05 * h), CInt(0.4 * h));
    }
    for (Int16 n = 11; n <= 15; n = n + 1) {
        Objekte[n].x = CInt(W());
        Objekte[n].y = Zz(CInt(0.05 * h), CInt(0.25 * h));
    }
    Objekte[kPlane].x = CInt(W());
    Objekte[kPlane].y = Zz(CInt(0.05 * h), CInt(0.15 * h));
    paintFlyersAhead();
}

gfx::Bitmap Animation::picture(int id) const {
    if (k() == 1) return load_(id);
    const auto ahead = flyers_.find(id);
    if (flyersScale_ == k() && ahead != flyers_.end()) return ahead->second;
    return gfx::LoadScaledBitmap(id, k(), k());
}

void Animation::paintFlyersAhead() {
    if (k() == 1 || flyersScale_ == k()) return;
    flyers_.clear();
    for (int n = 1; n <= 5; ++n)
        for (const int id : {kBirdStrip + n, kBirdMask + n})
            flyers_.emplace(id, gfx::PaintScaledBitmap(id, k(), k()));
    for (const int id : {kPlaneStrip, kPlaneMask})
        flyers_.emplace(id, gfx::PaintScaledBitmap(id, k(), k()));
    flyersScale_ = k();
}

void Animation::loadObjekt(int maskId, int pictureId, bool mirrored) {
    const gfx::Bitmap mask = picture(maskId);
    s_.picMask.setPicture(mask.view());
    if (mirrored) mirrorStrip(s_.picMask, mask, k());
    const gfx::Bitmap strip = picture(pictureId);
    s_.picObjekt.setPicture(strip.view());
    if (mirrored) mirrorStrip(s_.picObjekt, strip, k());
    ++pictures_;
}

void Animation::chooseObjekt() {
    curObjekt = Zz(-2000, 21);
    // 6..10 and 16..20 are second chances for the five birds.
    if (inRange(curObjekt, 6, 10) || inRange(curObjekt, 16, 20)) curObjekt = curObjekt - 5;
    if (inRange(curObjekt, 1, 5)) {
        loadObjekt(kBirdMask + curObjekt, kBirdStrip + curObjekt, false);
    } else if (inRange(curObjekt, 11, 15)) {
        loadObjekt(kBirdStrip + curObjekt, kBirdStrip - 10 + curObjekt, true);
    } else if (curObjekt == kPlane) {
        if (elapsedMs(tickNow, lastBigTime) < kPlaneGapMs) {
            curObjekt = 0;
            return;
        }
        loadObjekt(kPlaneMask, kPlaneStrip, false);
        lastBigTime = tickNow;
    }
}

void Animation::drawObjekt() {
    const Objekt& o = Objekte[curObjekt];
    const auto scaled = [&](double v) { return CInt(v * k()).value(); };
    if (curObjekt == kPlane) {
        composer_.objekt(o.x, o.y, scaled(kPlaneWidth), scaled(kPlaneHeight),
                         scaled((o.frame - 1) * kPlaneHeight), pictures_);
    } else {
        composer_.objekt(o.x, o.y, scaled(kBirdWidth), scaled(kBirdHeight),
                         scaled((o.frame - 1) * kBirdHeight), pictures_);
    }
}

void Animation::ObjektFlieg() {
    trapped("frmMain", "ObjektFlieg", [&](Trap& at) {
        Int16 dy1, dy2, dy;
        // Bounds of this step's wobble, drawn on every call.
        at(50010, [&] { dy1 = Zz(-10, -3); });
        at(50020, [&] { dy2 = Zz(0, 5); });
        // The frame advances on every second call; birds show frames 1..6,
        // the plane frames 1..2.
        at(50030, [&] {
            frameTick = frameTick + 1;
            if (mod(frameTick, Int16(2)) == 0) {
                Objekt& o = Objekte[curObjekt];
                o.frame = o.frame + 1;
            }
        });
        at(50040, [&] {
            Objekt& o = Objekte[curObjekt];
            if (o.frame == (curObjekt == kPlane ? 3 : 7)) {
                o.frame = 1;
                frameTick = 1;
            }
        });
        at(50050, [&] {
            if (!isFlyingObjekt(curObjekt)) return;
            Objekt& o = Objekte[curObjekt];
            if (o.active == 0) {
                // The flight starts; no movement in this call.
                o.active = kTrue;
                return;
            }
            // Steps and margins are logical pixels: k times as many physical ones.
            const double w = W(), h = H(), s = k();
            if (inRange(curObjekt, 1, 5)) {
                dy = CInt(Zz(dy1, dy2) * s);
                o.x = CInt((static_cast<Single>(o.x + CInt(Zz(2, 4) * s)) +
                            static_cast<Single>(settings_.SpeedO * s)));
                o.y = o.y + dy;
                if (o.x > w || o.y < -50 * s) {
                    o.active = kFalse;
                    o.x = CInt(-150 * s);
                    o.y = Zz(CInt(0.1 * h), CInt(0.4 * h));
                    curObjekt = 0;
                }
            } else if (inRange(curObjekt, 11, 15)) {
                dy = CInt(Zz(dy1, dy2) * s);
                o.x = CInt((static_cast<Single>(o.x - CInt(Zz(2, 4) * s)) -
                            static_cast<Single>(settings_.SpeedO * s)));
                o.y = o.y + dy;
                if (o.x < -150 * s || o.y < -50 * s) {
                    o.active = kFalse;
                    o.x = CInt(w);
                    o.y = Zz(CInt(0.1 * h), CInt(0.4 * h));
                    curObjekt = 0;
                }
            } else if (curObjekt == kPlane) {
                dy = CInt((dy1 * 0.3 + 2) * s);
                o.x = CInt((static_cast<Single>(o.x) - static_cast<Single>(settings_.SpeedO * s)));
                o.y = o.y + dy;
                if (o.x < -350 * s || o.y < -80 * s) {
                    o.active = kFalse;
                    o.x = CInt(w);
                    o.y = Zz(0, CInt(0.08 * h));
                    curObjekt = 0;
                }
            }
        });
    });
}

bool Animation::objektFlies() const { return isFlyingObjekt(curObjekt); }

}  // namespace gm
