// GDI text rendering (see gdi_text.h for the choices).
#include "platform/text/gdi_text.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "platform/text/system_text.h"

namespace gm::gfx {
namespace {

constexpr double kDotsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;

}  // namespace

std::wstring utf16Text(std::string_view text) {
    std::wstring out;
    for (char32_t c : textCodePoints(text)) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

namespace {

// The ANSI calls for the fonts: their wide forms are stubs on Windows 95,
// 98 and ME (the text itself goes through TextOutW and
// GetTextExtentPoint32W, which those systems have).
HFONT createFont(const std::string& face, const FontLayout& wanted) {
    LOGFONTA lf{};
    // A negative height asks for the em size (character height) in pixels.
    lf.lfHeight = -static_cast<LONG>(std::lround(wanted.points * kDotsPerInch / kPointsPerInch));
    lf.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&lf);
}

}  // namespace

struct GdiTextRenderer::Impl {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;  // the DIB section text is drawn into
    HGDIOBJ originalBitmap = nullptr;
    std::uint32_t* bits = nullptr;
    int bitsWidth = 0, bitsHeight = 0;
    HFONT font = nullptr;
    HGDIOBJ originalFont = nullptr;
    FontLayout fontLayout;
    std::string family;

    Impl() {
        dc = CreateCompatibleDC(nullptr);
        if (dc == nullptr) throw std::runtime_error("GDI: no memory device context");
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    }
    ~Impl() {
        if (originalFont) SelectObject(dc, originalFont);
        if (font) DeleteObject(font);
        if (originalBitmap) SelectObject(dc, originalBitmap);
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(dc);
    }

    // Selects the font, creating it when the wanted font changed. The first
    // candidate face GDI really has wins; otherwise GDI's own substitute.
    void select(const FontLayout& wanted) {
        if (font && wanted.face == fontLayout.face && wanted.points == fontLayout.points &&
            wanted.bold == fontLayout.bold)
            return;
        std::vector<std::string> faces{wanted.face};
        if (lstrcmpiA(faces[0].c_str(), "Comic Sans MS") == 0) faces.emplace_back("Comic Neue");
        HFONT chosen = nullptr;
        for (const std::string& face : faces) {
            HFONT candidate = createFont(face, wanted);
            if (!candidate) continue;
            HGDIOBJ previous = SelectObject(dc, candidate);
            if (!originalFont) originalFont = previous;
            char selected[LF_FACESIZE] = {};
            GetTextFaceA(dc, LF_FACESIZE, selected);
            if (lstrcmpiA(selected, face.c_str()) == 0 || &face == &faces.back()) {
                chosen = candidate;
                break;
            }
            SelectObject(dc, originalFont);
            DeleteObject(candidate);
        }
        if (!chosen) throw std::runtime_error("GDI: cannot create the font " + wanted.face);
        if (font) DeleteObject(font);
        font = chosen;
        fontLayout = wanted;
        char selected[LF_FACESIZE] = {};
        const int n = GetTextFaceA(dc, LF_FACESIZE, selected);
        family.clear();
        for (int i = 0; i < n && selected[i]; ++i)
            family += static_cast<unsigned char>(selected[i]) < 128 ? selected[i] : '?';
    }

    // Makes the DIB section at least w x h pixels (it only grows).
    void reserve(int w, int h) {
        if (w <= bitsWidth && h <= bitsHeight) return;
        w = std::max(w, bitsWidth);
        h = std::max(h, bitsHeight);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* memory = nullptr;
        HBITMAP created = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
        if (!created) throw std::runtime_error("GDI: cannot create the text bitmap");
        HGDIOBJ previous = SelectObject(dc, created);
        if (!originalBitmap) originalBitmap = previous;
        if (bitmap) DeleteObject(bitmap);
        bitmap = created;
        bits = static_cast<std::uint32_t*>(memory);
        bitsWidth = w;
        bitsHeight = h;
    }

    SIZE extent(const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size;
    }
};

GdiTextRenderer::GdiTextRenderer() : impl_(std::make_unique<Impl>()) {}
GdiTextRenderer::~GdiTextRenderer() = default;

std::string GdiTextRenderer::resolvedFamily(const FontLayout& font) {
    impl_->select(font);
    return impl_->family;
}

int GdiTextRenderer::textHeight(const FontLayout& font, std::string_view) {
    impl_->select(font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(impl_->dc, &metrics);
    return metrics.tmHeight;
}

int GdiTextRenderer::textWidth(const FontLayout& font, std::string_view text) {
    impl_->select(font);
    return impl_->extent(utf16Text(text)).cx;
}

void GdiTextRenderer::drawText(Surface& s, int x, int y, const FontLayout& font,
                               std::string_view text, Colour colour) {
    const std::wstring wide = utf16Text(text);
    if (wide.empty()) return;
    impl_->select(font);
    // Overhanging glyphs (italics, synthetic bold) may draw beyond the
    // advance width; a margin of one em on the right catches them.
    TEXTMETRICA metrics{};
    GetTextMetricsA(impl_->dc, &metrics);
    const SIZE size = impl_->extent(wide);
    const int w = size.cx + metrics.tmMaxCharWidth, h = std::max<int>(size.cy, metrics.tmHeight);
    impl_->reserve(w, h);
    for (int row = 0; row < h; ++row)
        std::fill_n(impl_->bits + static_cast<std::ptrdiff_t>(row) * impl_->bitsWidth, w, 0u);
    TextOutW(impl_->dc, 0, 0, wide.c_str(), static_cast<int>(wide.size()));
    GdiFlush();
    const std::uint32_t pixel = toPixel(colour);
    for (int row = 0; row < h; ++row) {
        const int py = y + row;
        if (py < 0 || py >= s.height()) continue;
        const std::uint32_t* in = impl_->bits + static_cast<std::ptrdiff_t>(row) * impl_->bitsWidth;
        for (int col = 0; col < w; ++col) {
            const int px = x + col;
            if (px >= 0 && px < s.width() && (in[col] & 0xFFFFFF) != 0) s.row(py)[px] = pixel;
        }
    }
}

TextRenderer& systemTextRenderer() {
    static GdiTextRenderer renderer;
    return renderer;
}

}  // namespace gm::gfx
