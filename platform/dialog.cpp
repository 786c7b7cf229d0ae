#include "platform/dialog.h"

#include <cassert>

#include "basic/vb_error.h"

namespace gm {
namespace {
DialogSystem* gDialogSystem = nullptr;
}

DialogSystem& dialogSystem() {
    assert(gDialogSystem && "setDialogSystem() runs before a dialog opens");
    return *gDialogSystem;
}

void setDialogSystem(DialogSystem* system) { gDialogSystem = system; }

void DialogWindow::setValue(int control, double value) {
    const ControlLayout& c = layout_.controls.at(static_cast<std::size_t>(control));
    // The range is checked before any conversion, so a value far beyond 16
    // bits is rejected like any other the control does not take.
    int lowest = 0, highest = 0;
    switch (c.kind) {
        case ControlKind::HScroll:
            lowest = c.min, highest = c.max;
            break;
        case ControlKind::CheckBox:
            lowest = 0, highest = 2;
            break;
        default:
            raise(err::InvalidPropertyValue);
    }
    if (!(value >= lowest && value <= highest) || value != static_cast<int>(value))
        raise(err::InvalidPropertyValue);
    writeValue(control, static_cast<int>(value));
}

void DialogWindow::controlPressed(int control) {
    const ControlLayout& c = layout_.controls.at(static_cast<std::size_t>(control));
    if (c.kind == ControlKind::CheckBox) writeValue(control, readValue(control) == 1 ? 0 : 1);
    events_.onClick(control);
}

void DialogWindow::keyPressed(Key key) {
    if (key != Key::Escape && key != Key::Enter) return;
    const auto& controls = layout_.controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlLayout& c = controls[i];
        if (key == Key::Escape ? c.cancelButton : c.defaultButton) {
            if (c.enabled) controlPressed(static_cast<int>(i));
            return;
        }
    }
}

}  // namespace gm
