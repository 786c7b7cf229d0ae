// The living show of the saver window frmMain: the snowflakes, the flying
// objects and the animation tick that composes one frame per timer event.
//
// The show is single-threaded and re-entrant. moveFlakes never returns while
// the show runs: it moves one flake, lets pending events run (the tick and
// the input handlers run nested inside that yield), and paces itself by the
// time stamp tickNow that every tick records. The tick itself never yields.
//
// Where the code lives:
//   flakes.cpp           seeding, moveFlakes, drawing the flakes
//   flying_objects.cpp   placing, choosing, ObjektFlieg, drawing the object
//   tick.cpp             tmrAnimation_Timer: the frame, step by step
//   frame_composer.cpp   the tick's drawing: the whole frame, or only what changed
//   tick_count.h         elapsed time between two 32-bit tick counts
// The saver window plugs it in through saver/show_parts.cpp.
#pragma once

#include <cstdint>
#include <map>

#include "animation/frame_composer.h"
#include "basic/numeric.h"
#include "basic/vb_array.h"
#include "common/settings.h"
#include "common/show_host.h"
#include "gfx/surface.h"

namespace gm {

class Trap;

// One snowflake, in pixels of the window. Sizes and steps are logical
// pixels times the landscape's scale (SceneState::scale), so that the snow
// looks the same on every screen.
struct Flake {
    Int32 x;     // left edge
    Int32 y;     // top edge
    Int32 size;  // diameter
};

// One flying object.
struct Objekt {
    Int16 x;          // left edge in the window
    Int16 y;          // top edge
    Int16 active;     // -1 while it flies, 0 while it waits
    Int16 frame = 1;  // animation frame shown, from 1
};

class Animation {
  public:
    Animation(ShowSurfaces& surfaces, SceneState& scene, const Settings& settings, ShowHost& host,
              BitmapLoader load);
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    // --- The window's animation state ------------------------------------
    VbArray<Flake, 0, 500> Flakes;
    Int16 lastFlake;      // index of the last flake in use
    Int32 timerInterval;  // tmrAnimation's period in ms
    Int32 flakesDone;     // tick count after the latest single flake move
    Int32 tickNow;        // tick count at the start of the latest tick
    Int32 skyTick;        // ticks since the sky scroll last wrapped
    Int32 lastBigTime;    // tickNow when object 21 last started
    VbArray<Objekt, 0, 50> Objekte;
    Int16 curObjekt;  // the object on screen; 0 or less: none
    Int16 frameTick;  // ObjektFlieg's call counter, shared by all objects

    // How the tick draws (the same pixels either way; see frame_composer.h).
    void setComposition(Composition mode) { composer_.mode = mode; }
    // The rows where picBuffer does not hold the frame (see frame_composer.h).
    const PixelRect& staleBuffer() const { return composer_.staleBuffer(); }

    // --- Snowflakes (flakes.cpp) -----------------------------------------
    // Seeds flakes 0..lastFlake in the upper half and draws each once on the
    // window. Errors travel to the caller (the window's resize handler).
    void seedFlakes();
    // The endless flake loop. Returns only when the window asks for a fresh
    // loop (see restartDue) or when the error trap leaves it; the result
    // tells which: true = a restart was asked for.
    bool moveFlakes();
    // One pass of the same moves without yielding: the flakes of a show that
    // the timer's ticks drive (another monitor's), one pass per tick.
    void moveFlakesOnce();
    // Draws flakes 0..lastFlake on the target as white discs. Where the
    // frame covers less than the whole target (width by height from the top
    // left), a flake that would reach past the frame is left out.
    void drawFlakes(gfx::Surface& target, int width, int height);

    // --- Flying objects (flying_objects.cpp) -----------------------------
    void placeObjekte();
    // True while curObjekt names an object that ObjektFlieg moves.
    bool objektFlies() const;
    // One motion step of the object curObjekt; may end its flight.
    void ObjektFlieg();
    // Picks the next object at random and loads its pictures.
    void chooseObjekt();
    // The masked draw of the current object into picBuffer (at once, or in
    // the frame composer's present step when it composes incrementally).
    void drawObjekt();

    // --- The tick (tick.cpp) ---------------------------------------------
    void tmrAnimation_Timer();

    // --- Size changes ----------------------------------------------------
    // A size change that arrives while the flake loop runs is not handled
    // inside it: the window notes it here, and once no further change has
    // come for kSettleMs the loop returns so that the window builds one new
    // scene for the final size and starts a fresh loop in place of the old.
    static constexpr std::uint32_t kSettleMs = 250;
    void noteSizeChange();
    bool restartDue() const;

  private:
    // Loads a flying object's mask and picture strips, mirrored for the
    // flights from right to left.
    void loadObjekt(int maskId, int pictureId, bool mirrored);
    // One move of flake i, statement by statement under the caller's trap.
    void moveFlake(Trap& at, Int16 i);
    // Window size as the procedures use it.
    int W() const { return host_.windowWidth(); }
    int H() const { return host_.windowHeight(); }
    double k() const { return scene_.scale; }
    // A picture of the catalogue at the landscape's scale.
    gfx::Bitmap picture(int id) const;
    // On a scaled landscape, paints the birds' and the plane's pictures at
    // its scale once it stands: painted when an object first appears, they
    // would stall the show for a few frames (a plane at 4K: 60 ms).
    void paintFlyersAhead();

    ShowSurfaces& s_;
    SceneState& scene_;
    const Settings& settings_;
    ShowHost& host_;
    BitmapLoader load_;

    bool sizeChangePending_ = false;
    std::uint32_t lastSizeChange_ = 0;

    std::map<int, gfx::Bitmap> flyers_;  // painted ahead, at flyersScale_
    double flyersScale_ = 0;

    FrameComposer composer_;
    std::uint32_t pictures_ = 0;  // counts the strips loaded into picMask / picObjekt
};

}  // namespace gm
