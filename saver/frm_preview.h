// frmPreview: the still picture of the preview monitor in the display
// settings. Main embeds it as a child of the host window the system names
// on the command line ("/P <host>"); it shows one stored 256 x 192 picture of
// a typical scene stretched over the host's client area and repaints it at
// every size change. No scene is composed, no timer runs, and the preview
// never touches the cursor, the system's flags or the settings store.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/surface.h"
#include "platform/platform.h"

namespace gm {

class FrmPreview final : public WindowEvents {
  public:
    // Loads the window without showing it.
    FrmPreview();
    ~FrmPreview() override;

    Window& window() const { return *window_; }

    // Paints Image1 over the whole window, stretched (the aspect ratio is
    // not kept).
    void Form_Resize();
    void Form_Unload();

    gfx::Bitmap Image1;  // the stored picture, 256 x 192

  private:
    void onResize() override { Form_Resize(); }
    void onUnload() override { Form_Unload(); }

    std::unique_ptr<Window> window_;
};

// Main's preview steps once the host's client size is known: load
// frmPreview and embed it into the host, over the host's client area, shown
// and not activated.
void embedFrmPreview(std::uintptr_t host, int width, int height);

}  // namespace gm
