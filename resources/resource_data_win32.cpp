// Bitmap resources of the Windows program: RT_BITMAP resources in German
// (1031), compiled from glintmoor.rc into the executable.
#include <windows.h>

#include "resources/resource_data.h"

namespace gm {
namespace {

#include "bitmap_names.inc"  // defines kNames[], sorted by id

const LPCSTR kBitmapType = MAKEINTRESOURCEA(2);  // RT_BITMAP, whatever the UNICODE setting

}  // namespace

std::span<const std::uint8_t> bitmapResource(int id) {
    HRSRC info = FindResourceExA(nullptr, kBitmapType, MAKEINTRESOURCEA(id),
                                 MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    if (!info) return {};
    HGLOBAL handle = LoadResource(nullptr, info);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data) return {};
    return {static_cast<const std::uint8_t*>(data),
            static_cast<std::size_t>(SizeofResource(nullptr, info))};
}

std::span<const BitmapResourceName> bitmapResourceNames() { return kNames; }

}  // namespace gm
