// The incremental composition gives the reference composition's frames: two
// shows at 1920 x 1080 with the same random sequence run side by side for
// hundreds of ticks, one composing every frame in full, the other only what
// changed, and their window images and buffers are compared after every
// tick. The run has the plane and birds crossing, a bird flying through the
// date and time line, text that changes, flakes that move and wrap, the sky
// strip wrapping, and a new seeding of the flakes halfway. Most of the time
// the moving sky band goes straight onto the window, where the sky picture
// is not its rows' own colour.
#include <algorithm>
#include <cstring>
#include <string>

#include "animation_fixture.h"
#include "gfx/text.h"

namespace gm::test {
namespace {

// Glyphs that blend half into what lies below and reach two pixels past
// their advance on the left, as antialiased glyphs do: printing one twice
// over itself gives other pixels than printing it once.
class BlendingText final : public gfx::TextRenderer {
  public:
    BlendingText() { gfx::setTextRenderer(this); }
    ~BlendingText() override { gfx::setTextRenderer(nullptr); }
    int textHeight(const gfx::FontLayout&, std::string_view) override { return 14; }
    int textWidth(const gfx::FontLayout&, std::string_view t) override {
        return 8 * static_cast<int>(t.size());
    }
    void drawText(gfx::Surface& s, int x, int y, const gfx::FontLayout&, std::string_view t,
                  gfx::Colour c) override {
        const std::uint32_t ink = gfx::toPixel(c);
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i] == ' ') continue;
            const int left = x + 8 * static_cast<int>(i) - 2;
            for (int py = y - 1; py < y + 15; ++py)
                for (int px = left; px < left + 11; ++px) {
                    if (px < 0 || py < 0 || px >= s.width() || py >= s.height()) continue;
                    if ((px + py + t[i]) % 3 == 0) continue;
                    std::uint32_t& d = s.row(py)[px];
                    d = ((d >> 1) & 0x7F7F7F) + ((ink >> 1) & 0x7F7F7F);
                }
        }
    }
};

// The process's generator, with a way to decide the next choice of object.
class ChoosingSource final : public RandomSource {
  public:
    explicit ChoosingSource(std::uint64_t seed) : inner_(seed) {}
    void chooseNext(int objekt) { forced_ = static_cast<Single>((objekt + 2000 + 0.5) / 2022.0); }
    Single next() override {
        if (forced_ >= 0) {
            const Single v = forced_;
            forced_ = -1;
            return v;
        }
        return inner_.next();
    }

  private:
    Pcg32Source inner_;
    Single forced_ = -1;
};

// Fills a surface with a pattern that differs from pixel to pixel.
void pattern(gfx::Surface& s, std::uint32_t salt) {
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            s.row(y)[x] =
                (static_cast<std::uint32_t>(x * 2654435761u + y * 40503u) ^ salt) & 0xFFFFFF;
}

// Compares two images, except the rows of `skipped`.
bool sameImage(const gfx::Surface& a, const gfx::Surface& b, std::string& where,
               const PixelRect& skipped = {}) {
    if (a.width() != b.width() || a.height() != b.height()) {
        where = "size";
        return false;
    }
    for (int y = 0; y < a.height(); ++y) {
        if (!skipped.empty() && y >= skipped.y0 && y < skipped.y1) continue;
        if (std::memcmp(a.row(y), b.row(y), sizeof(std::uint32_t) * a.width()) == 0) continue;
        for (int x = 0; x < a.width(); ++x)
            if (a.row(y)[x] != b.row(y)[x]) {
                where = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
                return false;
            }
    }
    return true;
}

// True when every pixel in which `now` differs from `before` lies in one of
// the refreshed areas: the screen shows what the window holds.
bool changesWereRefreshed(const gfx::Bitmap& before, const gfx::Surface& now,
                          const std::vector<ScreenArea>& areas, std::string& where) {
    std::vector<unsigned char> covered(static_cast<std::size_t>(now.width()) * now.height(), 0);
    for (const ScreenArea& a : areas)
        for (int y = a.y; y < a.y + a.height; ++y)
            std::fill_n(covered.begin() + static_cast<std::ptrdiff_t>(y) * now.width() + a.x,
                        a.width, 1);
    for (int y = 0; y < now.height(); ++y)
        for (int x = 0; x < now.width(); ++x)
            if (before.row(y)[x] != now.row(y)[x] &&
                !covered[static_cast<std::size_t>(y) * now.width() + x]) {
                where = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
                return false;
            }
    return true;
}

// A sky band as the scene paints one: each row one colour, with blots
// (clouds) and specks (snow) of other colours here and there.
void bandLike(gfx::Surface& s) {
    for (int y = 0; y < s.height(); ++y)
        std::fill_n(s.row(y), s.width(), 0x203040u + static_cast<std::uint32_t>(y));
    for (int i = 0; i < 40; ++i) {
        const int cx = (i * 397) % s.width(), cy = (i * 61) % s.height(), r = 8 + i % 30;
        for (int y = std::max(cy - r, 0); y < std::min(cy + r, s.height()); ++y)
            for (int x = std::max(cx - r, 0); x < std::min(cx + r, s.width()); ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r)
                    s.row(y)[x] = 0xC0C0D0u + static_cast<std::uint32_t>((x * 7 + y) & 0x1F);
    }
    for (int i = 0; i < 400; ++i) s.row((i * 37) % s.height())[(i * 1031) % s.width()] = 0xFFFFFF;
}

struct Side {
    Side(Composition mode, void (*paintSky)(gfx::Surface&)) : show(kW, kH, 400000), random(11) {
        show.anim.setComposition(mode);
        show.settings.Date = 1;
        show.settings.Time = 1;
        show.anim.lastFlake = 300;
        pattern(show.surfaces.picBG, 0x123456);
        paintSky(show.surfaces.picHimmel);
        for (int i = 0; i <= 300; ++i)
            show.anim.Flakes[i] = {(i * 37) % kW, (i * 53) % kH, 4 + i % 7};
    }
    void enter() {
        setPlatform(&show.platform);
        setRandomSource(&random);
    }
    static constexpr int kW = 1920, kH = 1080;
    Show show;
    ChoosingSource random;
    int nextChoice = 0;
};

// What both sides do between two ticks.
void between(Side& side, int tick) {
    Animation& a = side.show.anim;
    // Flakes drift by a fixed rule and wrap at the right edge.
    for (int i = 0; i <= a.lastFlake; ++i) {
        Flake& f = a.Flakes[i];
        f.x = f.x + ((tick * 7 + i * 13) % 19 - 6);
        f.y = f.y + ((tick * 3 + i * 5) % 28 - 3);
        if (f.x > Side::kW) f.x = f.x - Side::kW;
        if (f.y > Side::kH) f.y = 0;
    }
    // The clock's seconds move every ten ticks.
    LocalDateTime t;
    t.year = 2026, t.month = 12, t.day = 8, t.hour = 12, t.minute = tick / 600;
    t.second = (tick / 10) % 60;
    side.show.platform.setDateTime(t);
    // No object flies: the next one comes at once, in a fixed order.
    static constexpr int kOrder[] = {21, 3, 14, 2, 12, 5};
    if (a.curObjekt <= 0) side.random.chooseNext(kOrder[side.nextChoice++ % 6]);
    // A bird that flies low through the date and time line.
    if (tick == 420) {
        a.curObjekt = 3;
        a.Objekte[3].x = -100;
        a.Objekte[3].y = Side::kH - 50;
        a.Objekte[3].active = kTrue;
    }
    // The sky strip runs up to its width and wraps: at offsets near the
    // width its left copy leaves the first columns of the band to the scene.
    if (tick == 100) a.skyTick = static_cast<int>((side.show.scene.skyWidth - 4) / 0.53);
    // A new seeding halfway: the window shows flakes no frame drew.
    if (tick == 300) a.seedFlakes();
}

// Two refreshed areas of the window's full width share rows.
bool bandRefreshedTwice(const std::vector<ScreenArea>& areas) {
    for (std::size_t i = 0; i < areas.size(); ++i)
        for (std::size_t j = i + 1; j < areas.size(); ++j) {
            const ScreenArea &a = areas[i], &b = areas[j];
            if (a.width == Side::kW && b.width == Side::kW && a.y < b.y + b.height &&
                b.y < a.y + a.height)
                return true;
        }
    return false;
}

// Both compositions side by side for 600 ticks.
void compareTickForTick(void (*paintSky)(gfx::Surface&)) {
    Side reference(Composition::Reference, paintSky);
    Side incremental(Composition::Incremental, paintSky);
    int objektTicks = 0, textChanges = 0, partialRefreshes = 0, skyWraps = 0, directBands = 0;
    std::string lastText;
    gfx::Bitmap before;
    for (int tick = 0; tick < 600; ++tick) {
        for (Side* side : {&reference, &incremental}) {
            side->enter();
            between(*side, tick);
            side->show.anim.tmrAnimation_Timer();
        }
        std::string where;
        const ShowWindow& shown = incremental.show.window;
        if (!shown.lastRefreshWasFull) {
            ++partialRefreshes;
            ASSERT_TRUE(changesWereRefreshed(before, incremental.show.window.windowImage(),
                                             shown.refreshedAreas, where))
                << "a change at " << where << " in tick " << tick << " was not refreshed";
        }
        // A moved sky strip is recomposed and refreshed once: its old and
        // its new place are the same rows, and no row of it is refreshed
        // twice.
        ASSERT_FALSE(bandRefreshedTwice(shown.refreshedAreas))
            << "the sky band was refreshed more than once in tick " << tick;
        before = incremental.show.window.windowImage().image();
        ASSERT_TRUE(sameImage(reference.show.window.windowImage(),
                              incremental.show.window.windowImage(), where))
            << "window differs at " << where << " after tick " << tick;
        // The buffer holds the frame, but for the sky band where that went
        // straight onto the window (whose flakes are erased from the layers).
        const PixelRect& stale = incremental.show.anim.staleBuffer();
        directBands += !stale.empty();
        ASSERT_TRUE(sameImage(reference.show.surfaces.picBuffer,
                              incremental.show.surfaces.picBuffer, where, stale))
            << "buffer differs at " << where << " after tick " << tick;
        ASSERT_EQ(reference.show.anim.curObjekt, incremental.show.anim.curObjekt);
        objektTicks += reference.show.anim.curObjekt > 0;
        skyWraps += reference.show.scene.skyOffset == 0;
        const std::string now = reference.show.platform.formatTime(reference.show.platform.now());
        textChanges += now != lastText;
        lastText = now;
    }
    setRandomSource(nullptr);
    // The run did what it set out to: objects flew most of the time and the
    // text changed again and again.
    EXPECT_GT(objektTicks, 500);
    EXPECT_GT(partialRefreshes, 500);
    EXPECT_GE(skyWraps, 1);
    EXPECT_GE(textChanges, 50);
    EXPECT_GT(directBands, 300);
}

TEST(Composition, IncrementalFramesEqualTheReferenceFramesTickForTick) {
    BlendingText text;
    // A sky picture that differs from pixel to pixel, and one like the
    // scene's, whose rows are mostly one colour.
    const auto patterned = [](gfx::Surface& s) { pattern(s, 0xA5A5A5); };
    for (void (*paintSky)(gfx::Surface&) : {+patterned, &bandLike}) {
        SCOPED_TRACE(paintSky == &bandLike ? "a sky like the scene's" : "a patterned sky");
        compareTickForTick(paintSky);
    }
}

}  // namespace
}  // namespace gm::test
