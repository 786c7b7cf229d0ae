// The scene builder's shared pieces: the surfaces it draws on, sprites and
// their masked draw, and the tile width of the gradient strips.
#include "scene/scene.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace gm {

Scene::Scene(ShowSurfaces& surfaces, SceneState& state, const Settings& settings, ShowHost& host,
             BitmapLoader load)
    : picBG(surfaces.picBG),
      picHimmel(surfaces.picHimmel),
      picBuffer(surfaces.picBuffer),
      state(state),
      settings(settings),
      host(host),
      load_(std::move(load)) {}

gfx::Bitmap Scene::loadPicture(Int16 id, double sx, double sy, int frame) const {
    if (!scaled()) return load_(id);
    return loadScaled(id.value(), frame, canvas.kx() * sx, canvas.ky() * sy);
}

std::shared_ptr<const gfx::Bitmap> Scene::keptPicture(Int16 id, double across, double down,
                                                      int frame) const {
    std::shared_ptr<const gfx::Bitmap>& p = kept_[{id.value(), frame, across, down}];
    if (!p) p = std::make_shared<const gfx::Bitmap>(loadPicture(id, across, down, frame));
    return p;
}

Sprite Scene::loadSprite(Int16 id, Int16 maskId, double across) const {
    const auto picture = [](gfx::Bitmap b) {
        return std::make_shared<const gfx::Bitmap>(std::move(b));
    };
    if (!scaled()) return {id.value(), picture(loadPicture(id)), picture(loadPicture(maskId))};
    return {id.value(), keptPicture(id, across), keptPicture(maskId, across), canvas.kx() * across,
            canvas.ky()};
}

Sprite Scene::loadFrame(Int16 id, Int16 maskId, int frame, double across, double down) const {
    return {id.value(), keptPicture(id, across, down, frame),
            keptPicture(maskId, across, down, frame), canvas.kx() * across, canvas.ky() * down};
}

namespace {
std::optional<int> scaledBy(std::optional<int> v, double k) {
    if (!v) return v;
    return static_cast<int>(std::lround(*v * k));
}
}  // namespace

CanvasBox Scene::onCanvas(double x, double y, double width, double height) const {
    const int X = canvas.x(x), Y = canvas.y(y);
    return {X, Y, canvas.x(x + width) - X, canvas.y(y + height) - Y};
}

void Scene::drawMasked(const Sprite& sprite, double x, double y, double width, double height,
                       std::optional<int> srcX, std::optional<int> srcY,
                       std::optional<int> srcWidth, std::optional<int> srcHeight) {
    const auto [X, Y, W, H] = onCanvas(x, y, width, height);
    srcX = scaledBy(srcX, sprite.sx);
    srcY = scaledBy(srcY, sprite.sy);
    srcWidth = scaledBy(srcWidth, sprite.sx);
    srcHeight = scaledBy(srcHeight, sprite.sy);
    // The mask blacks out the figure's place and leaves the rest; the
    // picture, black around its figure, is then ORed into that hole.
    gfx::DrawPicture(picBG, sprite.mask->view(), X, Y, W, H, srcX, srcY, srcWidth, srcHeight,
                     gfx::Rop::SrcAnd);
    gfx::DrawPicture(picBG, sprite.image->view(), X, Y, W, H, srcX, srcY, srcWidth, srcHeight,
                     gfx::Rop::SrcPaint);
}

// A picture reports its width in 0.01-mm units, computed from its pixels at
// the screen's resolution; divided by the screen's twips per pixel (both
// rounded to whole numbers first) that gives the width of one gradient tile:
// 35 pixels for the 20-pixel strips at 96, 120 and 144 dpi. From 2880 dpi
// on a pixel is less than half a twip and the twips per pixel would round to
// 0; both values are kept at 1 or more, so the tiles always advance.
Int16 Scene::tileWidth(const gfx::Bitmap& strip) const {
    constexpr double kHimetricPerInch = 2540.0;
    constexpr double kTwipsPerInch = 1440.0;
    const double dpi = host.screenDpi();
    const Int32 himetricWidth = CLng(strip.width() * kHimetricPerInch / dpi);
    const Int32 twipsPerPixel = CLng(kTwipsPerInch / dpi);
    const Int32 tile = idiv(himetricWidth, std::max(twipsPerPixel, Int32(1)));
    return Int16(std::max(tile, Int32(1)));
}

}  // namespace gm
