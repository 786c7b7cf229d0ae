#include "platform/keysyms.h"

#include <X11/keysym.h>

namespace gm {

int virtualKeyOf(std::uint32_t sym) {
    if (sym >= XK_a && sym <= XK_z) return int(sym - XK_a + 'A');
    if ((sym >= XK_A && sym <= XK_Z) || (sym >= XK_0 && sym <= XK_9) || sym == XK_space)
        return int(sym);
    if (sym >= XK_F1 && sym <= XK_F12) return int(0x70 + (sym - XK_F1));
    switch (sym) {
        case XK_BackSpace:
            return 0x08;
        case XK_Tab:
            return 0x09;
        case XK_Return:
        case XK_KP_Enter:
            return 0x0D;
        case XK_Shift_L:
        case XK_Shift_R:
            return 0x10;
        case XK_Control_L:
        case XK_Control_R:
            return 0x11;
        case XK_Alt_L:
        case XK_Alt_R:
            return 0x12;
        case XK_Escape:
            return 0x1B;
        case XK_Prior:
            return 0x21;
        case XK_Next:
            return 0x22;
        case XK_End:
            return 0x23;
        case XK_Home:
            return 0x24;
        case XK_Left:
            return 0x25;
        case XK_Up:
            return 0x26;
        case XK_Right:
            return 0x27;
        case XK_Down:
            return 0x28;
        case XK_Insert:
            return 0x2D;
        case XK_Delete:
            return 0x2E;
        default:
            return 0;
    }
}

}  // namespace gm
