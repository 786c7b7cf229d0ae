// Berge draws one band of snowy hills standing on a row; Meer draws the sea
// below the horizon, coloured from the sky.
#include "common/allgemein.h"
#include "errors/trap.h"
#include "scene/scene.h"

namespace gm {

// The band is 20 to 120 rows high and reaches from one side of the canvas
// over 240 to 640 columns: plain it starts at the left edge, mirrored at the
// right edge. The hills are a layer across the canvas: a wider one widens
// the band and its offset alike.
void Scene::Berge(Int16& row) {
    trapped("frmMain", "Berge", [&](Trap& at) {
        Sprite hills;
        Int16 n, h, d, m;
        const double across = canvas.logicalWidth / 640.0;
        at(50010, [&] { n = 129 + 2 * Zz(1, 4); });
        // The height before the picture: a scaled canvas paints the band at
        // the height it stands rather than stretching it there.
        at(50030, [&] { h = Zz(20, 120); });
        at(50020, [&] {
            hills =
                scaled() ? loadFrame(n, n + 1, 0, across, h / 100.0) : loadSprite(n, n + 1, across);
        });
        at(50040, [&] { row = row - h; });  // the band's top edge
        at(50050, [&] { d = Zz(-400, 0); });
        at(50060, [&] { m = Zz(-1, 0); });
        if (m == 0) {
            // Canvas column c shows source column c - d.
            at(50070, [&] { drawMasked(hills, d * across, row, 640 * across, h, 0, 0, 640, 100); });
        }
        if (m == -1) {
            // Mirrored, the whole picture is reflected about the canvas's
            // centre line: it covers columns -d to 639 - d, so the picture's
            // left end falls beyond the canvas's right edge and its right
            // end, where every hill sinks to the ground, lies at column -d.
            at(50080, [&] {
                drawMasked(hills, (640 - d) * across, row, -640 * across, h, 0, 0, 640, 100);
            });
        }
        at(50090, [&] { row = row + h; });
    });
}

// Lines of the sky's colour, lightening from the sea's bottom edge up to the
// horizon, and sometimes a glint on the horizon.
void Scene::Meer(Int16 y) {
    trapped("frmMain", "Meer", [&](Trap& at) {
        Int16 w = 0, H, r, g, b;
        Int32 c;
        at(50010, [&] { w = Zz(2, 4); });
        at(50020, [&] { H = 12 * Zz(3, 4); });
        at(50030, [&] { c = gfx::GetPixel(picBG, canvas.x(1), canvas.y(Zz(200, y + H - 5))); });
        at(50040, [&] { ConvRGB(c, r, g, b); });
        at(50050, [&] {
            if (y < 290) Boden(y + H - 2);
        });  // a snow field below the sea
        // On a scaled canvas each line is one pixel wider, so that rounding
        // leaves no gap between neighbours.
        const int lineGap = scaled() ? 1 : 0;
        at(50060, [&] { picBG.drawWidth = scaled() ? canvas.down(w) + lineGap : int(w); });
        Int16 lines;
        at(50070, [&] { lines = idiv(H, w); });
        for (Int16 k = 1; k <= lines; k = k + 1) {
            at(50080, [&] {
                const int lineY = canvas.y(y + H - w * k);
                gfx::DrawLine(picBG, 0, lineY, canvas.x(canvas.logicalWidth), lineY,
                              gfx::rgb(r + 5 * k, g + 6 * k, b + 3 * k));
            });
        }
        at(50090, [&] {
            if (Zz(0, 1) == 0)
                gfx::DrawLine(picBG, 0, canvas.y(y - 1), canvas.x(canvas.logicalWidth),
                              canvas.y(y - 1), gfx::rgb(242, 248, 255));
        });
        at(50100, [&] { picBG.drawWidth = 1; });
    });
}

}  // namespace gm
