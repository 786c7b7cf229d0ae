// Loading the program's pictures by id: the catalogue through the decoder,
// and the run-time errors of a missing or damaged bitmap.
#include "gfx/bitmap_resource.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "basic/vb_error.h"
#include "resources/resource_data.h"

namespace gm::gfx {
namespace {

int errorNumberOf(auto&& call) {
    try {
        call();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

TEST(BitmapResource, MissingIdIsError326WithTheId) {
    try {
        LoadBitmapResource(1);
        FAIL() << "id 1 loaded";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::ResourceNotFound);
        EXPECT_EQ(e.description(), "Resource with identifier '1' not found");
    }
}

TEST(BitmapResource, UndecodableDataIsError481) {
    const std::uint8_t damaged[] = {40, 0, 0, 0, 1, 0};
    EXPECT_EQ(errorNumberOf([&] { decodeBitmapResource(131, damaged); }), err::InvalidPicture);
}

TEST(BitmapResource, EveryCatalogueBitmapLoadsAtItsSize) {
    // Sizes (width, height) of the scene's catalogue.
    std::map<int, std::pair<int, int>> sizes{
        {121, {738, 119}}, {131, {640, 100}}, {141, {200, 250}}, {143, {100, 500}},
        {151, {245, 500}}, {153, {245, 100}}, {161, {153, 115}}, {163, {153, 115}},
        {165, {400, 28}},  {181, {285, 300}}, {183, {157, 74}},  {221, {330, 200}},
        {111, {441, 17}},  {112, {179, 23}},  {113, {185, 33}},  {114, {181, 31}},
        {115, {329, 27}},  {116, {221, 69}},  {117, {187, 33}},  {118, {269, 79}},
        {119, {169, 63}},  {120, {155, 87}}};
    for (int id = 101; id <= 105; ++id) sizes[id] = {20, 480};
    for (int id = 122; id <= 128; ++id) sizes[id] = {738, 119};
    for (int id : {133, 135, 137}) sizes[id] = {640, 100};
    for (int sprite : {131, 133, 135, 137, 141, 143, 151, 153, 161, 163, 165, 181, 221})
        sizes[sprite + 1] = sizes[sprite];
    for (int bird = 201; bird <= 205; ++bird) sizes[bird] = sizes[bird + 10] = {80, 390};

    for (const auto& [id, size] : sizes) {
        const Bitmap b = LoadBitmapResource(id);
        EXPECT_EQ(b.width(), size.first) << "bitmap " << id;
        EXPECT_EQ(b.height(), size.second) << "bitmap " << id;
    }
    // And everything else the program holds decodes too.
    for (const BitmapResourceName& entry : bitmapResourceNames())
        EXPECT_GT(LoadBitmapResource(entry.id).width(), 0) << entry.name;
}

}  // namespace
}  // namespace gm::gfx
