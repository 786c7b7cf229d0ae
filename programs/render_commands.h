// The Linux program's file commands, which need no display:
//
//   glintmoor --render FILE.png [--seed N] [--size WxH] [setting options]
//       composes a scene as the show does and writes the 640 x 480 canvas;
//       with --size, the full-screen background of a W x H screen instead
//       (the stretched scene with the banner in the lower right corner).
//   glintmoor --gallery DIR [--count N]
//       writes the canvases of seeds 1..N (12 unless given) and an
//       index.html that shows them.
//
// The settings are read as the show reads them, and the setting options of
// the show (-classic among them) override them for the run; the same seed
// and settings give the same picture, byte for byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gfx/surface.h"
#include "platform/platform.h"

namespace gm {

// Runs --render or --gallery when the command line asks for one and returns
// the program's exit code; nullopt when it asks for neither.
std::optional<int> runFileCommand(const std::vector<std::string>& args);

// A scene composed as the show composes it on a screenWidth x screenHeight
// screen: Form_Load, then Form_Resize up to the finished background.
struct RenderedScene {
    gfx::Bitmap canvas;      // picBG after BuildBG, 640 x 480
    gfx::Bitmap background;  // picBG after the resize handler's step 7
};
RenderedScene renderScene(std::uint64_t seed, int screenWidth, int screenHeight,
                          SettingsStore& store);

}  // namespace gm
