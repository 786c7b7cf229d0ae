// The catalogue at the scales of today's screens: every scaled picture,
// shrunk back to its catalogue size, agrees with the stored one; the
// gradient strips are smooth (each row one colour, neighbouring rows at most
// one level apart per channel, so no ordered dither is left).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "gfx/bitmap_resource.h"
#include "resources/resource_ids.h"

namespace gm {
namespace {

// The scene's catalogue: strips, patterns, bands, sprites and their masks.
std::vector<int> sceneCatalogue() {
    std::vector<int> ids;
    for (int id = 101; id <= 105; ++id) ids.push_back(id);
    for (int id = 111; id <= 128; ++id) ids.push_back(id);
    for (int id = 131; id <= 138; ++id) ids.push_back(id);
    for (int id :
         {141, 142, 143, 144, 151, 152, 153, 154, 161, 162, 163, 164, 165, 166, 181, 182, 183})
        ids.push_back(id);
    // What flies, and the banner in the corner.
    for (int id = 201; id <= 205; ++id) ids.insert(ids.end(), {id, id + 10});
    ids.insert(ids.end(), {221, 222, res::kBanner});
    return ids;
}

// The mean of each channel over cells of n x n catalogue pixels: the scale
// at which the 1x pictures' ordered dither (an 8 x 8 matrix) and their
// speckle patterns average out to the tone they stand for.
struct CellMeans {
    int columns = 0, rows = 0;
    std::vector<double> values;  // cell-major, 3 channels
};

CellMeans cellMeans(const gfx::Bitmap& p, int catalogueW, int catalogueH, int n) {
    CellMeans m{(catalogueW + n - 1) / n, (catalogueH + n - 1) / n, {}};
    m.values.assign(std::size_t(m.columns) * m.rows * 3, 0);
    std::vector<double> counts(std::size_t(m.columns) * m.rows, 0);
    const double sx = double(catalogueW) / p.width(), sy = double(catalogueH) / p.height();
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            const int cell = int((y + 0.5) * sy) / n * m.columns + int((x + 0.5) * sx) / n;
            const std::uint32_t v = p.row(y)[x];
            for (int c = 0; c < 3; ++c) m.values[cell * 3 + c] += (v >> (16 - 8 * c)) & 0xFF;
            counts[cell] += 1;
        }
    for (std::size_t i = 0; i < counts.size(); ++i)
        for (int c = 0; c < 3; ++c) m.values[i * 3 + c] /= counts[i];
    return m;
}

TEST(ScaledArt, ShrunkBackEveryPictureAgreesWithTheCatalogue) {
    // Mean difference over all cells, in levels of 255. The stored pictures
    // dither between palette colours up to 16 levels apart and place hard
    // edges at whole pixels; the scaled ones shade smoothly and place their
    // edges at the physical pixels. Averaged over 8 x 8 cells that leaves a
    // few levels; a picture painted wrongly (another tone, shifted, wrong
    // shape or mirrored) differs by tens of levels. The blend patterns are
    // random dots: a cell of 64 catalogue pixels holds its share of dots
    // only up to the sampling noise of 64 draws, at most 255 x sqrt(0.25 /
    // 64) = 16 levels of standard deviation, a mean difference of 13. The
    // forest strips (141, 142) are rows of firs whose branch tips are
    // narrower than a catalogue pixel: the stored strips lose most of them,
    // the scaled ones draw them, which fills up to a third more of the
    // cells along the tree tops; the fence's drift (165, 166) is a sliver
    // one or two rows high between the rails and the ground, cut at whole
    // rows in the stored fence. They get the patterns' allowance.
    constexpr double kMeanTolerance = 6, kCoarseTolerance = 13;
    for (const double k : {2.25, 4.5}) {
        for (const int id : sceneCatalogue()) {
            const gfx::Bitmap stored = gfx::LoadBitmapResource(id);
            const gfx::Bitmap scaled = gfx::LoadScaledBitmap(id, k, k);
            EXPECT_EQ(scaled.width(), std::lround(stored.width() * k)) << id;
            EXPECT_EQ(scaled.height(), std::lround(stored.height() * k)) << id;
            const CellMeans a = cellMeans(stored, stored.width(), stored.height(), 8);
            const CellMeans b = cellMeans(scaled, stored.width(), stored.height(), 8);
            double sum = 0;
            for (std::size_t i = 0; i < a.values.size(); ++i)
                sum += std::fabs(a.values[i] - b.values[i]);
            const double mean = sum / a.values.size();
            const bool coarse = (id >= 111 && id <= 120) || id == 183 || id == 141 || id == 142 ||
                                id == 165 || id == 166;
            EXPECT_LE(mean, coarse ? kCoarseTolerance : kMeanTolerance)
                << "picture " << id << " at " << k;
            if (std::getenv("GLINTMOOR_PRINT_ART_DIFFERENCES"))
                std::printf("%d at %.2f: %.2f\n", id, k, mean);
        }
    }
}

// A tree painted alone at the size it stands is its frame of the sheet:
// at the sheet's scale pixel for pixel, at another its frame's size.
TEST(ScaledArt, ATreeFramePaintedAloneIsItsFrameOfTheSheet) {
    constexpr double k = 4.5;
    for (const int id : {143, 144}) {
        const gfx::Bitmap sheet = gfx::PaintScaledBitmap(id, k, k);
        for (int f = 1; f <= 5; ++f) {
            const gfx::Bitmap alone = gfx::PaintScaledFrame(id, f, k, k);
            ASSERT_EQ(alone.width(), sheet.width());
            ASSERT_EQ(alone.height(), sheet.height() / 5);
            for (int y = 0; y < alone.height(); ++y)
                for (int x = 0; x < alone.width(); ++x)
                    ASSERT_EQ(alone.row(y)[x], sheet.row((f - 1) * alone.height() + y)[x])
                        << "picture " << id << ", frame " << f << " at " << x << "," << y;
        }
        const gfx::Bitmap tall = gfx::PaintScaledFrame(id, 2, 5.2, 7.1);
        EXPECT_EQ(tall.width(), 520);
        EXPECT_EQ(tall.height(), 710);
    }
}

TEST(ScaledArt, ScaledGradientsAreSmoothRowByRow) {
    for (const double k : {2.0, 2.25, 3.0, 4.5, 9.0}) {
        for (int id = 101; id <= 105; ++id) {
            const gfx::Bitmap strip = gfx::LoadScaledBitmap(id, k, k);
            for (int y = 0; y < strip.height(); ++y) {
                const std::uint32_t* row = strip.row(y);
                for (int x = 1; x < strip.width(); ++x)
                    ASSERT_EQ(row[x], row[0]) << "strip " << id << " at " << k << ", row " << y;
                if (y == 0) continue;
                const std::uint32_t above = strip.row(y - 1)[0];
                for (const int shift : {16, 8, 0})
                    ASSERT_LE(
                        std::abs(int((row[0] >> shift) & 0xFF) - int((above >> shift) & 0xFF)), 1)
                        << "strip " << id << " at " << k << ", row " << y;
            }
        }
    }
}

}  // namespace
}  // namespace gm
