// FreeType text rendering (see freetype_text.h for the choices).
#include "platform/text/freetype_text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>

#include <cmath>
#include <deque>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "platform/text/system_text.h"

namespace gm::gfx {
namespace {

constexpr double kDotsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;

// Faces to try for a requested family, in order.
std::vector<std::string> familyCandidates(const std::string& family) {
    std::vector<std::string> names{family};
    if (strcasecmp(family.c_str(), "Comic Sans MS") == 0) names.emplace_back("Comic Neue");
    return names;
}

int pixelsPerEm(const FontLayout& font) {
    return static_cast<int>(std::lround(font.points * kDotsPerInch / kPointsPerInch));
}

}  // namespace

// One face at one size.
struct LoadedFace {
    FontLayout font;
    FT_Face face = nullptr;
    std::string family;
    bool synthesiseBold = false;
    int ascent = 0;  // pixels above the baseline
    int height = 0;  // line height in pixels
    // The advance of every character measured so far (0 for one that
    // cannot be rendered, which draws nothing and takes no room).
    std::unordered_map<char32_t, int> advances;
};

struct FreeTypeTextRenderer::Impl {
    FT_Library library = nullptr;
    std::deque<LoadedFace> faces;  // stable addresses: callers keep references

    Impl() {
        if (FT_Init_FreeType(&library) != 0) throw std::runtime_error("FreeType cannot start");
    }
    ~Impl() {
        for (LoadedFace& f : faces) FT_Done_Face(f.face);
        FT_Done_FreeType(library);
    }

    // The font file and face index fontconfig chooses for a family, and the
    // family it actually matched.
    struct Match {
        std::string file;
        int index = 0;
        std::string family;
        bool bold = false;
    };
    static std::optional<Match> match(const std::string& family, bool bold) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* found = FcFontMatch(nullptr, pattern, &result);
        FcPatternDestroy(pattern);
        if (found == nullptr) return std::nullopt;
        Match m;
        FcChar8* text = nullptr;
        if (FcPatternGetString(found, FC_FILE, 0, &text) == FcResultMatch)
            m.file = reinterpret_cast<const char*>(text);
        if (FcPatternGetString(found, FC_FAMILY, 0, &text) == FcResultMatch)
            m.family = reinterpret_cast<const char*>(text);
        FcPatternGetInteger(found, FC_INDEX, 0, &m.index);
        int weight = FC_WEIGHT_REGULAR;
        FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
        m.bold = weight >= FC_WEIGHT_DEMIBOLD;
        FcPatternDestroy(found);
        if (m.file.empty()) return std::nullopt;
        return m;
    }

    // The first candidate family that is installed; otherwise fontconfig's
    // nearest match for the requested one.
    static Match resolve(const FontLayout& font) {
        std::optional<Match> first;
        for (const std::string& name : familyCandidates(font.face)) {
            std::optional<Match> m = match(name, font.bold);
            if (!m) continue;
            if (strcasecmp(m->family.c_str(), name.c_str()) == 0) return *m;
            if (!first) first = m;
        }
        if (!first) throw std::runtime_error("no font found for " + font.face);
        return *first;
    }

    LoadedFace& load(const FontLayout& font) {
        for (LoadedFace& f : faces)
            if (f.font.face == font.face && f.font.points == font.points &&
                f.font.bold == font.bold)
                return f;
        const Match m = resolve(font);
        LoadedFace f;
        f.font = font;
        f.family = m.family;
        if (FT_New_Face(library, m.file.c_str(), m.index, &f.face) != 0)
            throw std::runtime_error("FreeType cannot open " + m.file);
        const int ppem = pixelsPerEm(font);
        FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(ppem));
        f.synthesiseBold = font.bold && !m.bold && !(f.face->style_flags & FT_STYLE_FLAG_BOLD);
        // Windows line metrics when the face has them (TrueType/OpenType
        // OS/2 table), FreeType's scaled metrics otherwise.
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f.face, FT_SFNT_OS2));
        if (os2 != nullptr && f.face->units_per_EM != 0) {
            const double scale = static_cast<double>(ppem) / f.face->units_per_EM;
            f.ascent = static_cast<int>(std::lround(os2->usWinAscent * scale));
            f.height = f.ascent + static_cast<int>(std::lround(os2->usWinDescent * scale));
        } else {
            f.ascent = static_cast<int>((f.face->size->metrics.ascender + 32) >> 6);
            f.height = f.ascent - static_cast<int>((f.face->size->metrics.descender - 32) >> 6);
        }
        faces.push_back(f);
        return faces.back();
    }

    // Loads and renders one character as a one-bit bitmap in the glyph slot.
    bool renderGlyph(LoadedFace& f, char32_t c) {
        const FT_UInt index = FT_Get_Char_Index(f.face, c);
        if (FT_Load_Glyph(f.face, index, FT_LOAD_TARGET_MONO) != 0) return false;
        if (f.synthesiseBold) FT_GlyphSlot_Embolden(f.face->glyph);
        return FT_Render_Glyph(f.face->glyph, FT_RENDER_MODE_MONO) == 0;
    }

    static int advance(const LoadedFace& f) {
        return static_cast<int>((f.face->glyph->advance.x + 32) >> 6);
    }

    // The advance of one character, rendered as drawText renders it.
    int measure(LoadedFace& f, char32_t c) { return renderGlyph(f, c) ? advance(f) : 0; }

    int cachedAdvance(LoadedFace& f, char32_t c) {
        const auto known = f.advances.find(c);
        if (known != f.advances.end()) return known->second;
        return f.advances[c] = measure(f, c);
    }
};

FreeTypeTextRenderer::FreeTypeTextRenderer() : impl_(std::make_unique<Impl>()) {}
FreeTypeTextRenderer::~FreeTypeTextRenderer() = default;

std::string FreeTypeTextRenderer::resolvedFamily(const FontLayout& font) {
    return impl_->load(font).family;
}

int FreeTypeTextRenderer::textHeight(const FontLayout& font, std::string_view) {
    return impl_->load(font).height;
}

// The show measures its date and time on every tick: the advances are
// looked up, each character rendered only the first time it is measured.
int FreeTypeTextRenderer::textWidth(const FontLayout& font, std::string_view text) {
    LoadedFace& f = impl_->load(font);
    int width = 0;
    for (char32_t c : textCodePoints(text)) width += impl_->cachedAdvance(f, c);
    return width;
}

int FreeTypeTextRenderer::referenceTextWidth(const FontLayout& font, std::string_view text) {
    LoadedFace& f = impl_->load(font);
    int width = 0;
    for (char32_t c : textCodePoints(text)) width += impl_->measure(f, c);
    return width;
}

void FreeTypeTextRenderer::drawText(Surface& s, int x, int y, const FontLayout& font,
                                    std::string_view text, Colour colour) {
    LoadedFace& f = impl_->load(font);
    const std::uint32_t pixel = toPixel(colour);
    const int baseline = y + f.ascent;
    int pen = x;
    for (char32_t c : textCodePoints(text)) {
        if (!impl_->renderGlyph(f, c)) continue;
        const FT_GlyphSlot g = f.face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row) {
            const int py = baseline - g->bitmap_top + static_cast<int>(row);
            if (py < 0 || py >= s.height()) continue;
            const unsigned char* bits = bm.buffer + static_cast<std::ptrdiff_t>(row) * bm.pitch;
            for (unsigned col = 0; col < bm.width; ++col) {
                const int px = pen + g->bitmap_left + static_cast<int>(col);
                if (px < 0 || px >= s.width()) continue;
                if (bits[col / 8] & (0x80 >> (col % 8))) s.row(py)[px] = pixel;
            }
        }
        pen += Impl::advance(f);
    }
}

TextRenderer& systemTextRenderer() {
    static FreeTypeTextRenderer renderer;
    return renderer;
}

}  // namespace gm::gfx
