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
    Platform& p = platform();
    forms().frmPreview = std::make_unique<FrmPreview>();
    Window& preview = forms().frmPreview->window();
    const std::uintptr_t self = preview.handle();
    p.SetWindowLongA(self, kGwlStyle, p.GetWindowLongA(self, kGwlStyle) | kWsChild);
    p.SetParent(self, host);
    // The owner word takes the host's handle as the 32-bit value it holds.
    p.SetWindowLongA(self, kGwlHwndParent, static_cast<std::int32_t>(host));
    preview.setWindowPos(0, 0, 0, width, height, kSwpNoZOrder | kSwpNoActivate | kSwpShowWindow);
}

}  // namespace gm
