// What the scene builder and the animation share with the saver window
// frmMain: its hidden surfaces, the scene state, and the few window services
// they call (the window's persistent image, refresh, yield, the timer).
#pragma once

#include <cstdint>
#include <functional>

#include "basic/numeric.h"
#include "gfx/surface.h"
#include "platform/platform.h"

namespace gm {

// Loads a bitmap resource by id (LoadBitmapResource; tests supply pictures
// of their own).
using BitmapLoader = std::function<gfx::Bitmap(int id)>;

// The size of one sky-band bitmap: picHimmel's size when a scene starts.
inline constexpr int kSkyBandWidth = 738;
inline constexpr int kSkyBandHeight = 119;

// The hidden, persistent surfaces of the saver window.
struct ShowSurfaces {
    ShowSurfaces();
    gfx::Surface picBG;      // composition canvas, later the full-screen background
    gfx::Surface picHimmel;  // the sky band
    gfx::Surface picBuffer;  // frame buffer and scratch
    gfx::Surface picMask;    // sprite mask of the flying object
    gfx::Surface picObjekt;  // sprite strip of the flying object
};

// Scene state kept by the saver window between procedures.
struct SceneState {
    Int16 SkyType;
    Int16 skyTop;
    Int16 skyWidth;
    Int16 skyHeight;
    Int16 skyOffset;
    Int16 weightLeft;
    Int16 weightRight;
    // Physical pixels per logical pixel of the landscape on show: 1 on the
    // classic canvas. What moves is sized and moves by it.
    double scale = 1;
};

// The window services the scene and the animation call.
class ShowHost {
  public:
    virtual ~ShowHost() = default;
    virtual gfx::Surface& windowImage() = 0;  // frmMain's persistent image
    virtual int windowWidth() const = 0;      // inner size in pixels
    virtual int windowHeight() const = 0;
    virtual void refreshWindow() = 0;  // show the persistent image
    // Show it in the given areas only, where nothing changed elsewhere.
    virtual void refreshWindowAreas(const ScreenArea* /*areas*/, int /*count*/) { refreshWindow(); }
    virtual void yieldEvents() = 0;                  // let pending events run
    virtual void setTimerEnabled(bool enabled) = 0;  // tmrAnimation.Enabled
    // Dots per inch of the screen: the scale between pixels, twips (1440 per
    // inch) and the 0.01-mm units in which a picture reports its size.
    virtual int screenDpi() const { return 96; }
};

}  // namespace gm
