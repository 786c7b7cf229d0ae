// Scaled catalogue pictures: painted at the scale and kept.
#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "basic/vb_error.h"
#include "gfx/bitmap_resource.h"
#include "resources/artgen/scaled.h"

namespace gm::gfx {

namespace {

Bitmap fromPainted(const art::TrueColourPicture& p) {
    Bitmap out(p.width, p.height);
    for (int y = 0; y < p.height; ++y)
        std::copy_n(p.pixels.begin() + std::ptrdiff_t(y) * p.width, p.width, out.row(y));
    return out;
}

}  // namespace

Bitmap PaintScaledFrame(int id, int frame, double sx, double sy) {
    const auto painted = art::paintScaledFrame(id, frame, sx, sy);
    if (!painted) raise(err::ResourceNotFound, std::to_string(id));
    return fromPainted(*painted);
}

Bitmap PaintScaledBitmap(int id, double sx, double sy) { return PaintScaledFrame(id, 0, sx, sy); }

Bitmap LoadScaledBitmap(int id, double sx, double sy) { return LoadScaledFrame(id, 0, sx, sy); }

Bitmap LoadScaledFrame(int id, int frame, double sx, double sy) {
    // At most this many pixels are kept (about 200 MB); beyond it the
    // pictures are painted anew as asked for.
    constexpr std::size_t kMostKeptPixels = std::size_t(48) << 20;
    // The program paints from one thread, so the store needs no lock.
    static std::map<std::tuple<int, int, double, double>, Bitmap> kept;
    static std::size_t keptPixels = 0;
    const auto it = kept.find({id, frame, sx, sy});
    if (it != kept.end()) return it->second;
    Bitmap b = PaintScaledFrame(id, frame, sx, sy);
    const std::size_t pixels = std::size_t(b.width()) * b.height();
    if (keptPixels + pixels > kMostKeptPixels) {
        kept.clear();
        keptPixels = 0;
    }
    kept.emplace(std::tuple{id, frame, sx, sy}, b);
    keptPixels += pixels;
    return b;
}

}  // namespace gm::gfx
