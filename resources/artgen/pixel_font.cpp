#include "resources/artgen/pixel_font.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace gm::art {
namespace {

struct Glyph {
    char c;
    std::array<const char*, kFontCellHeight> rows;  // '#' marks a pixel
};

// clang-format off
constexpr Glyph kGlyphs[] = {
    {' ', {"   ", "   ", "   ", "   ", "   ", "   ", "   ", "   ", "   "}},
    {'.', {" ", " ", " ", " ", " ", " ", "#", " ", " "}},
    {':', {" ", " ", "#", " ", " ", " ", "#", " ", " "}},
    {'-', {"    ", "    ", "    ", "####", "    ", "    ", "    ", "    ", "    "}},
    {'/', {"    #", "    #", "   # ", "  #  ", " #   ", "#    ", "#    ", "     ", "     "}},
    {'!', {"#", "#", "#", "#", "#", " ", "#", " ", " "}},
    {'*', {"     ", "# # #", " ### ", "#####", " ### ", "# # #", "     ", "     ", "     "}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### ", "     ", "     "}},
    {'1', {"  # ", " ## ", "# # ", "  # ", "  # ", "  # ", "####", "    ", "    "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####", "     ", "     "}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### ", "     ", "     "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # ", "     ", "     "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### ", "     ", "     "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### ", "     ", "     "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   ", "     ", "     "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### ", "     ", "     "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  ", "     ", "     "}},
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #", "     ", "     "}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### ", "     ", "     "}},
    {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### ", "     ", "     "}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### ", "     ", "     "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####", "     ", "     "}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    ", "     ", "     "}},
    {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####", "     ", "     "}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #", "     ", "     "}},
    {'I', {"###", " # ", " # ", " # ", " # ", " # ", "###", "   ", "   "}},
    {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  ", "     ", "     "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #", "     ", "     "}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####", "     ", "     "}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #", "     ", "     "}},
    {'N', {"#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "     ", "     "}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### ", "     ", "     "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    ", "     ", "     "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #", "     ", "     "}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #", "     ", "     "}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### ", "     ", "     "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "     "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### ", "     ", "     "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  ", "     ", "     "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # ", "     ", "     "}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #", "     ", "     "}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "     "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####", "     ", "     "}},
    {'a', {"    ", "    ", " ## ", "   #", " ###", "#  #", " ###", "    ", "    "}},
    {'b', {"#   ", "#   ", "### ", "#  #", "#  #", "#  #", "### ", "    ", "    "}},
    {'c', {"    ", "    ", " ## ", "#   ", "#   ", "#   ", " ## ", "    ", "    "}},
    {'d', {"   #", "   #", " ###", "#  #", "#  #", "#  #", " ###", "    ", "    "}},
    {'e', {"    ", "    ", " ## ", "#  #", "####", "#   ", " ## ", "    ", "    "}},
    {'f', {"  #", " # ", "###", " # ", " # ", " # ", " # ", "   ", "   "}},
    {'g', {"    ", "    ", " ###", "#  #", "#  #", "#  #", " ###", "   #", " ## "}},
    {'h', {"#   ", "#   ", "### ", "#  #", "#  #", "#  #", "#  #", "    ", "    "}},
    {'i', {" ", "#", " ", "#", "#", "#", "#", " ", " "}},
    {'j', {"  ", " #", "  ", " #", " #", " #", " #", " #", "# "}},
    {'k', {"#   ", "#   ", "#  #", "# # ", "##  ", "# # ", "#  #", "    ", "    "}},
    {'l', {"# ", "# ", "# ", "# ", "# ", "# ", " #", "  ", "  "}},
    {'m', {"     ", "     ", "## # ", "# # #", "# # #", "# # #", "# # #", "     ", "     "}},
    {'n', {"    ", "    ", "### ", "#  #", "#  #", "#  #", "#  #", "    ", "    "}},
    {'o', {"    ", "    ", " ## ", "#  #", "#  #", "#  #", " ## ", "    ", "    "}},
    {'p', {"    ", "    ", "### ", "#  #", "#  #", "#  #", "### ", "#   ", "#   "}},
    {'q', {"    ", "    ", " ###", "#  #", "#  #", "#  #", " ###", "   #", "   #"}},
    {'r', {"   ", "   ", "# #", "## ", "#  ", "#  ", "#  ", "   ", "   "}},
    {'s', {"    ", "    ", " ###", "#   ", " ## ", "   #", "### ", "    ", "    "}},
    {'t', {" # ", " # ", "###", " # ", " # ", " # ", "  #", "   ", "   "}},
    {'u', {"    ", "    ", "#  #", "#  #", "#  #", "#  #", " ###", "    ", "    "}},
    {'v', {"     ", "     ", "#   #", "#   #", "#   #", " # # ", "  #  ", "     ", "     "}},
    {'w', {"     ", "     ", "#   #", "#   #", "# # #", "# # #", " # # ", "     ", "     "}},
    {'x', {"    ", "    ", "#  #", "#  #", " ## ", "#  #", "#  #", "    ", "    "}},
    {'y', {"    ", "    ", "#  #", "#  #", "#  #", "#  #", " ###", "   #", " ## "}},
    {'z', {"    ", "    ", "####", "   #", " ## ", "#   ", "####", "    ", "    "}},
};
// clang-format on

const Glyph* find(char c) {
    for (const Glyph& g : kGlyphs)
        if (g.c == c) return &g;
    return find(' ');
}

int glyphWidth(const Glyph& g) { return static_cast<int>(std::strlen(g.rows[0])); }

}  // namespace

int textWidth(std::string_view text, int scale) {
    int w = 0;
    for (char c : text) w += (glyphWidth(*find(c)) + 1) * scale;
    return text.empty() ? 0 : w - scale;
}

namespace {

// Distance from p to the segment a-b.
double distanceToSegment(Pt p, Pt a, Pt b) {
    const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    const double t =
        length2 == 0 ? 0 : std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// A glyph painted finer than its pixels: a pen as wide as a font pixel drawn
// through the centres of neighbouring pixels (diagonal neighbours where no
// side neighbour links them), so that strokes keep their weight and lose
// their steps; a lone pixel is a round dot.
void strokeGlyph(Shape& s, const Glyph& g, double x, double y, int scale) {
    const int width = glyphWidth(g);
    const auto on = [&](int row, int col) {
        return row >= 0 && row < kFontCellHeight && col >= 0 && col < width &&
               g.rows[row][col] == '#';
    };
    const auto centre = [&](int row, int col) {
        return Pt{x + (col + 0.5) * scale, y + (row + 0.5) * scale};
    };
    std::vector<std::pair<Pt, Pt>> pen;
    for (int row = 0; row < kFontCellHeight; ++row)
        for (int col = 0; col < width; ++col) {
            if (!on(row, col)) continue;
            pen.push_back({centre(row, col), centre(row, col)});
            for (const auto& [dr, dc] : {std::pair{0, 1}, {1, 0}, {1, 1}, {1, -1}}) {
                const bool diagonal = dr != 0 && dc != 0;
                if (on(row + dr, col + dc) &&
                    !(diagonal && (on(row, col + dc) || on(row + dr, col))))
                    pen.push_back({centre(row, col), centre(row + dr, col + dc)});
            }
        }
    const double r = scale / 2.0, kx = s.kx(), ky = s.ky();
    for (const auto& [a, b] : pen) {
        const int left = static_cast<int>((std::min(a.x, b.x) - r) * kx) - 1;
        const int right = static_cast<int>((std::max(a.x, b.x) + r) * kx) + 1;
        const int top = static_cast<int>((std::min(a.y, b.y) - r) * ky) - 1;
        const int bottom = static_cast<int>((std::max(a.y, b.y) + r) * ky) + 1;
        for (int py = top; py <= bottom; ++py)
            for (int px = left; px <= right; ++px)
                if (distanceToSegment({(px + 0.5) / kx, (py + 0.5) / ky}, a, b) <= r)
                    s.setPixel(px, py);
    }
}

// A glyph at the font's own pixels, each scale x scale of the shape's.
void blockGlyph(Shape& s, const Glyph& g, int x, int y, int scale) {
    for (int row = 0; row < kFontCellHeight; ++row)
        for (int col = 0; g.rows[row][col]; ++col)
            if (g.rows[row][col] == '#')
                for (int sy = 0; sy < scale; ++sy)
                    for (int sx = 0; sx < scale; ++sx)
                        s.set(x + col * scale + sx, y + row * scale + sy);
}

}  // namespace

Shape textShape(int w, int h, std::string_view text, int x, int y, int scale) {
    Shape s(w, h);
    const bool finer = s.kx() != 1 || s.ky() != 1;
    for (char c : text) {
        const Glyph& g = *find(c);
        if (finer)
            strokeGlyph(s, g, x, y, scale);
        else
            blockGlyph(s, g, x, y, scale);
        x += (glyphWidth(g) + 1) * scale;
    }
    return s;
}

}  // namespace gm::art
