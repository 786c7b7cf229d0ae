// Drawing surfaces and the drawing operations of the saver.
//
// One software raster draws everything on every platform, so a scene is the
// same picture on Windows and Linux and tests can compare pixels. The
// platform only presents finished images and renders text.
//
// Colours: a Colour is the 24-bit value r + 256*g + 65536*b (red in the low
// byte), as the saver's procedures compute them. Pixels in memory are
// 0x00RRGGBB words (B, G, R, X bytes: the layout of a 32-bit DIB section and
// of a 24/32-bit X11 TrueColor image).
//
// Geometry conventions (tested in tests/gfx):
//  * A negative destination width mirrors the picture and covers
//    x + width ... x (it extends to the left of x: columns x + width to
//    x - 1, exactly -width of them). A negative height flips it likewise.
//  * Stretching keeps or drops whole pixels (nearest pixel, as GDI's
//    COLORONCOLOR stretch mode), for enlarging and shrinking alike.
//  * Source pixels outside a picture leave the destination unchanged.
//  * Everything is clipped to the destination on all four sides.
//  * A surface drawn onto itself reads its picture as it was before the draw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gm::gfx {

using Colour = std::int32_t;

inline constexpr std::uint32_t toPixel(Colour c) {
    const auto u = static_cast<std::uint32_t>(c);
    return ((u & 0xFFu) << 16) | (u & 0xFF00u) | ((u >> 16) & 0xFFu);
}
inline constexpr Colour toColour(std::uint32_t p) {
    return static_cast<Colour>(((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu));
}
// Colour from components; a component above 255 counts as 255, below 0 as 0.
Colour rgb(int r, int g, int b);

// GDI raster operation codes.
enum class Rop : std::uint32_t {
    SrcCopy = 0x00CC0020,   // SRCCOPY
    SrcAnd = 0x008800C6,    // SRCAND
    SrcPaint = 0x00EE0086,  // SRCPAINT
};

inline constexpr Colour kInvalidColour = -1;  // GetPixel outside the surface (CLR_INVALID)

// A read-only view of pixels (a bitmap or a surface).
struct ImageView {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // in pixels
    const std::uint32_t* row(int y) const {
        return pixels + static_cast<std::ptrdiff_t>(y) * stride;
    }
};

// An owned picture: what LoadBitmapResource returns and what a surface's
// image is taken as.
class Bitmap {
  public:
    Bitmap() = default;
    Bitmap(int width, int height, std::uint32_t fill = 0);
    int width() const { return width_; }
    int height() const { return height_; }
    std::uint32_t* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const std::uint32_t* row(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * width_;
    }
    ImageView view() const { return {pixels_.data(), width_, height_, width_}; }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// The font of a surface: face, size in points, bold.
struct FontLayout {
    std::string face = "Comic Sans MS";
    double points = 9.75;
    bool bold = true;
};

// A drawing surface with a persistent image: a picture box or a window's
// backing image. Pixels live either in the surface itself or in memory owned
// by a platform window (a DIB section, an X image), see attach().
class Surface {
  public:
    explicit Surface(int width = 0, int height = 0, Colour backColor = 0);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // Sets the size; what overlaps the old picture is kept, new area takes
    // the back colour. Attached surfaces are resized by their owner only.
    void setSize(int width, int height);

    // The picture becomes the surface's content. Surfaces with autoSize take
    // its size; others draw it at (0, 0) over their back colour.
    void setPicture(const ImageView& picture);
    // The current content as a picture (a copy).
    Bitmap image() const;
    ImageView view() const { return {pixels_, width_, height_, stride_}; }
    // Fills everything with the back colour.
    void clear();

    std::uint32_t* row(int y) { return pixels_ + static_cast<std::ptrdiff_t>(y) * stride_; }
    const std::uint32_t* row(int y) const {
        return pixels_ + static_cast<std::ptrdiff_t>(y) * stride_;
    }
    int stride() const { return stride_; }

    // Uses external pixel memory (top-down rows of 0x00RRGGBB words).
    void attach(std::uint32_t* pixels, int width, int height, int stride);

    bool autoSize = false;
    Colour backColor = 0;
    Colour foreColor = 0xFFFFFF;
    Colour fillColor = 0xFFFFFF;
    int drawWidth = 1;
    FontLayout font;
    double currentX = 0;  // text position
    double currentY = 0;

  private:
    std::vector<std::uint32_t> owned_;
    std::uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
};

// --- Drawing operations ----------------------------------------------------

// Draws picture at (x, y). Destination size defaults to the source rectangle's
// size; a different size stretches; a negative width mirrors. The source
// rectangle defaults to the whole picture.
void DrawPicture(Surface& dst, const ImageView& picture, int x, int y,
                 std::optional<int> width = {}, std::optional<int> height = {},
                 std::optional<int> srcX = {}, std::optional<int> srcY = {},
                 std::optional<int> srcWidth = {}, std::optional<int> srcHeight = {},
                 Rop rop = Rop::SrcCopy);

void BitBlt(Surface& dst, int x, int y, int width, int height, const Surface& src, int srcX,
            int srcY, Rop rop);
void StretchBlt(Surface& dst, int x, int y, int width, int height, const Surface& src, int srcX,
                int srcY, int srcWidth, int srcHeight, Rop rop);
// The masked draw of a sprite in one pass: BitBlt of `mask` with SrcAnd,
// then of `picture` (the same size) with SrcPaint, at the same place.
void MaskedBlt(Surface& dst, int x, int y, int width, int height, const Surface& mask,
               const Surface& picture, int srcX, int srcY);

// Ellipse inscribed in the box (right and bottom exclusive): outline in the
// surface's foreColor, interior in its fillColor.
void Ellipse(Surface& s, int left, int top, int right, int bottom);
// Copies from `from` onto `to` (the same size) the pixels such an ellipse
// covers, at the same place: what erases a snowflake drawn there.
void CopyEllipse(Surface& to, const Surface& from, int left, int top, int right, int bottom);
// A line in the colour, drawWidth pixels wide.
void DrawLine(Surface& s, int x1, int y1, int x2, int y2, Colour colour);

Colour GetPixel(const Surface& s, int x, int y);  // kInvalidColour outside
void SetPixel(Surface& s, int x, int y, Colour colour);

// Text in the surface's font and foreColor, no background box, starting at
// the text position, which then moves to just after the text.
void PrintText(Surface& s, std::string_view text);
int TextHeight(const Surface& s, std::string_view text);
int TextWidth(const Surface& s, std::string_view text);

}  // namespace gm::gfx
