// Helpers for pixel tests: pictures written as rows of characters.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "gfx/surface.h"

namespace gm::gfx::test {

// A picture from rows of characters, each character a pixel looked up in
// the legend.
inline Bitmap picture(const std::vector<std::string>& rows,
                      const std::map<char, std::uint32_t>& legend) {
    Bitmap b(rows.empty() ? 0 : static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) b.row(y)[x] = legend.at(rows[y][x]);
    return b;
}

// The surface's pixels as rows of characters; pixels missing from the
// legend show as '?'.
inline std::vector<std::string> rowsOf(const Surface& s,
                                       const std::map<std::uint32_t, char>& legend) {
    std::vector<std::string> rows;
    for (int y = 0; y < s.height(); ++y) {
        std::string line;
        for (int x = 0; x < s.width(); ++x) {
            const auto it = legend.find(s.row(y)[x]);
            line += it == legend.end() ? '?' : it->second;
        }
        rows.push_back(line);
    }
    return rows;
}

// A surface whose pixel (x, y) holds the value y * 256 + x + 1: every pixel
// tells where it came from.
inline void numberPixels(Surface& s) {
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            s.row(y)[x] = static_cast<std::uint32_t>(y * 256 + x + 1);
}

}  // namespace gm::gfx::test
