// Windows' own GDI as an independent reader of the stored bitmaps: every
// resource drawn by StretchDIBits (which handles RLE4 and RLE8 itself) gives
// the same pixels as the test's reader of the bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resources/resource_data.h"
#include "tests/resources/dib_reader.h"

namespace {

TEST(GdiDecoding, EveryBitmapDrawsAsItsBytesSay) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    for (const gm::BitmapResourceName& n : gm::bitmapResourceNames()) {
        SCOPED_TRACE(std::string(n.name));
        const auto bytes = gm::bitmapResource(n.id);
        const gm::test::Dib expected = gm::test::readDib(bytes);
        const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data());
        const std::size_t colours = info->bmiHeader.biClrUsed ? info->bmiHeader.biClrUsed
                                                              : (1u << info->bmiHeader.biBitCount);
        const std::uint8_t* bits = bytes.data() + info->bmiHeader.biSize + 4 * colours;

        BITMAPINFO target{};
        target.bmiHeader = {sizeof(BITMAPINFOHEADER),
                            expected.width,
                            -expected.height,
                            1,
                            32,
                            BI_RGB,
                            0,
                            0,
                            0,
                            0,
                            0};
        void* pixels = nullptr;
        HBITMAP surface = CreateDIBSection(dc, &target, DIB_RGB_COLORS, &pixels, nullptr, 0);
        ASSERT_NE(surface, nullptr);
        HGDIOBJ old = SelectObject(dc, surface);
        ASSERT_EQ(StretchDIBits(dc, 0, 0, expected.width, expected.height, 0, 0, expected.width,
                                expected.height, bits, info, DIB_RGB_COLORS, SRCCOPY),
                  expected.height);
        GdiFlush();
        int mismatches = 0;
        const auto* px = static_cast<const std::uint32_t*>(pixels);
        for (int y = 0; y < expected.height; ++y)
            for (int x = 0; x < expected.width; ++x)
                mismatches +=
                    (px[std::size_t(y) * expected.width + x] & 0xFFFFFF) != expected.rgb(x, y);
        EXPECT_EQ(mismatches, 0);
        SelectObject(dc, old);
        DeleteObject(surface);
    }
    DeleteDC(dc);
}

}  // namespace
