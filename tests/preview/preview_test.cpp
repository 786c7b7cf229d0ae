// The preview: "/p <host>" embeds frmPreview as a child of the host, paints
// the stored picture stretched over the host's client area, repaints it at
// a new size, and leaves the cursor, the system's flags and the store alone.
#include "gfx/bitmap_resource.h"
#include "resources/resource_ids.h"
#include "saver/frm_preview.h"
#include "tests/saver/saver_fixture.h"

namespace gm::test {
namespace {

constexpr std::uintptr_t kHost = 0x4242;

class PreviewTest : public SaverTest {
  protected:
    PreviewTest() {
        forms() = Forms{};  // the real opener
        platform.setHostSize(kHost, 152, 112);
    }
    HeadlessWindow& preview() { return *platform.activeWindow(); }
    gfx::Bitmap stored_ = gfx::LoadBitmapResource(res::kPreview);
};

TEST_F(PreviewTest, EmbedsItselfAsAChildOfTheHostAndFillsIt) {
    EXPECT_EQ(runMain("/p 16962"), std::nullopt);  // 16962 = 0x4242
    ASSERT_EQ(platform.windowsCreated(), (std::vector<WindowKind>{WindowKind::Preview}));
    HeadlessWindow& w = preview();
    // The Windows calls of the embedding are the Win32 backend's test.
    EXPECT_EQ(w.embeddings(), (std::vector<EmbedCall>{{kHost, 152, 112}}));
    EXPECT_TRUE(w.stackings().empty());
    EXPECT_TRUE(w.visible());
    EXPECT_GT(w.refreshes(), 0);
}

// The stored picture stretched, whole, to width x height.
gfx::Bitmap stretched(const gfx::Bitmap& picture, int width, int height) {
    gfx::Surface s(width, height, 0);
    gfx::DrawPicture(s, picture.view(), 0, 0, width, height, 0, 0, picture.width(),
                     picture.height());
    return s.image();
}

bool same(const gfx::Surface& a, const gfx::Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.row(y)[x] != b.row(y)[x]) return false;
    return true;
}

TEST_F(PreviewTest, TheWholePictureIsShrunkIntoTheHostAndRepaintedAtANewSize) {
    ASSERT_EQ(stored_.width(), 256);
    ASSERT_EQ(stored_.height(), 192);
    runMain("/p 16962");
    HeadlessWindow& w = preview();
    ASSERT_EQ(w.image().width(), 152);
    ASSERT_EQ(w.image().height(), 112);
    EXPECT_TRUE(same(w.image(), stretched(stored_, 152, 112)));

    // The host grows: the picture is stretched to fill it exactly.
    const int refreshes = w.refreshes();
    w.resize(512, 200);
    ASSERT_EQ(w.image().width(), 512);
    EXPECT_TRUE(same(w.image(), stretched(stored_, 512, 200)));
    EXPECT_GT(w.refreshes(), refreshes);
}

TEST_F(PreviewTest, LeavesTheCursorTheFlagsAndTheStoreAloneAndIgnoresInput) {
    runMain("/p 16962");
    platform.schedule(6000, keyDown(characterKey('a')));
    platform.schedule(6100, {InputKind::Click});
    platform.schedule(6200, {InputKind::MouseMove, 0, 10, 10});
    platform.schedule(6300, {InputKind::MouseMove, 0, 300, 300});
    EXPECT_NO_THROW(platform.run());
    // Only Main's switch-off of the screen saver, the same in every mode.
    EXPECT_EQ(platform.systemFlags(),
              (std::vector<SystemFlagCall>{{SystemFlagCall::SaverActive, false}}));
    EXPECT_EQ(platform.cursorCount(), 0);
    EXPECT_TRUE(platform.memoryStore().values.empty());
    EXPECT_FALSE(preview().closed());

    // Closing it ends nothing: exitScreensaver returns outside the show.
    platform.schedule(7000, {InputKind::Close});
    EXPECT_NO_THROW(platform.run());
    EXPECT_TRUE(protocol().empty());
    EXPECT_EQ(platform.cursorCount(), 0);
}

}  // namespace
}  // namespace gm::test
