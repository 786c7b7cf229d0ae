#include "animation/show_parts.h"

#include <memory>

#include "animation/animation.h"
#include "gfx/bitmap_resource.h"
#include "saver/settings.h"

namespace gm {
namespace {

gfx::Bitmap loadPicture(int id) {
    const ShowParts& parts = showParts();
    return parts.LoadBitmapResource ? parts.LoadBitmapResource(id) : gfx::LoadBitmapResource(id);
}

}  // namespace

Animation& animationOf(FrmMain& window) {
    if (!window.animation) {
        auto a = std::make_shared<Animation>(window.surfaces, window.scene, settings(), window,
                                             &loadPicture);
        // Form_Load gave object 21 its first height.
        a->Objekte[21].y = window.objekt21Y;
        window.animation = std::move(a);
    }
    return *static_cast<Animation*>(window.animation.get());
}

void installAnimation(ShowParts& parts) {
    parts.seedFlakes = [](FrmMain& w) {
        Animation& a = animationOf(w);
        // Fixed by Form_Load: the flake count and the timer's period.
        a.lastFlake = w.lastFlake;
        a.timerInterval = w.tmrInterval;
        a.seedFlakes();
    };
    parts.placeObjekte = [](FrmMain& w) { animationOf(w).placeObjekte(); };
    parts.moveFlakes = [](FrmMain& w) { animationOf(w).moveFlakes(); };
    parts.noteSizeChange = [](FrmMain& w) { animationOf(w).noteSizeChange(); };
    parts.tmrAnimation_Timer = [](FrmMain& w) { animationOf(w).tmrAnimation_Timer(); };
}

}  // namespace gm
