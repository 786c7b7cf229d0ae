// glintmoor-artgen: paints every picture of the saver and writes them in
// their storage forms.
//
//   glintmoor-artgen OUTDIR
//
// writes OUTDIR/bitmaps/<name>.bmp, OUTDIR/bitmaps.rc (the resource list the
// Windows and Linux builds embed from) and OUTDIR/icons/ (the program icon as
// an .ico file and as the raw RT_ICON / RT_GROUP_ICON resources). The output
// depends on nothing but this program, so running it again gives the same
// bytes.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "resources/artgen/art.h"
#include "resources/artgen/ico_encoder.h"
#include "resources/resource_ids.h"

namespace {

namespace fs = std::filesystem;
using namespace gm::art;

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path.string());
}

void writeText(const fs::path& path, const std::string& text) {
    writeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string resourceList(const std::vector<Artwork>& art) {
    std::string rc =
        "// The saver's bitmap resources, written by glintmoor-artgen: id, file.\n"
        "// Included by glintmoor.rc; the Linux build embeds the same files.\n";
    for (const Artwork& a : art)
        rc += std::to_string(a.id) + " BITMAP \"bitmaps/" + a.name + ".bmp\"\n";
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: glintmoor-artgen OUTDIR\n";
        return 2;
    }
    try {
        const fs::path outDir = argv[1];
        fs::create_directories(outDir / "bitmaps");
        fs::create_directories(outDir / "icons");

        std::vector<Artwork> art;
        paintSky(art);
        paintPatterns(art);
        paintHills(art);
        paintTrees(art);
        paintHouses(art);
        paintVillage(art);
        paintTown(art);
        paintFence(art);
        paintSnowman(art);
        paintFlyers(art);
        paintUiPictures(art);
        paintPreview(art);
        std::sort(art.begin(), art.end(),
                  [](const Artwork& a, const Artwork& b) { return a.id < b.id; });

        for (const Artwork& a : art)
            writeFile(outDir / "bitmaps" / (a.name + ".bmp"), encodeBmp(a.picture, a.storage));
        writeText(outDir / "bitmaps.rc", resourceList(art));

        const std::vector<IconImage> icon = paintIcon();
        writeFile(outDir / "icons" / "glintmoor.ico", iconFile(icon));
        writeFile(outDir / "icons" / "group.bin",
                  iconGroupResource(icon, gm::res::kProgramIconImage));
        for (std::size_t i = 0; i < icon.size(); ++i)
            writeFile(outDir / "icons" /
                          ("image-" + std::to_string(gm::res::kProgramIconImage + int(i)) + ".bin"),
                      iconImageResource(icon[i]));
    } catch (const std::exception& e) {
        std::cerr << "glintmoor-artgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
