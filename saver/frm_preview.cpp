#include "saver/frm_preview.h"

#include "errors/trap.h"
#include "gfx/bitmap_resource.h"
#include "resources/resource_ids.h"
#include "saver/saver.h"

namespace gm {

FrmPreview::FrmPreview()
    : Image1(gfx::LoadBitmapResource(res::kPreview)),
      window_(platform().createWindow(WindowKind::Preview, *this)) {}

FrmPreview::~FrmPreview() = default;

void FrmPreview::Form_Resize() {
    trapped("frmPreview", "Form_Resize", [&](Trap& at) {
        at(50010, [&] {
            gfx::DrawPicture(window_->image(), Image1.view(), 0, 0, window_->width(),
                             window_->height());
        });
        at(50020, [&] { window_->refresh(); });
    });
}

void FrmPreview::Form_Unload() {
    // Outside the full-screen show this returns at once.
    trapped("frmPreview", "Form_Unload", [](Trap& at) { at(50010, [] { exitScreensaver(); }); });
}

void embedFrmPreview(std::uintptr_t host, int width, int height) {
    forms().frmPreview = std::make_unique<FrmPreview>();
    forms().frmPreview->window().embedInto(host, width, height);
}

}  // namespace gm
