#include "scene/scene_parts.h"

#include "gfx/bitmap_resource.h"
#include "saver/settings.h"
#include "scene/scene.h"

namespace gm {

void installScene(ShowParts& parts) {
    parts.BuildBG = [](FrmMain& frm) {
        Scene scene(frm.surfaces, frm.scene, settings(), frm, &gfx::LoadBitmapResource);
        scene.BuildBG();
    };
}

}  // namespace gm
