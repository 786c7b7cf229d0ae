#include <algorithm>
#include <cmath>

#include "resources/artgen/art.h"
#include "resources/artgen/paint_kit.h"

namespace gm::art {

void addSprite(std::vector<Artwork>& out, int id, int maskId, Storage storage,
               const Picture& sprite) {
    // Overlapping figures can leave a lone pixel where one cut into another.
    Picture clean = sprite;
    Shape figure = clean.coverage();
    removeSpecks(clean, figure);
    out.push_back({id, std::to_string(id), storage, clean});
    out.push_back({maskId, std::to_string(maskId), Storage::Bits1, maskOf(clean)});
}

Rgb mix(Rgb a, Rgb b, double t) {
    auto channel = [t](std::uint8_t u, std::uint8_t v) {
        return static_cast<std::uint8_t>(std::lround(u + (v - u) * t));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

std::vector<Rgb> gradientColours(const std::vector<Rgb>& stops, int n) {
    std::vector<Rgb> out;
    const double segments = double(stops.size() - 1);
    for (int i = 0; i < n; ++i) {
        const double t = n == 1 ? 0 : i * segments / (n - 1);
        const int k = std::min(static_cast<int>(t), static_cast<int>(stops.size()) - 2);
        out.push_back(mix(stops[k], stops[k + 1], t - k));
    }
    return out;
}

double noise(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFFu) / double(0x1000000);
}

double Random::uniform() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return (z >> 11) * (1.0 / 9007199254740992.0);
}

}  // namespace gm::art
