#include "programs/png_file.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace gm {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

std::string writePng(const std::string& path, const gfx::ImageView& image) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return "cannot open " + path + " for writing";

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return "out of memory";
    }
    std::vector<png_byte> rgb(static_cast<std::size_t>(image.width) * 3);
    // libpng reports its errors by longjmp back here; nothing with a
    // destructor is created between here and the end of the writing.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return "cannot write " + path;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* row = image.row(y);
        for (int x = 0; x < image.width; ++x) {  // pixels are 0x00RRGGBB words
            rgb[3 * x] = static_cast<png_byte>(row[x] >> 16);
            rgb[3 * x + 1] = static_cast<png_byte>(row[x] >> 8);
            rgb[3 * x + 2] = static_cast<png_byte>(row[x]);
        }
        png_write_row(png, rgb.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return {};
}

}  // namespace gm
