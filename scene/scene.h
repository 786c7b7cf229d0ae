// The scene builder of the saver window frmMain: BuildBG composes a new
// winter landscape on the 640 x 480 canvas picBG, layer by layer from the back
// to the front, and shows the growing canvas after every stage (CopyBg).
//
// Each procedure keeps its German name and runs under the uniform error trap
// with that name, statement by statement. Every random choice goes through
// Zz / ZzR in the order the procedures make them, so one seed always gives
// the same landscape. Scene positions and sizes are 16-bit integers whose
// arithmetic raises overflow (6) instead of wrapping.
//
// Where the code lives:
//   build_bg.cpp        BuildBG, CopyBg
//   sky.cpp             Hintergrund, Himmel
//   mountains_sea.cpp   Berge, Meer
//   ground_clouds.cpp   Boden, Wolken, Schatten
//   trees.cpp           Wald, Baum
//   houses.cpp          Haus, Dorf, City
//   fence_snowman.cpp   Zaun, Schneemann
//   scene.cpp           sprites, the masked draw and the gradient tile width
//   masked_blend.cpp    LightenMasked, DarkenMasked (clouds and shadows)
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

#include "basic/numeric.h"
#include "common/canvas_geometry.h"
#include "common/settings.h"
#include "common/show_host.h"
#include "gfx/surface.h"

namespace gm {

// A scene object's picture and its 1-bit mask (black where the figure is),
// painted at sx x sy times its catalogue size.
struct Sprite {
    int id = 0;
    std::shared_ptr<const gfx::Bitmap> image;
    std::shared_ptr<const gfx::Bitmap> mask;
    double sx = 1, sy = 1;
};

// A rectangle of the canvas in physical pixels; a negative width mirrors.
struct CanvasBox {
    int x, y, width, height;
};

// Loads catalogue picture `id` painted at sx x sy times its size, or only
// its frame `frame` at sx x sy times the frame's size (0: the whole picture).
using ScaledBitmapLoader = std::function<gfx::Bitmap(int id, int frame, double sx, double sy)>;

class Scene {
  public:
    Scene(ShowSurfaces& surfaces, SceneState& state, const Settings& settings, ShowHost& host,
          BitmapLoader load);
    virtual ~Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // The conductor and its display step.
    void BuildBG();
    virtual void CopyBg();

    // Layers. The procedures are virtual so that a test can watch the calls
    // BuildBG makes.
    virtual void Hintergrund();
    virtual void Himmel();
    virtual void Meer(Int16 y);
    virtual void Boden(Int16 y);
    virtual void Berge(Int16& row);
    virtual void Wolken(gfx::Surface& dc, Int16 id, Int16 x, Int16 y);
    virtual void Schatten(gfx::Surface& dc, Int16 id, Int16 x, Int16 y);

    // Objects standing on the row baseY.
    virtual void Wald(Int16& baseY);
    virtual void Baum(Int16& baseY);
    virtual void City(Int16& baseY);
    virtual void Dorf(Int16& baseY);
    virtual void Haus(Int16& baseY);
    virtual void Zaun(Int16& baseY);
    virtual void Schneemann(Int16& baseY);

    // CopyBg shows each stage on the window; off, it does nothing (a
    // composition nobody watches, such as a benchmark of BuildBG alone).
    bool showStages = true;

    // Where the scene draws: the classic canvas unless told otherwise. On
    // any other, the pictures come from loadScaled at the canvas's scale.
    CanvasGeometry canvas;
    ScaledBitmapLoader loadScaled;

    // Where a box in logical pixels (a row is a landscape row) lies on picBG.
    // Each corner is rounded to the canvas's pixels, so that neighbours meet
    // and a mirrored picture covers what the plain one would.
    CanvasBox onCanvas(double x, double y, double width, double height) const;

  protected:
    // The masked draw of a scene object onto picBG: the mask with SRCAND,
    // then the picture with SRCPAINT, both with the same geometry. Position
    // and size are in logical pixels, the source rectangle in pixels of the
    // catalogue picture. Virtual, so that a test can watch the placements.
    virtual void drawMasked(const Sprite& sprite, double x, double y, double width, double height,
                            std::optional<int> srcX = {}, std::optional<int> srcY = {},
                            std::optional<int> srcWidth = {}, std::optional<int> srcHeight = {});

    gfx::Surface& picBG;
    gfx::Surface& picHimmel;
    gfx::Surface& picBuffer;
    SceneState& state;
    const Settings& settings;
    ShowHost& host;

  private:
    bool scaled() const { return !canvas.classic(); }
    // A picture at the canvas's scale, or at sx x sy times it across and
    // down; a frame of it alone (ScaledBitmapLoader).
    gfx::Bitmap loadPicture(Int16 id, double sx = 1, double sy = 1, int frame = 0) const;
    // The picture under id and its mask under maskId; `across` widens it.
    Sprite loadSprite(Int16 id, Int16 maskId, double across = 1) const;
    // On a scaled canvas, frame `frame` of the picture and its mask alone
    // (0: the whole picture), painted at across x down times its size on
    // the canvas.
    Sprite loadFrame(Int16 id, Int16 maskId, int frame, double across, double down) const;
    // The scrolling sky of a scaled canvas: how many bands lie side by side
    // in it, and its height in logical pixels (a quarter of the classic
    // canvas's).
    int skyBandTiles() const;
    // The sky gradient strip over surface s (picBG or picHimmel).
    void skyGradient(gfx::Surface& s, const gfx::Bitmap& strip) const;
    static constexpr int kScaledSkyRows = 120;
    // A white disc of `size` at (x, y) from the surface's top left corner,
    // in logical pixels.
    void disc(gfx::Surface& s, int x, int y, int size);
    // Width of one tile of a gradient strip (see scene.cpp).
    Int16 tileWidth(const gfx::Bitmap& strip) const;

    // A picture loaded once for the landscape: the objects are drawn again
    // and again, and a scaled picture is large.
    std::shared_ptr<const gfx::Bitmap> keptPicture(Int16 id, double across, double down = 1,
                                                   int frame = 0) const;

    BitmapLoader load_;
    mutable std::map<std::tuple<int, int, double, double>, std::shared_ptr<const gfx::Bitmap>>
        kept_;
};

}  // namespace gm
