// The animation tick: the sky scroll and its wrap, the two sky copies, the
// date and time line, and where the layers end up (buffer or window).
#include <string>
#include <vector>

#include "animation_fixture.h"
#include "gfx/text.h"

namespace gm::test {
namespace {

TEST(Tick, SkyOffsetClimbsByAtMostOnePixelAndWrapsPastTheStripWidth) {
    Show show(1024, 768);
    show.scene.skyWidth = 1024;
    show.anim.curObjekt = -1;
    ScriptedRandom random;
    std::vector<int> offsets;
    for (int t = 1; t <= 1935; ++t) {
        show.anim.tmrAnimation_Timer();
        offsets.push_back(show.scene.skyOffset);
    }
    // 0.53, 1.06, 1.59, 2.12, 2.65 rounded.
    EXPECT_EQ(offsets[0], 1);
    EXPECT_EQ(offsets[1], 1);
    EXPECT_EQ(offsets[2], 2);
    EXPECT_EQ(offsets[3], 2);
    EXPECT_EQ(offsets[4], 3);
    for (std::size_t i = 1; i < 1933; ++i) {
        const int step = offsets[i] - offsets[i - 1];
        ASSERT_TRUE(step == 0 || step == 1) << "tick " << i + 1;
    }
    // Tick 1933: 1024.49 rounds to the strip width and is still drawn;
    // tick 1934: 1025.02 passes it and wraps; tick 1935 starts again.
    EXPECT_EQ(offsets[1932], 1024);
    EXPECT_EQ(offsets[1933], 0);
    EXPECT_EQ(show.anim.skyTick, 1);
    EXPECT_EQ(offsets[1934], 1);
}

TEST(Tick, ANegativeSkySpeedDriftsLeftAndWrapsBackToOnePeriod) {
    for (const Single speed : {-0.53f, -1000.0f}) {
        Show show(1024, 768);
        show.scene.skyWidth = 1024;
        show.settings.SpeedS = speed;
        show.anim.curObjekt = -1;
        ScriptedRandom random;
        int previous = 1022, wraps = 0;
        for (int t = 1; t <= 5000; ++t) {  // two periods at -0.53
            show.anim.tmrAnimation_Timer();
            const int offset = show.scene.skyOffset;
            ASSERT_TRUE(offset >= 0 && offset <= 1022) << speed << " tick " << t;
            wraps += offset > previous;
            previous = offset;
        }
        EXPECT_GE(wraps, speed > -1 ? 2 : 2000) << speed;
    }
}

TEST(Tick, AnOffsetEqualToTheStripWidthStillDrawsBothCopies) {
    Show show(1024, 768);
    show.anim.curObjekt = -1;
    const int skyW = show.scene.skyWidth;
    // One tick before the offset reaches the strip width.
    show.settings.SpeedS = 1;
    show.anim.skyTick = skyW - 1;
    ScriptedRandom random;
    show.anim.tmrAnimation_Timer();
    ASSERT_EQ(show.scene.skyOffset, skyW);
    const gfx::Surface& buffer = show.surfaces.picBuffer;
    const gfx::Surface& himmel = show.surfaces.picHimmel;
    // The left copy starts at x = 2; columns 0 and 1 keep the scene.
    EXPECT_EQ(gfx::GetPixel(buffer, 0, 10), gfx::GetPixel(show.surfaces.picBG, 0, 10));
    EXPECT_EQ(gfx::GetPixel(buffer, 1, 10), gfx::GetPixel(show.surfaces.picBG, 1, 10));
    EXPECT_EQ(gfx::GetPixel(buffer, 2, 10), gfx::GetPixel(himmel, 0, 10));
    EXPECT_EQ(gfx::GetPixel(buffer, 500, 10), gfx::GetPixel(himmel, 498, 10));
    // Below the strip the scene shows.
    EXPECT_EQ(gfx::GetPixel(buffer, 500, show.scene.skyHeight + 1),
              gfx::GetPixel(show.surfaces.picBG, 500, show.scene.skyHeight + 1));
}

TEST(Tick, TheSecondCopyOverlapsTheFirstByTwoPixels) {
    Show show(640, 480);
    show.anim.curObjekt = -1;
    show.settings.SpeedS = 1;
    show.anim.skyTick = 99;  // offset 100
    ScriptedRandom random;
    show.anim.tmrAnimation_Timer();
    const gfx::Surface& buffer = show.surfaces.picBuffer;
    const gfx::Surface& himmel = show.surfaces.picHimmel;
    const int skyW = show.scene.skyWidth;
    // x 0..99 come from the left copy (drawn second), which starts at
    // 100 - skyW + 2: column 99 shows strip column skyW - 3.
    EXPECT_EQ(gfx::GetPixel(buffer, 99, 5), gfx::GetPixel(himmel, skyW - 3, 5));
    EXPECT_EQ(gfx::GetPixel(buffer, 101, 5), gfx::GetPixel(himmel, skyW - 1, 5));
    EXPECT_EQ(gfx::GetPixel(buffer, 102, 5), gfx::GetPixel(himmel, 2, 5));
}

// A text renderer that records what it is asked to draw: every text is 12
// pixels high and 7 wide per character.
class RecordingText final : public gfx::TextRenderer {
  public:
    RecordingText() { gfx::setTextRenderer(this); }
    ~RecordingText() override { gfx::setTextRenderer(nullptr); }
    struct Call {
        const gfx::Surface* target;
        int x, y;
        std::string text;
        gfx::Colour colour;
    };
    std::vector<Call> calls;
    int textHeight(const gfx::FontLayout&, std::string_view) override { return 12; }
    int textWidth(const gfx::FontLayout&, std::string_view t) override {
        return 7 * static_cast<int>(t.size());
    }
    void drawText(gfx::Surface& s, int x, int y, const gfx::FontLayout&, std::string_view t,
                  gfx::Colour c) override {
        calls.push_back({&s, x, y, std::string(t), c});
    }
};

struct TextCase {
    int date, time;
};
class DateTimeLine : public ::testing::TestWithParam<TextCase> {};

TEST_P(DateTimeLine, StandsAtTheLowerLeftInThePicturesFontAndColour) {
    const TextCase c = GetParam();
    Show show(640, 480);
    show.anim.curObjekt = -1;
    show.settings.Date = c.date;
    show.settings.Time = c.time;
    LocalDateTime when;
    when.year = 2026, when.month = 12, when.day = 24, when.hour = 18, when.minute = 5;
    when.second = 9;
    show.platform.setDateTime(when);
    RecordingText text;
    ScriptedRandom random;
    show.anim.tmrAnimation_Timer();

    std::vector<std::string> expected;
    if (c.date) expected.push_back(show.platform.formatShortDate(when) + "   ");
    if (c.time) expected.push_back(show.platform.formatTime(when));
    ASSERT_EQ(text.calls.size(), expected.size());
    int x = 5;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const RecordingText::Call& call = text.calls[i];
        EXPECT_EQ(call.text, expected[i]);
        EXPECT_EQ(call.x, x);
        EXPECT_EQ(call.y, 480 - 12 - 3);
        EXPECT_EQ(call.target, &show.surfaces.picBuffer);
        EXPECT_EQ(call.colour, gfx::rgb(0, 0, 128));
        x += 7 * static_cast<int>(call.text.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Flags, DateTimeLine,
                         ::testing::Values(TextCase{0, 0}, TextCase{1, 0}, TextCase{0, 1},
                                           TextCase{1, 1}, TextCase{-1, -1}));

TEST(Tick, FlakesLieOnTheWindowOnlyAndTheNextFrameErasesThem) {
    Show show(640, 480);
    show.anim.curObjekt = -1;
    show.anim.lastFlake = 0;
    show.anim.Flakes[0] = {300, 300, 10};
    ScriptedRandom random;
    show.anim.tmrAnimation_Timer();
    const gfx::Surface& window = show.window.windowImage();
    EXPECT_EQ(gfx::GetPixel(window, 305, 305), 0xFFFFFF);
    EXPECT_EQ(gfx::GetPixel(show.surfaces.picBuffer, 305, 305), 0x606060);
    EXPECT_EQ(show.window.window().image().row(0), window.row(0));

    show.anim.Flakes[0] = {100, 300, 10};
    show.anim.tmrAnimation_Timer();
    EXPECT_EQ(gfx::GetPixel(window, 305, 305), 0x606060);
    EXPECT_EQ(gfx::GetPixel(window, 105, 305), 0xFFFFFF);
}

TEST(Tick, AnErrorIsReportedUnderTheTicksOwnName) {
    Show show(640, 480);
    show.anim.curObjekt = -1;
    show.anim.lastFlake = 501;  // the flake drawing steps past the last slot
    ErrorRecorder errors(2);
    ScriptedRandom random;
    show.anim.tmrAnimation_Timer();
    ASSERT_EQ(ErrorRecorder::reports().size(), 1u);
    EXPECT_EQ(ErrorRecorder::reports()[0].module, "frmMain");
    EXPECT_EQ(ErrorRecorder::reports()[0].proc, "tmrAnimation_timer");
    EXPECT_EQ(ErrorRecorder::reports()[0].number, 9);
    // Left at step 8: the window was not refreshed.
    EXPECT_EQ(dynamic_cast<HeadlessWindow&>(show.window.window()).refreshes(), 0);
}

}  // namespace
}  // namespace gm::test
