// The headless platform: the virtual clock and its wrap, timers, scripted
// input, window sizes and the recorded calls.
#include "platform/headless/headless_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gm {
namespace {

// Logs every event with the clock.
class Log final : public WindowEvents {
  public:
    explicit Log(HeadlessPlatform& p) : p_(p) {}
    void onResize() override { add("resize"); }
    void onClick() override { add("click"); }
    void onDblClick() override { add("dblclick"); }
    void onKeyDown(Key k) override { add("keydown " + std::to_string(static_cast<int>(k))); }
    void onKeyPress(int k) override { add("keypress " + std::to_string(k)); }
    void onMouseDown(int b) override { add("mousedown " + std::to_string(b)); }
    void onMouseMove(float x, float y) override {
        add("move " + std::to_string(static_cast<int>(x)) + "," +
            std::to_string(static_cast<int>(y)));
    }
    void onUnload() override { add("unload"); }
    void onTerminate() override { add("terminate"); }
    void onTimer() override { add("timer"); }
    std::vector<std::string> entries;

  private:
    void add(const std::string& what) {
        entries.push_back(std::to_string(p_.nowMs()) + " " + what);
    }
    HeadlessPlatform& p_;
};

TEST(HeadlessClock, StartsWhereTheTestSaysAndWrapsLikeGetTickCount) {
    const std::uint64_t start = (std::uint64_t{1} << 32) - 30;  // 49.7 days after boot
    HeadlessPlatform p(640, 480, start);
    Log log(p);
    auto w = p.createWindow(WindowKind::FullScreen, log);
    EXPECT_EQ(p.GetTickCount(), 0xFFFFFFE2u);
    w->setTimer(40, true);
    p.wait();
    EXPECT_EQ(p.nowMs(), start + 40);
    EXPECT_EQ(p.GetTickCount(), 10u) << "wrapped at 2^32";
}

TEST(HeadlessClock, WaitJumpsToTheNextTimerOrEvent) {
    HeadlessPlatform p(640, 480, 1000);
    Log log(p);
    auto w = p.createWindow(WindowKind::FullScreen, log);
    w->setTimer(40, true);
    p.schedule(1100, keyDown(characterKey('a')));
    p.schedule(1100, {InputKind::KeyPress, 97});  // same time: script order
    p.schedule(1050, {InputKind::MouseMove, 0, 3, 4});
    p.stopAt(1130);
    EXPECT_THROW(for (;;) p.wait(), HeadlessStop);
    EXPECT_EQ(log.entries,
              (std::vector<std::string>{"1040 timer", "1050 move 3,4", "1080 timer",
                                        "1100 keydown 65", "1100 keypress 97", "1120 timer"}));
    EXPECT_EQ(p.nowMs(), 1130u);
}

TEST(HeadlessClock, TimersStopChangeAndNeverOverlapThemselves) {
    HeadlessPlatform p(640, 480, 0);
    struct Nested final : WindowEvents {
        HeadlessPlatform* p;
        int ticks = 0, clicks = 0, ticksInside = -1;
        void onClick() override { ++clicks; }
        void onTimer() override {
            if (++ticks > 1) return;
            p->schedule(350, {InputKind::Click});
            p->stopAt(500);
            try {
                for (;;) p->wait();  // a long yield loop inside the handler
            } catch (const HeadlessStop&) {
            }
            ticksInside = ticks;
        }
    } events;
    events.p = &p;
    auto w = p.createWindow(WindowKind::FullScreen, events);
    w->setTimer(100, true);
    p.wait();
    EXPECT_EQ(events.clicks, 1) << "input runs inside the handler";
    EXPECT_EQ(events.ticksInside, 1) << "a timer does not fire inside its own handler";

    HeadlessPlatform q(640, 480, 0);
    Log log(q);
    auto v = q.createWindow(WindowKind::FullScreen, log);
    v->setTimer(100, true);
    q.wait();
    v->setTimer(100, false);
    EXPECT_THROW(q.wait(), HeadlessStop) << "nothing due: a real platform would wait for ever";
    v->setTimer(0, true);
    EXPECT_THROW(q.wait(), HeadlessStop) << "interval 0 disables the timer";
    v->setTimer(30, true);
    q.wait();
    EXPECT_EQ(log.entries, (std::vector<std::string>{"100 timer", "130 timer"}));
}

TEST(HeadlessWindows, CloseUnloadsAndRunEndsWithTheLastWindow) {
    HeadlessPlatform p(800, 600, 0);
    Log log(p);
    auto w = p.createWindow(WindowKind::FullScreen, log);
    EXPECT_EQ(w->width(), 800);
    EXPECT_EQ(w->height(), 600);
    w->show();
    p.schedule(10, {InputKind::Click});
    p.schedule(20, {InputKind::DblClick});
    p.schedule(30, {InputKind::MouseDown, 2});
    p.schedule(40, {InputKind::Close});
    p.schedule(50, {InputKind::Click});  // after the close: nobody receives it
    p.run();
    EXPECT_EQ(log.entries,
              (std::vector<std::string>{"0 resize", "10 click", "20 dblclick", "30 mousedown 2",
                                        "40 unload", "40 terminate"}));
    EXPECT_EQ(p.activeWindow(), nullptr);
}

TEST(HeadlessWindows, APreviewTakesTheSizeItIsGiven) {
    HeadlessPlatform p;
    Log log(p);
    auto owned = p.createWindow(WindowKind::Preview, log);
    auto* w = static_cast<HeadlessWindow*>(owned.get());
    EXPECT_EQ(w->width(), 0);
    w->embedInto(99, 152, 112);
    EXPECT_EQ(w->width(), 152);
    EXPECT_EQ(w->height(), 112);
    EXPECT_EQ(log.entries, std::vector<std::string>{"0 resize"}) << "shown by the embedding";
    EXPECT_EQ(w->embeddings(), (std::vector<EmbedCall>{{99, 152, 112}}));
    w->resize(200, 150);
    EXPECT_TRUE(w->keepOnTop(Stacking::TopMost, true));  // no size change
    EXPECT_EQ(log.entries, (std::vector<std::string>{"0 resize", "0 resize"}));
    EXPECT_EQ(w->image().width(), 200);
    EXPECT_EQ(w->stackings(), (std::vector<KeepOnTopCall>{{Stacking::TopMost, true}}));
}

TEST(HeadlessRecords, SystemCallsAreRecorded) {
    HeadlessPlatform p;
    p.setSystemSaverActive(false);
    p.setShowRunning(true);
    EXPECT_EQ(p.systemFlags(), (std::vector<SystemFlagCall>{{SystemFlagCall::SaverActive, false},
                                                            {SystemFlagCall::ShowRunning, true}}));
    EXPECT_EQ(p.ShowCursor(false), -1);
    EXPECT_EQ(p.ShowCursor(false), -2);
    EXPECT_EQ(p.ShowCursor(true), -1);
    p.Beep();
    EXPECT_EQ(p.beeps(), 1);
    int width = 1, height = 1;
    EXPECT_FALSE(p.GetClientRect(99, width, height));
    EXPECT_EQ(width, 0);
    p.setHostSize(99, 152, 112);
    EXPECT_TRUE(p.GetClientRect(99, width, height));
    EXPECT_EQ(height, 112);
    try {
        p.exitProcess(3);
        ADD_FAILURE() << "exitProcess returned";
    } catch (const ProcessExit& e) {
        EXPECT_EQ(e.code, 3);
    }
}

}  // namespace
}  // namespace gm
