// The program icon in the two forms the Windows build needs.
//
// Format notes. An .ico file is ICONDIR (reserved 0, type 1, count), one
// 16-byte ICONDIRENTRY per image (width, height, colours, reserved, planes,
// bits per pixel, byte size, file offset), then the images. Each image is a
// BITMAPINFOHEADER with twice the height (colour bits plus AND mask),
// 32-bit BGRA rows bottom-up, then the 1-bit AND mask (1 = transparent) with
// rows padded to 4 bytes. Inside a program the images are RT_ICON resources
// and a RT_GROUP_ICON resource lists them: the same directory, but each entry
// is 14 bytes and ends in the 16-bit id of its RT_ICON resource instead of a
// file offset.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/artgen/art.h"

namespace gm::art {

std::vector<std::uint8_t> iconImageResource(const IconImage& image);  // one RT_ICON resource
std::vector<std::uint8_t> iconFile(const std::vector<IconImage>& images);
std::vector<std::uint8_t> iconGroupResource(const std::vector<IconImage>& images, int firstId);

}  // namespace gm::art
