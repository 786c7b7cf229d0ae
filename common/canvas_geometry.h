// The scene's coordinate space on a screen.
//
// The landscape is composed in logical pixels: the units of the classic
// 640 x 480 canvas, in which every procedure places its layers and objects.
// A screen of another shape widens the logical canvas (480 high, 480 x
// aspect wide) or, when it is taller than 4:3, heightens it above the
// landscape, where the sky is. The canvas is then drawn at the screen's own
// resolution: k physical pixels per logical pixel, k = screen height /
// logical height. The classic canvas (640 x 480 drawn 1:1 and stretched over
// the screen afterwards) stays where the picture was designed for it.
#pragma once

namespace gm {

struct CanvasGeometry {
    int logicalWidth = 640;   // at least 640
    int logicalHeight = 480;  // at least 480
    int width = 640;          // the surface the scene draws on, in physical pixels
    int height = 480;

    // Rows of sky above the classic canvas's row 0.
    int skyRows() const { return logicalHeight - 480; }
    // Columns the canvas is wider than the classic one: what stands at the
    // right edge moves right by this much.
    int extraColumns() const { return logicalWidth - 640; }
    // Physical pixels per logical pixel, across and down (they agree to a
    // thousandth: both sizes are whole numbers).
    double kx() const { return double(width) / logicalWidth; }
    double ky() const { return double(height) / logicalHeight; }
    // The classic canvas: logical and physical pixels are the same.
    bool classic() const {
        return logicalWidth == 640 && logicalHeight == 480 && width == 640 && height == 480;
    }

    // A canvas column and a landscape row (classic row numbers) in physical
    // pixels, and a length across or down.
    int x(double lx) const;
    int y(double ly) const;
    int across(double length) const { return x(length); }
    int down(double length) const;
};

// The classic 640 x 480 canvas.
inline CanvasGeometry classicCanvas() { return {}; }

// The canvas for a screen of width x height pixels. `classic` (the setting)
// asks for the classic canvas everywhere; 4:3 screens up to 1024 x 768 keep
// it in any case. Aspects beyond 32:9 either way keep the shape of 32:9.
CanvasGeometry canvasFor(int width, int height, bool classic);

}  // namespace gm
