// The hidden surfaces of the saver window with their initial properties.
#include "common/show_host.h"

namespace gm {

namespace {
constexpr gfx::Colour kBlack = 0x000000;
constexpr gfx::Colour kWhite = 0xFFFFFF;
}  // namespace

ShowSurfaces::ShowSurfaces()
    : picBG(640, 480, kBlack),
      picHimmel(kSkyBandWidth, kSkyBandHeight, gfx::rgb(192, 255, 255)),
      picBuffer(0, 0, kWhite),
      picMask(0, 0, kBlack),
      picObjekt(0, 0, kBlack) {
    picBG.foreColor = kWhite;
    picBG.fillColor = kWhite;
    picHimmel.foreColor = kWhite;
    picHimmel.fillColor = kWhite;
    // picBuffer prints the date and time in the window's font, dark blue.
    picBuffer.foreColor = gfx::rgb(0, 0, 128);
    picBuffer.autoSize = true;
    picMask.autoSize = true;
    picObjekt.autoSize = true;
}

}  // namespace gm
