#include "programs/export_resources.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "gfx/bmp_decoder.h"
#include "programs/png_file.h"
#include "resources/resource_data.h"
#include "resources/resource_ids.h"

namespace gm {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kGalleryGround = 0x8A8F99;  // neutral grey behind the sprites
constexpr std::uint32_t kMaskWhite = 0xFFFFFF;

// A sprite sheet: its mask and the number of frames stacked in it.
struct SheetLayout {
    int maskId;
    int frames;
};
const std::map<int, SheetLayout> kSheets = {
    {131, {132, 1}},
    {133, {134, 1}},
    {135, {136, 1}},
    {137, {138, 1}},
    {141, {142, 5}},
    {143, {144, 5}},
    {151, {152, 5}},
    {153, {154, 1}},
    {161, {162, 1}},
    {163, {164, 1}},
    {165, {166, 1}},
    {181, {182, 1}},
    {201, {211, 6}},
    {202, {212, 6}},
    {203, {213, 6}},
    {204, {214, 6}},
    {205, {215, 6}},
    {221, {222, 2}},
    {res::kIconHomepage, {res::kIconHomepageMask, 1}},
    {res::kIconInfo, {res::kIconInfoMask, 1}},
    {res::kIconOk, {res::kIconOkMask, 1}},
};

const std::map<int, std::string> kCaptions = {
    {101, "sky gradient, pale blue"},
    {102, "sky gradient, deep blue"},
    {103, "sky gradient, blue to lilac and pink"},
    {104, "sky gradient, turquoise"},
    {105, "sky gradient, blue to peach"},
    {121, "sky band 1a"},
    {122, "sky band 1b"},
    {123, "sky band 2a"},
    {124, "sky band 2b"},
    {125, "sky band 3a"},
    {126, "sky band 3b"},
    {127, "sky band 4a"},
    {128, "sky band 4b"},
    {131, "hills"},
    {133, "hills"},
    {135, "hills"},
    {137, "hills"},
    {141, "forest strips"},
    {143, "fir trees"},
    {151, "town skylines"},
    {153, "village"},
    {161, "red house"},
    {163, "log cabin"},
    {165, "rail fence"},
    {181, "snowman"},
    {183, "shadow pattern"},
    {201, "grey bird"},
    {202, "bird, blue cap"},
    {203, "bird, red cap"},
    {204, "brown bird"},
    {205, "bird, yellow cap"},
    {221, "plane with banner"},
};

bool isMask(int id) {
    for (const auto& [sprite, layout] : kSheets)
        if (layout.maskId == id) return true;
    return false;
}

bool isCatalogueName(std::string_view name) {
    int value = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), value);
    return ec == std::errc() && end == name.data() + name.size();
}

// The resource's bytes as a .bmp file: a BITMAPFILEHEADER ("BM", file size,
// reserved, offset of the bits) in front of the packed DIB.
std::vector<std::uint8_t> bmpFile(std::span<const std::uint8_t> dib) {
    auto u32 = [&](std::size_t o) {
        return std::uint32_t(dib[o]) | std::uint32_t(dib[o + 1]) << 8 |
               std::uint32_t(dib[o + 2]) << 16 | std::uint32_t(dib[o + 3]) << 24;
    };
    const std::uint32_t headerSize = u32(0);
    const std::uint32_t bitCount = std::uint32_t(dib[14]) | std::uint32_t(dib[15]) << 8;
    std::uint32_t colours = u32(32);
    if (colours == 0 && bitCount <= 8) colours = 1u << bitCount;
    const std::uint32_t size = 14 + std::uint32_t(dib.size());
    const std::uint32_t offset = 14 + headerSize + 4 * colours;
    std::vector<std::uint8_t> out{'B', 'M'};
    for (const std::uint32_t v : {size, 0u, offset})
        for (int k = 0; k < 4; ++k) out.push_back(std::uint8_t(v >> (8 * k)));
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

// The sheet's frames side by side, drawn through the mask on the grey ground.
gfx::Bitmap composite(const gfx::Bitmap& sprite, const gfx::Bitmap& mask, int frames) {
    const int fh = sprite.height() / frames;
    gfx::Bitmap out(sprite.width() * frames, fh, kGalleryGround);
    for (int f = 0; f < frames; ++f)
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < sprite.width(); ++x)
                if ((mask.row(f * fh + y)[x] & 0xFFFFFF) != kMaskWhite)
                    out.row(y)[f * sprite.width() + x] = sprite.row(f * fh + y)[x];
    return out;
}

class Exporter {
  public:
    explicit Exporter(fs::path dir) : dir_(std::move(dir)) {}

    bool run() {
        fs::create_directories(dir_ / "gallery");
        for (const BitmapResourceName& n : bitmapResourceNames()) {
            const auto bytes = bitmapResource(n.id);
            gfx::BmpDecodeResult decoded = gfx::decodeBmp(bytes);
            if (!decoded) return fail("bitmap " + std::to_string(n.id) + ": " + decoded.error);
            pictures_[n.id] = std::move(decoded.bitmap);
            const std::string stem(n.name);
            if (isCatalogueName(stem) && !writeFile(dir_ / (stem + ".bmp"), bmpFile(bytes)))
                return false;
            if (!png(stem + ".png", pictures_[n.id])) return false;
        }
        return writeGallery();
    }

  private:
    bool fail(const std::string& what) {
        std::cerr << "glintmoor: --export-resources: " << what << "\n";
        return false;
    }
    bool writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return f ? true : fail("cannot write " + path.string());
    }
    bool png(const std::string& relative, const gfx::Bitmap& b) {
        const std::string error = writePng((dir_ / relative).string(), b.view());
        return error.empty() ? true : fail(error);
    }

    // One figure of the gallery: the picture at twice its size and a caption.
    void figure(std::string& html, const std::string& file, const gfx::Bitmap& b,
                const std::string& caption) {
        html += "<figure><img src=\"" + file + "\" width=\"" + std::to_string(2 * b.width()) +
                "\" height=\"" + std::to_string(2 * b.height()) + "\"><figcaption>" + caption +
                "</figcaption></figure>\n";
    }

    bool writeGallery() {
        std::string html =
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Glintmoor "
            "pictures</title>\n"
            "<style>body{background:#8a8f99;color:#111;font:14px sans-serif;margin:24px}"
            "img{image-rendering:pixelated;image-rendering:crisp-edges;display:block}"
            "figure{display:inline-block;vertical-align:top;margin:0 24px 24px 0}"
            "h2{margin-top:32px}</style></head><body>\n<h1>Glintmoor pictures</h1>\n"
            "<p>Every bitmap of the program at twice its size. Sprites are drawn through their "
            "masks, their "
            "frames side by side.</p>\n";
        std::string catalogue, patterns, masks, others;
        for (const BitmapResourceName& n : bitmapResourceNames()) {
            const std::string stem(n.name);
            const gfx::Bitmap& b = pictures_.at(n.id);
            const auto caption =
                kCaptions.count(n.id) ? std::to_string(n.id) + ": " + kCaptions.at(n.id) : stem;
            if (const auto sheet = kSheets.find(n.id); sheet != kSheets.end()) {
                const gfx::Bitmap c =
                    composite(b, pictures_.at(sheet->second.maskId), sheet->second.frames);
                const std::string file = "gallery/" + stem + ".png";
                if (!png(file, c)) return false;
                figure(isCatalogueName(stem) ? catalogue : others, file, c, caption);
            } else if (isMask(n.id)) {
                figure(masks, stem + ".png", b, std::to_string(n.id) + ": mask");
            } else if ((n.id >= 111 && n.id <= 120) || n.id == 183) {
                figure(patterns, stem + ".png", b,
                       n.id == 183 ? caption : std::to_string(n.id) + ": cloud pattern");
            } else {
                figure(isCatalogueName(stem) ? catalogue : others, stem + ".png", b, caption);
            }
        }
        html += "<h2>Scene bitmaps</h2>\n" + catalogue + "<h2>Blend patterns</h2>\n" + patterns +
                "<h2>Pictures of the windows and dialogs</h2>\n" + others + "<h2>Masks</h2>\n" +
                masks + "</body></html>\n";
        return writeFile(dir_ / "index.html", std::vector<std::uint8_t>(html.begin(), html.end()));
    }

    fs::path dir_;
    std::map<int, gfx::Bitmap> pictures_;
};

}  // namespace

int exportResources(const std::string& dir) {
    try {
        return Exporter(dir).run() ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "glintmoor: --export-resources: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace gm
