#include "platform/win32/dialog_art.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "gfx/bitmap_resource.h"
#include "platform/win32/system_function.h"

namespace gm::win32 {
namespace {

// Functions of Windows 10 (1607 and later), found at run time.
template <typename Fn>
Fn user32Function(const char* name) {
    return systemFunction<Fn>("user32.dll", name);
}
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

// The icon's figure over premultiplied colour with alpha, scaled by
// bilinear sampling (the art is drawn for 32 x 32; the scaled icon should
// not get uneven pixels at 1.25 or 1.5 times).
std::vector<std::uint32_t> scaledFigure(const gfx::Bitmap& figure, const gfx::Bitmap& mask,
                                        int size) {
    const int w = figure.width(), h = figure.height();
    std::vector<float> px(static_cast<std::size_t>(w * h) * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = figure.row(y)[x];
            const bool opaque = (mask.row(y)[x] & 0xFFFFFFu) == 0;  // black = figure
            float* o = &px[static_cast<std::size_t>(y * w + x) * 4];
            o[0] = opaque ? float(p & 0xFF) : 0;
            o[1] = opaque ? float((p >> 8) & 0xFF) : 0;
            o[2] = opaque ? float((p >> 16) & 0xFF) : 0;
            o[3] = opaque ? 255.f : 0;
        }
    }
    std::vector<std::uint32_t> out(static_cast<std::size_t>(size * size));
    for (int y = 0; y < size; ++y) {
        const float sy = std::clamp((y + 0.5f) * h / size - 0.5f, 0.f, h - 1.f);
        const int y0 = int(sy), y1 = std::min(y0 + 1, h - 1);
        for (int x = 0; x < size; ++x) {
            const float sx = std::clamp((x + 0.5f) * w / size - 0.5f, 0.f, w - 1.f);
            const int x0 = int(sx), x1 = std::min(x0 + 1, w - 1);
            const float fx = sx - x0, fy = sy - y0;
            float c[4];
            for (int k = 0; k < 4; ++k) {
                auto at = [&](int xx, int yy) {
                    return px[static_cast<std::size_t>(yy * w + xx) * 4 + k];
                };
                c[k] = (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) +
                       (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy;
            }
            // Icons take straight (not premultiplied) alpha.
            const float a = c[3];
            auto straight = [&](float v) {
                return a > 0 ? std::lround(std::min(255.f, v * 255.f / a)) : 0L;
            };
            out[static_cast<std::size_t>(y * size + x)] =
                std::uint32_t(straight(c[0])) | std::uint32_t(straight(c[1])) << 8 |
                std::uint32_t(straight(c[2])) << 16 | std::uint32_t(std::lround(a)) << 24;
        }
    }
    return out;
}

BITMAPINFO topDown32(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

}  // namespace

UINT systemDpi() {
    static const auto forSystem = user32Function<GetDpiForSystemFn>("GetDpiForSystem");
    if (forSystem) return forSystem();
    HDC dc = GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(nullptr, dc);
    return dpi;
}

UINT windowDpi(HWND hwnd) {
    static const auto forWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = forWindow && hwnd ? forWindow(hwnd) : 0;
    return dpi ? dpi : systemDpi();
}

SIZE outerSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjust =
        user32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, clientWidth, clientHeight};
    if (adjust)
        adjust(&r, style, FALSE, exStyle, dpi);
    else
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

int pixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch); }

namespace {

// The message font of the system at the dpi. SystemParametersInfoForDpi
// exists only in its wide form; the font is made through the ANSI calls,
// whose wide forms are stubs on Windows 95, 98 and ME.
LOGFONTA messageFont(UINT dpi) {
    static const auto metricsForDpi =
        user32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    LOGFONTA lf{};
    NONCLIENTMETRICSW wide{};
    wide.cbSize = sizeof wide;
    if (metricsForDpi && metricsForDpi(SPI_GETNONCLIENTMETRICS, sizeof wide, &wide, 0, dpi)) {
        const LOGFONTW& w = wide.lfMessageFont;
        std::copy_n(reinterpret_cast<const BYTE*>(&w), offsetof(LOGFONTW, lfFaceName),
                    reinterpret_cast<BYTE*>(&lf));
        WideCharToMultiByte(CP_ACP, 0, w.lfFaceName, -1, lf.lfFaceName, LF_FACESIZE, nullptr,
                            nullptr);
        return lf;
    }
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        lf = metrics.lfMessageFont;
        lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi()));
    }
    return lf;
}

}  // namespace

HFONT createFont(const DialogFont& font, UINT dpi) {
    LOGFONTA lf = messageFont(dpi);
    if (!font.face.empty()) lstrcpynA(lf.lfFaceName, font.face.c_str(), LF_FACESIZE);
    if (font.points > 0) lf.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi / 72.0));
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = font.underline ? TRUE : FALSE;
    return CreateFontIndirectA(&lf);
}

DialogFont controlFont(const FormLayout& form, const ControlLayout& control) {
    DialogFont f = control.font ? *control.font : form.font;
    if (f.face.empty()) f.face = form.font.face;
    if (f.points == 0) f.points = form.font.points;
    return f;
}

bool inkPastExtent(HFONT font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    // Black on white with room for a character's overhang on the right.
    const int width = extent.cx + tm.tmAveCharWidth + 1, height = tm.tmHeight;
    BITMAPINFO bi = topDown32(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool past = false;
    if (bitmap) {
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        auto* pixel = static_cast<std::uint32_t*>(bits);
        std::fill_n(pixel, width * height, 0xFFFFFFu);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        ExtTextOutW(dc, 0, 0, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
        GdiFlush();
        for (int y = 0; y < height && !past; ++y)
            for (int x = extent.cx; x < width && !past; ++x)
                past = (pixel[y * width + x] & 0xFFFFFFu) != 0xFFFFFFu;
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
    }
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    return past;
}

HICON createIcon(int picture, int mask, UINT dpi) {
    const gfx::Bitmap figure = gfx::LoadBitmapResource(picture);
    const gfx::Bitmap figureMask = gfx::LoadBitmapResource(mask);
    const int size = MulDiv(figure.width(), static_cast<int>(dpi), kDefaultDpi);
    const std::vector<std::uint32_t> argb = scaledFigure(figure, figureMask, size);

    BITMAPINFO bi = topDown32(size, size);
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour) return nullptr;
    std::copy(argb.begin(), argb.end(), static_cast<std::uint32_t*>(bits));
    const std::vector<BYTE> zeros(static_cast<std::size_t>((size + 15) / 16 * 2 * size), 0);
    HBITMAP andMask = CreateBitmap(size, size, 1, 1, zeros.data());  // alpha decides
    ICONINFO info{TRUE, 0, 0, andMask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(andMask);
    DeleteObject(colour);
    return icon;
}

void drawPicture(HDC dc, const gfx::Bitmap& picture, const RECT& r) {
    if (picture.width() == 0) return;
    BITMAPINFO bi = topDown32(picture.width(), picture.height());
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, picture.width(),
                  picture.height(), picture.row(0), &bi, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace gm::win32
