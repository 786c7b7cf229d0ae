// Fuzz target of the raster: decodes the input as a bitmap with the fast and
// the reference decoder, which must agree, and, when that works, draws the
// picture, an ellipse and a line with a geometry taken from the input's last
// bytes, so that clipping, stretching and mirroring meet odd sizes and
// far-off coordinates. Built with libFuzzer and the address and
// undefined-behaviour sanitizers; any crash, out-of-bounds access, overflow
// or disagreement of the decoders is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "gfx/bmp_decoder.h"
#include "gfx/bmp_decoder_reference.h"
#include "gfx/surface.h"

using namespace gm::gfx;

namespace {

// A signed coordinate from two input bytes, spread over -4096..4095.
int coordinate(const std::uint8_t* p) { return ((p[0] << 8 | p[1]) % 8192) - 4096; }

bool sameBitmap(const Bitmap& a, const Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const BmpDecodeResult decoded = decodeBmp(std::span(data, size));
    // The fast decoder must agree with the plain reference on every input.
    const BmpDecodeResult plain = decodeBmpReference(std::span(data, size));
    if (decoded.error != plain.error || !sameBitmap(decoded.bitmap, plain.bitmap)) __builtin_trap();
    if (!decoded) return 0;
    constexpr std::size_t kGeometryBytes = 17;
    if (size < kGeometryBytes) return 0;
    const std::uint8_t* g = data + size - kGeometryBytes;

    Surface target(64, 48, 0x336699);
    const Rop rops[] = {Rop::SrcCopy, Rop::SrcAnd, Rop::SrcPaint};
    const ImageView picture = decoded.bitmap.view();
    DrawPicture(target, picture, coordinate(g) % 80, coordinate(g + 2) % 60,
                coordinate(g + 4) % 200, coordinate(g + 6) % 200, coordinate(g + 8) % 300,
                coordinate(g + 10) % 300, coordinate(g + 12), coordinate(g + 14), rops[g[16] % 3]);
    // The surface onto itself, which takes the overlapping-source paths.
    StretchBlt(target, coordinate(g + 2) % 70, coordinate(g) % 50, coordinate(g + 6) % 90,
               coordinate(g + 4) % 90, target, coordinate(g + 8) % 70, coordinate(g + 10) % 50,
               coordinate(g + 12) % 90, coordinate(g + 14) % 90, rops[g[16] % 3]);
    Ellipse(target, coordinate(g) % 100, coordinate(g + 2) % 100, coordinate(g + 4) % 100,
            coordinate(g + 6) % 100);
    target.drawWidth = 1 + g[16] % 6;
    DrawLine(target, coordinate(g + 8) % 100, coordinate(g + 10) % 100, coordinate(g + 12) % 100,
             coordinate(g + 14) % 100, 0xFFFFFF);
    return 0;
}
