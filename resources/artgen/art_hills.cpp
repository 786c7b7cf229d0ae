// Snow hills (131/132, 133/134, 135/136, 137/138): 640 x 100 silhouettes of
// snow on black, each made of two or three overlapping ridges. The scene
// shows a band's right end in the middle of the picture, so every ridge sinks
// to the bottom edge at the right. Light comes from the upper left: slopes
// that face it are white, the others pale blue, with drift lines and a crisp
// crest line that separates one band from the band behind it.
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/scaled_painters.h"

namespace gm::art {
namespace {

constexpr int kW = 640, kH = 100;

enum Tone : std::uint8_t { kCrest = 1, kDeep, kShade, kMid, kLight, kWhite, kDrift, kSparkle };

const std::vector<Rgb> kPalette = {
    {0, 0, 0},       {122, 146, 190}, {158, 180, 216}, {184, 204, 234}, {210, 224, 244},
    {234, 242, 251}, {250, 252, 255}, {170, 192, 226}, {255, 255, 255},
};

struct Wave {
    double amplitude, period, phase;
};

struct Ridge {
    double base;  // mean crest row
    std::vector<Wave> waves;
    double taperFrom;  // the crest sinks to the bottom from this column to the right end
    double y(double x) const {
        double v = base;
        for (const Wave& w : waves) v -= w.amplitude * std::sin(2 * M_PI * x / w.period + w.phase);
        if (x > taperFrom) {
            const double t = (x - taperFrom) / (kW - taperFrom);
            v += (kH + 2 - v) * t * t * (3 - 2 * t);
        }
        return v;
    }
    double slope(double x) const { return y(x + 1) - y(x - 1); }
};

Picture hill(const std::vector<Ridge>& ridges, std::uint32_t seed) {
    Picture p(kW, kH, kPalette);
    for (std::size_t r = 0; r < ridges.size(); ++r) {
        const Ridge& ridge = ridges[r];
        const Shape body = below(kW, kH, [&](double x) { return ridge.y(x); });
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                if (!body.at(x, y)) continue;
                const double crest = ridge.y(x + 0.5);
                const double depth = (y + 0.5 - crest) / std::max(8.0, kH - crest);
                const double facing =
                    std::clamp(-ridge.slope(x + 0.5) * 1.6, -1.0, 1.0);  // +1 faces the light
                double t = 0.32 + 0.6 * depth - 0.4 * facing * std::exp(-4 * depth);
                t += 0.12 * std::sin((x * 0.05 + y * 0.35) + seed) * depth;  // gentle drifts
                const std::uint8_t ramp[5] = {kWhite, kLight, kMid, kShade, kDeep};
                const double v = std::clamp(t, 0.0, 0.999) * 5;
                const int lo = static_cast<int>(v);
                const int idx = std::min(4, lo + ((v - lo) > bayer(x, y) ? 1 : 0));
                p.set(x, y, ramp[idx]);
            }
        // Drift lines: thin curves following the crest lower down.
        for (int k = 1; k <= 2; ++k)
            for (int x = 0; x < kW; ++x) {
                const double crest = ridge.y(x + 0.5);
                const int y = static_cast<int>(crest + k * (kH - crest) * 0.33 +
                                               3 * std::sin(x * 0.03 + k + seed));
                if (body.at(x, y) && std::sin(x * 0.09 + k * 2.0 + seed) > -0.2)
                    p.set(x, y, kDrift);
            }
        // The crest line, with a lit lip on slopes that face the light.
        for (int x = 0; x < kW; ++x) {
            const int y = static_cast<int>(std::ceil(ridge.y(x + 0.5) - 0.5));
            if (y < 0 || y >= kH) continue;
            p.set(x, y, kCrest);
            if (ridge.slope(x + 0.5) < -0.15 && body.at(x, y + 1)) p.set(x, y + 1, kWhite);
        }
        // Glints of sunlit snow just under the crest.
        Random rnd(seed * 31 + r);
        for (int i = 0; i < 90; ++i) {
            const int x = rnd.integer(0, kW - 1);
            const int y = static_cast<int>(ridge.y(x + 0.5)) + rnd.integer(2, 14);
            if (body.at(x, y) && ridge.slope(x + 0.5) < 0.2) p.set(x, y, kSparkle);
        }
    }
    return p;
}

// Every ridge sinks to the ground at the right end: that end is where a
// band stops inside the canvas, plain or mirrored.
const std::vector<Ridge> kVariants[4] = {
    // Broad rolling hills.
    {{26, {{12, 420, 0.6}, {6, 170, 1.9}}, 220}, {56, {{9, 300, 2.4}, {4, 90, 0.3}}, 300}},
    // Two rounded humps.
    {{34, {{20, 330, -0.2}, {3, 60, 1.0}}, 240}, {60, {{14, 250, 2.2}}, 320}},
    // A long slope rising to the left.
    {{16, {{8, 200, 0.8}, {3, 75, 2.0}}, 160},
     {46, {{10, 260, 0.2}}, 260},
     {72, {{6, 150, 1.4}}, 380}},
    // Low dunes.
    {{46, {{10, 160, 0.3}, {5, 70, 2.5}}, 260}, {70, {{7, 210, 1.1}, {3, 55, 0.5}}, 360}},
};

}  // namespace

// A hill at a scale: the same ridges, shading, drift lines, crest and
// glints from the same draws, worked out at every physical pixel with
// smooth shading; the crest and the drift lines one hill pixel wide.
ScaledSprite scaledHill(int id, double sx, double sy) {
    const std::vector<Ridge>& ridges = kVariants[(id - 131) / 2];
    const std::uint32_t seed = std::uint32_t(id);
    ScaledSprite out{{scaledSize(kW, sx), scaledSize(kH, sy), {}}, {}};
    TrueColourPicture& p = out.picture;
    const double kx = double(p.width) / kW, ky = double(p.height) / kH;
    p.pixels.assign(std::size_t(p.width) * p.height, 0);
    out.covered.assign(p.pixels.size(), 0);
    const std::vector<Rgb> ramp = {kPalette[kWhite], kPalette[kLight], kPalette[kMid],
                                   kPalette[kShade], kPalette[kDeep]};
    for (std::size_t r = 0; r < ridges.size(); ++r) {
        const Ridge& ridge = ridges[r];
        // Glints of sunlit snow just under the crest, as round dots.
        Random rnd(seed * 31 + r);
        std::vector<Pt> glints;
        for (int i = 0; i < 90; ++i) {
            const int x = rnd.integer(0, kW - 1);
            const double y = static_cast<int>(ridge.y(x + 0.5)) + rnd.integer(2, 14);
            if (ridge.slope(x + 0.5) < 0.2) glints.push_back({(x + 0.5) * kx, (y + 0.5) * ky});
        }
        for (int X = 0; X < p.width; ++X) {
            const double x = (X + 0.5) / kx;  // in hill pixels
            const double crest = ridge.y(x), slope = ridge.slope(x);
            const double facing = std::clamp(-slope * 1.6, -1.0, 1.0);  // +1 faces the light
            // Drift lines: thin curves following the crest lower down.
            double lines[2];
            bool drawn[2];
            for (int k = 1; k <= 2; ++k) {
                lines[k - 1] = crest + k * (kH - crest) * 0.33 + 3 * std::sin(x * 0.03 + k + seed);
                drawn[k - 1] = std::sin(x * 0.09 + k * 2.0 + seed) > -0.2;
            }
            // Down the column the shading's exponential and wave advance by
            // a fixed factor and angle each pixel: worked out incrementally.
            const double scaleDepth = 1 / std::max(8.0, kH - crest), dy = 1 / ky;
            const int top = std::max(0, int(std::floor(crest * ky)));
            const double y0 = (top + 0.5) / ky;
            double fade = std::exp(-4 * (y0 - crest) * scaleDepth);
            const double fadeStep = std::exp(-4 * dy * scaleDepth);
            const double phase = x * 0.05 + y0 * 0.35 + seed, turn = 0.35 * dy;
            double wave = std::sin(phase), waveCos = std::cos(phase);
            const double turnSin = std::sin(turn), turnCos = std::cos(turn);
            for (int Y = top; Y < p.height; ++Y) {
                const double y = (Y + 0.5) / ky;
                const double depth = (y - crest) * scaleDepth;
                double t = 0.32 + 0.6 * depth - 0.4 * facing * fade;
                t += 0.12 * wave * depth;  // gentle drifts
                fade *= fadeStep;
                const double nextWave = wave * turnCos + waveCos * turnSin;
                waveCos = waveCos * turnCos - wave * turnSin;
                wave = nextWave;
                if (y < crest) continue;
                Rgb c = colourAlong(ramp, std::clamp(t, 0.0, 1.0));
                for (int k = 0; k < 2; ++k) {
                    const double cover = dotCover(std::fabs(y - lines[k] - 0.5) * ky, 0.5 * ky);
                    if (drawn[k] && cover > 0) c = blend(c, kPalette[kDrift], cover);
                }
                // The crest line, with a lit lip on slopes that face the light.
                if (y < crest + 1)
                    c = kPalette[kCrest];
                else if (y < crest + 2 && slope < -0.15)
                    c = kPalette[kWhite];
                const std::size_t at = std::size_t(Y) * p.width + X;
                p.pixels[at] = word(c);
                out.covered[at] = 1;
            }
        }
        for (const Pt& g : glints)
            for (int Y = int(g.y - ky); Y <= int(g.y + ky); ++Y)
                for (int X = int(g.x - kx); X <= int(g.x + kx); ++X) {
                    if (X < 0 || Y < 0 || X >= p.width || Y >= p.height) continue;
                    const std::size_t at = std::size_t(Y) * p.width + X;
                    const double a = dotCover(std::hypot(X + 0.5 - g.x, Y + 0.5 - g.y), 0.5 * ky);
                    if (out.covered[at] && a > 0)
                        p.pixels[at] = word(blend(rgbOf(p.pixels[at]), kPalette[kSparkle], a));
                }
    }
    return out;
}

void paintHills(std::vector<Artwork>& out) {
    for (int v = 0; v < 4; ++v)
        addSprite(out, 131 + 2 * v, 132 + 2 * v, Storage::Bits4Rle,
                  hill(kVariants[v], 131 + 2 * v));
}

}  // namespace gm::art
